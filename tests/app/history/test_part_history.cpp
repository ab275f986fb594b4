// The program's history of parts: each part is on disk before anything shows it, a store that
// fails keeps the parts, marks them and tells the operator once, and nothing kept is lost at
// exit without a question.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "../history/part_samples.h"
#include "dfq/dfq_folder.h"
#include "dfq/dfq_settings.h"
#include "history/dfq_queue.h"
#include "session_fixture.h"
#include "setup/part_program.h"

using namespace Qt::StringLiterals;
using zelapp::PartRecord;
using zelapp::PartResult;

namespace {

struct PartHistoryTest : ::testing::Test {
    zeltest::SessionFixture f;
    zelapp::PartCycle *cycle = nullptr;
    zelapp::PartHistory *history = nullptr;
    QString file;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        cycle = &f.session->partCycle();
        history = &f.session->partHistory();
        f.setup().channel(1)->setFormula(u"T1"_s);
        f.setup().channel(1)->Decimals = 4;
        f.fakeUnit.channelValue[1] = 0.0012f;
        file = QDir(f.programFolder()).filePath(u"parts.db"_s);
        f.prompter.shown.clear();  // the start-up's notice of a missing zelapp.ini
    }
    // Measures one part to its end.
    void measurePart() { ASSERT_TRUE(f.measurePart()); }
    std::vector<qint64> storedSerials() {
        zelapp::PartStore reader;
        EXPECT_TRUE(reader.open(file, {100, true}).ok());
        std::vector<qint64> serials;
        for (const zelapp::StoredPart &part : reader.range(0, 1000, 1000).parts) {
            serials.push_back(part.serial);
        }
        return serials;
    }
};

TEST_F(PartHistoryTest, APartIsCommittedBeforeAnyoneIsToldOfIt) {
    std::vector<qint64> seenInFile;
    QObject::connect(history, &zelapp::PartHistory::partRecorded,
                     [&](const PartResult &part, const PartRecord &record) {
                         EXPECT_EQ(part.count, record.count);
                         EXPECT_TRUE(record.recorded());
                         // Another connection sees it: the transaction has committed.
                         seenInFile = storedSerials();
                     });
    measurePart();
    measurePart();
    EXPECT_EQ(seenInFile, (std::vector<qint64>{1, 2}));
    EXPECT_EQ(history->lastRecord(), (PartRecord{2, 2, 2}));
    EXPECT_EQ(history->location().file, file);
    EXPECT_FALSE(history->uuid().isEmpty());
    EXPECT_TRUE(f.prompter.notices.empty());
}

