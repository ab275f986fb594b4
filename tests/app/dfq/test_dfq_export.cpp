// The program's DFQ export: its passes run on a thread of their own that the window never waits
// for, at start, after each part, at each try again and once more at exit, with the settings of
// the moment; the window hears of the waiting parts only when they change; at exit a hung
// folder is waited for at most the time given. With the sender in place, the parts measured
// with a folder set arrive in it once each and in order, also after the folder was away.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSignalSpy>
#include <QThread>
#include <QWaitCondition>
#include <algorithm>
#include <memory>
#include <vector>

#include "dfq/dfq_export.h"
#include "dfq/dfq_settings.h"
#include "history/dfq_queue.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::DfqWaiting;

namespace {

// What the passes were asked, on which thread, held at a gate the test opens.
struct PassLog {
    QMutex mutex;
    QWaitCondition changed;
    bool gateOpen = true;
    bool held = false;  // a send waits at the gate
    bool gone = false;  // the passes were let go: the thread closed its store
    QStringList calls;
    std::vector<zelapp::DfqSettings> settings;
    std::vector<Qt::HANDLE> threads;
    std::vector<DfqWaiting> answers;  // in turn, the last one repeated
    std::size_t sends = 0;

    void setGate(bool open) {
        QMutexLocker lock(&mutex);
        gateOpen = open;
        changed.wakeAll();
    }
    // Waits (a safety bound only) until `done` holds.
    template <typename Done>
    bool waitFor(Done done) {
        QMutexLocker lock(&mutex);
        while (!done()) {
            if (!changed.wait(&mutex, QDeadlineTimer(30000))) {
                return false;
            }
        }
        return true;
    }
    QStringList callsNow() {
        QMutexLocker lock(&mutex);
        return calls;
    }
};

class LoggedPasses : public zelapp::DfqPasses {
  public:
    explicit LoggedPasses(std::shared_ptr<PassLog> log) : log_(std::move(log)) {}
    ~LoggedPasses() override {
        QMutexLocker lock(&log_->mutex);
        log_->gone = true;
        log_->changed.wakeAll();
    }
    void setSettings(const zelapp::DfqSettings &settings) override {
        QMutexLocker lock(&log_->mutex);
        log_->settings.push_back(settings);
    }
    DfqWaiting recover() override {
        QMutexLocker lock(&log_->mutex);
        log_->calls << u"recover"_s;
        return {};
    }
    DfqWaiting send(bool closing) override {
        QMutexLocker lock(&log_->mutex);
        log_->held = true;
        log_->changed.wakeAll();
        while (!log_->gateOpen) {
            log_->changed.wait(&log_->mutex);
        }
        log_->held = false;
        log_->calls << (closing ? u"send closing"_s : u"send"_s);
        log_->threads.push_back(QThread::currentThreadId());
        ++log_->sends;
        const std::size_t turn = std::min(log_->answers.size(), log_->sends) - 1;
        return log_->answers.empty() ? DfqWaiting{} : log_->answers[turn];
    }

  private:
    std::shared_ptr<PassLog> log_;
};

struct DfqExportTest : ::testing::Test {
    zeltest::SessionFixture f;
    std::shared_ptr<PassLog> log = std::make_shared<PassLog>();
    zelapp::DfqRetryTick tick;
    std::unique_ptr<zelapp::DfqExport> dfq;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.setup().channel(1)->setFormula(u"T1"_s);
        f.setup().channel(1)->Decimals = 4;
        f.fakeUnit.channelValue[1] = 0.0012f;
    }
    // An export of the test's own beside the session's, its passes logged.
    zelapp::DfqExport &loggedExport() {
        zelapp::DfqExportServices services;
        services.tick = &tick;
        services.passes = [passLog = log](zelapp::PartStore &) {
            return std::make_unique<LoggedPasses>(passLog);
        };
        dfq = std::make_unique<zelapp::DfqExport>(f.session->partHistory(), f.store, services);
        return *dfq;
    }
    void measurePart() { ASSERT_TRUE(f.measurePart()); }
    // The signal is the wait; the count is what the test checks.
    static void waitForPasses(QSignalSpy &ended, int count) {
        while (ended.count() < count) {
            ASSERT_TRUE(ended.wait(30000)) << "pass " << ended.count() + 1 << " never ended";
        }
    }
};

TEST_F(DfqExportTest, PassesRunOnAThreadOfTheirOwnThatTheWindowNeverWaitsFor) {
    zelapp::DfqExport &e = loggedExport();
    QSignalSpy ended(&e, &zelapp::DfqExport::passEnded);
    log->setGate(false);
    measurePart();
    ASSERT_TRUE(log->waitFor([this] { return log->held; }));
    // The thread is held in the folder: parts are measured and recorded meanwhile.
    measurePart();
    measurePart();
    EXPECT_EQ(f.session->partHistory().lastRecord()->serial, 3);
    EXPECT_EQ(ended.count(), 0);

    log->setGate(true);
    waitForPasses(ended, 2);
    // One pass was held; the parts recorded meanwhile needed only one more.
    EXPECT_EQ(log->callsNow(), (QStringList{u"recover"_s, u"send"_s, u"send"_s}));
    ASSERT_EQ(log->threads.size(), 2u);
    EXPECT_NE(log->threads[0], QThread::currentThreadId());
    EXPECT_EQ(log->threads[0], log->threads[1]);
}

TEST_F(DfqExportTest, AtStartAtEachTryAgainAndAtExitAPassWithTheSettingsOfTheMoment) {
    zelapp::DfqExport &e = loggedExport();
    QSignalSpy ended(&e, &zelapp::DfqExport::passEnded);
    const zelapp::DfqSettings perHour{u"/mnt/qdas"_s, zelapp::DfqEncoding::Utf8,
                                      zelapp::DfqFiles::PerHour};
    zelapp::writeDfqSettings(f.store, perHour);
    // Nothing to open before the history is: no pass.
    tick.fire();
    f.session->partHistory().open();
    e.start();
    waitForPasses(ended, 1);
    tick.fire();
    waitForPasses(ended, 2);
    zelapp::writeDfqSettings(f.store, {});
    tick.fire();
    waitForPasses(ended, 3);
    EXPECT_TRUE(e.stop());
    EXPECT_EQ(log->callsNow(),
              (QStringList{u"recover"_s, u"send"_s, u"send"_s, u"send"_s, u"send closing"_s}));
    EXPECT_EQ(log->settings, (std::vector<zelapp::DfqSettings>{perHour, perHour, {}, {}}));
    EXPECT_TRUE(log->gone) << "the thread's store is closed at exit";

    // Nothing runs after the exit.
    tick.fire();
    measurePart();
    QCoreApplication::processEvents();
    EXPECT_EQ(log->callsNow().size(), 5);
    EXPECT_TRUE(e.stop());
}

TEST_F(DfqExportTest, TheWindowHearsOfTheWaitingPartsOnlyWhenTheyChange) {
    log->answers = {{2, u"/mnt/qdas: No space left on device"_s},
                    {2, u"/mnt/qdas: No space left on device"_s},
                    {3, u"/mnt/qdas: No space left on device"_s},
                    {0, {}}};
    zelapp::DfqExport &e = loggedExport();
    QSignalSpy ended(&e, &zelapp::DfqExport::passEnded);
    QSignalSpy changed(&e, &zelapp::DfqExport::waitingChanged);
    measurePart();
    for (int pass = 2; pass <= 4; ++pass) {
        waitForPasses(ended, pass - 1);
        tick.fire();
    }
    waitForPasses(ended, 4);
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed[0][0].value<DfqWaiting>(), log->answers[0]);
    EXPECT_EQ(changed[1][0].value<DfqWaiting>(), log->answers[2]);
    EXPECT_EQ(changed[2][0].value<DfqWaiting>(), DfqWaiting{});
    EXPECT_EQ(e.waiting(), DfqWaiting{});
}

TEST_F(DfqExportTest, AtExitAHungFolderIsWaitedForAtMostTheTimeGivenAndLeftToEndOnItsOwn) {
    zelapp::DfqExport &e = loggedExport();
    log->setGate(false);
    measurePart();
    ASSERT_TRUE(log->waitFor([this] { return log->held; }));
    // The gate stays shut: the wait cannot but end unfinished.
    EXPECT_FALSE(e.stop(20));
    dfq.reset();  // the export goes; its thread, still held, must not take the program down

    // The mount comes back: the thread ends its pass, the last one, closes its store and ends.
    log->setGate(true);
    ASSERT_TRUE(log->waitFor([this] { return log->gone; }));
    EXPECT_EQ(log->callsNow(), (QStringList{u"recover"_s, u"send"_s, u"send closing"_s}));
}

// ---- With the sender and the queue in place ----

struct DfqFolderTest : DfqExportTest {
    zeltest::TempFolder out;
    QString folder() const { return QString::fromStdString(out.path()) + u"/qdas in"_s; }