TEST_F(PartHistoryTest, WhileTheStoreFailsPartsAreKeptCountedOnToldOnceAndWrittenLater) {
    measurePart();
    auto other = std::make_unique<zeltest::OtherConnection>(file);
    ASSERT_TRUE(other->exec(u"BEGIN IMMEDIATE"_s));  // holds the write lock past the busy timeout
    std::vector<int> waiting;
    QObject::connect(history, &zelapp::PartHistory::notRecordedChanged,
                     [&](int count) { waiting.push_back(count); });
    measurePart();          // waits the busy timeout once
    QElapsedTimer running;  // a bound, not a wait: the next part would wait it all again
    running.start();
    measurePart();
    EXPECT_LT(running.elapsed(), zelapp::OpenOptions::kBusyTimeoutMs);
    EXPECT_EQ(history->lastRecord(), (PartRecord{3, 3, 0}));
    EXPECT_EQ(history->notRecorded(), 2);
    ASSERT_EQ(f.prompter.notices.size(), 1u) << "told once for the failing stretch";
    EXPECT_TRUE(f.prompter.notices[0].text.contains(u": locked by another program.\r"_s));
    EXPECT_TRUE(f.prompter.notices[0].text.contains(u"NOT RECORDED"_s));

    // Closing now would lose them: the operator is asked, and No keeps the program open.
    EXPECT_FALSE(history->confirmExit());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_TRUE(f.prompter.shown[0].text.startsWith(u"2 parts not recorded"_s));

    ASSERT_TRUE(other->exec(u"ROLLBACK"_s));
    other.reset();
    history->retry();
    EXPECT_EQ(history->notRecorded(), 0);
    EXPECT_EQ(waiting, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(storedSerials(), (std::vector<qint64>{1, 2, 3}));
    EXPECT_EQ(history->lastRecord(), (PartRecord{3, 3, 3})) << "the part shown is stored now";
    EXPECT_TRUE(history->confirmExit());
    EXPECT_EQ(f.prompter.shown.size(), 1u) << "nothing to ask once all are written";
}

TEST_F(PartHistoryTest, AHistoryLockedAtItsOpenSaysByWhomAndItsPartsShowNoSerialUntilStored) {
    // The history as an earlier run left it, with two parts of the number measured here.
    const QString number =
        zelapp::effectivePartNumber(f.session->partProgram().program(), f.state().SetupFileName);
    {
        zelapp::PartStore earlier;
        ASSERT_TRUE(earlier.open(file).ok());
        for (int n = 0; n < 2; ++n) {
            ASSERT_TRUE(earlier.append(zeltest::goodPart(number), zeltest::snapshot()).ok());
        }
    }
    // Another program holds it so that it cannot even be read when the program opens it.
    auto other = std::make_unique<zeltest::OtherConnection>(file);
    ASSERT_TRUE(other->exec(u"PRAGMA locking_mode=EXCLUSIVE"_s));
    ASSERT_TRUE(other->exec(u"BEGIN EXCLUSIVE"_s));
    measurePart();  // opens the history: waits the busy timeout once
    ASSERT_EQ(f.prompter.notices.size(), 2u);
    EXPECT_TRUE(
        f.prompter.notices[0].text.endsWith(u"cannot be opened: locked by another program."_s))
        << f.prompter.notices[0].text.toStdString();
    EXPECT_TRUE(f.prompter.notices[1].text.contains(u": locked by another program.\r"_s))
        << "not \"not open\": " << f.prompter.notices[1].text.toStdString();

    QElapsedTimer running;  // a bound, not a wait: no other part waits on the lock
    running.start();
    measurePart();
    history->retry();
    EXPECT_LT(running.elapsed(), zelapp::OpenOptions::kBusyTimeoutMs);
    EXPECT_EQ(history->lastRecord(), (PartRecord{2, 0, 0})) << "serial pending";
    EXPECT_EQ(f.prompter.notices.size(), 2u) << "once for the stretch, never once per part";

    other.reset();
    history->retry();
    EXPECT_EQ(history->notRecorded(), 0);
    EXPECT_EQ(history->lastRecord(), (PartRecord{2, 4, 4}));
    EXPECT_EQ(storedSerials(), (std::vector<qint64>{1, 2, 3, 4}));
}

TEST_F(PartHistoryTest, AHistoryRemovedWhileInUseIsStartedAgainWithOneNoticeAndFollowed) {
    measurePart();
    const QString first = history->uuid();
    std::vector<QString> changes;
    QObject::connect(history, &zelapp::PartHistory::fileChanged,
                     [&](const QString &to) { changes.push_back(to); });
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s}) {
        QFile::remove(file + suffix);
    }
    measurePart();
    measurePart();
    ASSERT_EQ(f.prompter.notices.size(), 1u);
    EXPECT_EQ(
        f.prompter.notices[0].text,
        u"The parts history %1 was removed or replaced while in use; a new one was started."_s.arg(
            QDir::toNativeSeparators(file)));
    EXPECT_EQ(changes, std::vector<QString>{file}) << "the other stores open it again";
    EXPECT_NE(history->uuid(), first);
    EXPECT_EQ(history->lastRecord(), (PartRecord{3, 2, 2}));
    EXPECT_EQ(storedSerials(), (std::vector<qint64>{1, 2}));
}

TEST_F(PartHistoryTest, TheSetupFileIsStoredInFull) {
    f.state().SetupFileName = u"shaft.zel"_s;  // as the command line may give it
    measurePart();
    zelapp::PartStore reader;
    ASSERT_TRUE(reader.open(file, {100, true}).ok());
    const std::vector<zelapp::StoredPart> parts = reader.range(0, 10, 10).parts;
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].setupFile, QDir::current().absoluteFilePath(u"shaft.zel"_s));
}

TEST_F(PartHistoryTest, ThePartProgramsExportKeysGoWithThePartAndTheFolderDecidesTheQueue) {
    zelapp::PartProgram program;
    program.nominals = {{1, u"0.0010"_s}, {7, u"3"_s}};  // 7 is no characteristic: not kept
    program.sides = {{1, zelapp::ToleranceSides::UpperOnly}};
    f.session->partProgram().replace(program);
    zelapp::writeDfqSettings(f.store, {u"/settings/qdas"_s, {}, {}});
    measurePart();  // the settings' folder
    program.dfqFolder = u" /program/qdas "_s;
    f.session->partProgram().replace(program);
    measurePart();  // the part program's, over the settings'
    program.dfqFolder.clear();
    f.session->partProgram().replace(program);
    zelapp::writeDfqSettings(f.store, {});
    measurePart();  // none: not queued

    zelapp::PartStore reader;
    ASSERT_TRUE(reader.open(file, {100, true}).ok());
    const std::vector<zelapp::StoredPart> parts = reader.range(0, 1000, 1000).parts;
    ASSERT_EQ(parts.size(), 3u);
    // The revision's nominal and sides and the export queue are kept by the history's schema
    // that comes with the sender.
    std::optional<zelapp::StoreFailure> failure;
    const std::vector<zelapp::RevisionCharacteristic> revision =
        reader.revision(parts[0].revision, &failure);
    ASSERT_EQ(revision.size(), 1u);
    EXPECT_EQ(revision[0].nominal, u"0.0010"_s);
    EXPECT_EQ(revision[0].sides, zelapp::ToleranceSides::UpperOnly);

    // The export's thread may have tried these folders: they do not exist, so both still wait.
    EXPECT_EQ(zelapp::DfqQueue(reader).pendingExports(10, &failure),
              (std::vector<zelapp::ExportEntry>{{parts[0].id, u"/settings/qdas"_s, {}},
                                                {parts[1].id, u"/program/qdas"_s, {}}}));
}

}  // namespace