    void SetUp() override {
        DfqExportTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(folder()));
    }
    // The serials of the files in the folder, as their names end.
    std::vector<qint64> serialsArrived() const {
        std::vector<qint64> serials;
        for (const QString &name :
             QDir(folder()).entryList({u"*.dfq"_s}, QDir::Files, QDir::Name)) {
            serials.push_back(name.section(u'_', -1).chopped(4).toLongLong());
        }
        std::sort(serials.begin(), serials.end());
        return serials;
    }
    QStringList everyFile() const { return QDir(folder()).entryList(QDir::Files); }
    // Tries again until `done`; the pass ended is the wait, `done` what the test needs.
    template <typename Done>
    void tryAgainUntil(Done done) {
        zelapp::DfqExport &e = f.session->dfqExport();
        QSignalSpy ended(&e, &zelapp::DfqExport::passEnded);
        for (int pass = 1; pass <= 20; ++pass) {
            f.dfqTick.fire();
            waitForPasses(ended, pass);
            if (done()) {
                return;
            }
        }
        FAIL() << "still waiting: " << e.waiting().count << " " << e.waiting().cause.toStdString();
    }
    void sendUntilNoneQueued() {
        tryAgainUntil([this] { return queued() == 0; });
    }
    qint64 queued() {
        zelapp::PartStore reader;
        EXPECT_TRUE(reader.open(f.session->partHistory().location().file, {100, true}).ok());
        std::optional<zelapp::StoreFailure> failure;
        return zelapp::DfqQueue(reader).pendingExportCount(&failure);
    }
};

TEST_F(DfqFolderTest, PartsMeasuredWithAFolderSetArriveInItOnceEachInOrder) {
    zelapp::writeDfqSettings(f.store, {folder(), {}, {}});
    for (int i = 0; i < 3; ++i) {
        measurePart();
    }
    sendUntilNoneQueued();
    EXPECT_EQ(serialsArrived(), (std::vector<qint64>{1, 2, 3}));
    EXPECT_EQ(everyFile().size(), 3) << "no temporary file left behind";
    EXPECT_EQ(queued(), 0);
}

TEST_F(DfqFolderTest, TheFolderAwayWhilePartsAreMeasuredThenBackGetsEveryPartOnceInOrder) {
    zelapp::writeDfqSettings(f.store, {folder(), {}, {}});
    const zelapp::DfqExport &e = f.session->dfqExport();

    // Full: the parts wait, and the window is told why.
    f.dfqFolder.setFailure(u"No space left on device"_s);
    measurePart();
    measurePart();
    tryAgainUntil([&e] { return e.waiting().count == 2; });
    EXPECT_TRUE(e.waiting().cause.contains(u"No space left on device"_s))
        << e.waiting().cause.toStdString();
    EXPECT_TRUE(everyFile().isEmpty());
    f.dfqFolder.setFailure({});
    sendUntilNoneQueued();
    EXPECT_EQ(serialsArrived(), (std::vector<qint64>{1, 2}));

    // Removed (the upload service took the files, then the mount went), then back.
    ASSERT_TRUE(QDir(folder()).removeRecursively());
    measurePart();
    measurePart();
    tryAgainUntil([&e] { return e.waiting().count == 2; });
    EXPECT_FALSE(e.waiting().cause.isEmpty());
    ASSERT_TRUE(QDir().mkpath(folder()));
    sendUntilNoneQueued();
    EXPECT_EQ(serialsArrived(), (std::vector<qint64>{3, 4}));
    EXPECT_EQ(queued(), 0);
}

TEST_F(DfqFolderTest, AHistoryRemovedWhileInUseIsFollowedAndItsPartsArrive) {
    zelapp::writeDfqSettings(f.store, {folder(), {}, {}});
    measurePart();
    sendUntilNoneQueued();
    // The upload service took the file; then the history went with its log.
    ASSERT_TRUE(QDir(folder()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QString file = f.session->partHistory().location().file;
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s}) {
        QFile::remove(file + suffix);
    }
    measurePart();
    measurePart();
    sendUntilNoneQueued();
    EXPECT_EQ(serialsArrived(), (std::vector<qint64>{1, 2})) << "from the new file";
}

TEST_F(DfqFolderTest, NoFolderSetQueuesNothing) {
    measurePart();
    measurePart();
    EXPECT_EQ(queued(), 0);
    EXPECT_TRUE(everyFile().isEmpty());
}

}  // namespace
