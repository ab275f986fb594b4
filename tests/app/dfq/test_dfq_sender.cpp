// The DFQ export queue's sender on a folder in memory: every part arrives once and in order,
// whatever happens to the folder or to the program between the write and the rename. The
// file's bytes are the test's own (the part ids), so that this is the queue's test, not the
// format's.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "dfq/dfq_sender.h"
#include "fake_dfq_folder.h"
#include "part_samples.h"

using namespace zelapp;
using zeltest::FakeDfqFolder;

namespace {

const QString kQ = QStringLiteral("/mnt/q");
const QString kR = QStringLiteral("/mnt/r");

// "n: 4 5 6": the characteristics of the revision, then the part ids.
QByteArray idsFile(const std::vector<RevisionCharacteristic> &revision,
                   const std::vector<StoredPart> &parts, DfqEncoding) {
    QByteArray bytes = QByteArray::number(qsizetype(revision.size())) + ':';
    for (const StoredPart &part : parts) {
        bytes += ' ' + QByteArray::number(part.id);
    }
    return bytes;
}

QString serialName(const StoredPart &first) {
    return first.number + QLatin1Char('_') + QString::number(first.serial) + QStringLiteral(".dfq");
}

QDateTime at(int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 3, 4), QTime(hour, minute, second), Qt::OffsetFromUTC, 3600);
}

class DfqSenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("parts.db"));
        ASSERT_TRUE(program.open(file).ok());
        start();
    }

    // The sending thread's store and sender, new: as after a start of the program.
    void start() {
        sender.reset();
        store = std::make_unique<PartStore>();
        ASSERT_TRUE(store->open(file).ok());
        sender = std::make_unique<DfqSender>(*store, folder, [this]() { return now; });
        sender->setFormat({idsFile, serialName});
        sender->setSettings(settings);
    }

    // A part measured by the program at `when` and queued for `into` (empty: not queued).
    qint64 measure(const QString &number, const QString &into, const QDateTime &when = at(10, 0),
                   float hiTol = 0.02f) {
        PartResult part = zeltest::goodPart(number);
        part.ended = when;
        for (CharacteristicResult &c : part.characteristics) {
            c.limits.hiTol = hiTol;
        }
        SetupSnapshot setup = zeltest::snapshot();
        setup.dfqFolder = into;
        const Appended appended = program.append(part, setup);
        EXPECT_TRUE(appended.ok());
        return appended.id;
    }

    // The part ids of the files that arrived in `into`, in the order they were renamed; a file
    // the upload service took already is read from `taken`.
    std::vector<qint64> arrivedIds(const QString &into) {
        std::vector<qint64> ids;
        for (const QString &path : folder.arrived) {
            if (!path.startsWith(into + QLatin1Char('/'))) {
                continue;
            }
            const QString name = path.mid(into.size() + 1);
            const auto file = folder.files[into].find(name);
            const QByteArray bytes = file != folder.files[into].end() ? file->second : taken[path];
            for (const QByteArray &id : bytes.mid(bytes.indexOf(':') + 1).split(' ')) {
                if (!id.isEmpty()) {
                    ids.push_back(id.toLongLong());
                }
            }
        }
        return ids;
    }

    // The upload service imports and removes what arrived in `into`.
    void uploadServiceTakes(const QString &into) {
        for (const QString &name : folder.names(into)) {
            if (name.endsWith(QStringLiteral(".dfq"))) {
                taken[into + QLatin1Char('/') + name] = folder.files[into][name];
            }
        }
        folder.takeAll(into);
    }

    bool onlyFinalNames(const QString &into) {
        for (const QString &name : folder.names(into)) {
            if (!name.endsWith(QStringLiteral(".dfq"))) {
                return false;
            }
        }
        return true;
    }

    QTemporaryDir dir;
    QString file;
    PartStore program;  // the program's writer
    std::unique_ptr<PartStore> store;
    FakeDfqFolder folder;
    QDateTime now = at(12, 0);
    DfqSettings settings;
    std::unique_ptr<DfqSender> sender;
    std::map<QString, QByteArray> taken;
};

TEST_F(DfqSenderTest, PerPartEachQueuedPartIsAFileOfItsOwnInTheOrderMeasured) {
    measure(QStringLiteral("A-100"), kQ);
    measure(QStringLiteral("A-100"), kQ);
    measure(QStringLiteral("A-100"), QString());  // measured while no folder was set
    measure(QStringLiteral("B-7"), kQ);
    measure(QStringLiteral("B-7"), kR);

    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(folder.arrived,
              (std::vector<QString>{
                  QStringLiteral("/mnt/q/A-100_1.dfq"), QStringLiteral("/mnt/q/A-100_2.dfq"),
                  QStringLiteral("/mnt/q/B-7_1.dfq"), QStringLiteral("/mnt/r/B-7_2.dfq")}));
    EXPECT_EQ(folder.files[kQ][QStringLiteral("A-100_2.dfq")], "2: 2")
        << "the part's revision went with it";
    EXPECT_TRUE(onlyFinalNames(kQ));

    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(folder.renames, 4) << "nothing is sent twice";
}

TEST_F(DfqSenderTest, AFolderAwayKeepsItsPartsWaitingInOrderWhileOtherFoldersGoOn) {
    measure(QStringLiteral("A-100"), kQ);
    folder.states[kQ] = FakeDfqFolder::State::Missing;
    measure(QStringLiteral("A-100"), kQ);
    measure(QStringLiteral("A-100"), kR);
    EXPECT_EQ(sender->send(),
              (DfqWaiting{2, QStringLiteral("DFQ folder /mnt/q: No such file or directory")}));
    EXPECT_EQ(arrivedIds(kR), (std::vector<qint64>{3}));

    folder.states[kQ] = FakeDfqFolder::State::ReadOnly;
    measure(QStringLiteral("A-100"), kQ);
    EXPECT_EQ(sender->send(),
              (DfqWaiting{3, QStringLiteral("DFQ folder /mnt/q: Read-only file system")}));
    folder.states[kQ] = FakeDfqFolder::State::Full;
    measure(QStringLiteral("A-100"), kQ);
    EXPECT_EQ(sender->send(),
              (DfqWaiting{4, QStringLiteral("DFQ folder /mnt/q: No space left on device")}));
    EXPECT_TRUE(folder.names(kQ).empty());
    EXPECT_EQ(folder.writes, 1) << "the first failure stops the folder's later parts";

    folder.states[kQ] = FakeDfqFolder::State::Present;
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2, 4, 5}));
    EXPECT_TRUE(onlyFinalNames(kQ));
}

TEST_F(DfqSenderTest, AFolderLostBetweenTheWriteAndTheRenameGetsThatFileWhenItIsBack) {
    measure(QStringLiteral("A-100"), kQ);
    measure(QStringLiteral("A-100"), kQ);
    folder.onCall = [this]() {
        if (folder.writes == 1) {  // unmounted right after the first file was flushed
            folder.states[kQ] = FakeDfqFolder::State::Missing;
        }
    };
    const DfqWaiting waiting = sender->send();
    EXPECT_EQ(waiting.count, 2);
    EXPECT_EQ(waiting.cause, QStringLiteral("DFQ folder /mnt/q: No such file or directory"));
    folder.onCall = {};

    // At a start while it is still away, the recorded file is neither sent nor given up.
    start();
    EXPECT_EQ(sender->recover().count, 2);
    folder.states[kQ] = FakeDfqFolder::State::Present;
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2}));
    EXPECT_EQ(folder.writes, 2) << "the first file was renamed, not written again";
    EXPECT_TRUE(onlyFinalNames(kQ));
}

TEST_F(DfqSenderTest, ACrashOnEitherSideOfTheRenameNeitherLosesNorDoublesAPart) {
    // Before: the temporary file was written and recorded; recover() renames it.
    measure(QStringLiteral("A-100"), kQ);
    measure(QStringLiteral("A-100"), kQ);
    folder.crashAt = FakeDfqFolder::CrashAt::BeforeRename;
    EXPECT_THROW(sender->send(), FakeDfqFolder::Crash);
    start();
    EXPECT_EQ(sender->recover(), (DfqWaiting{1, QString()}))
        << "the second part waits for its pass";
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1}));
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2}));

    // After, with the upload service quicker than the start: the file is gone, the part done.
    uploadServiceTakes(kQ);
    measure(QStringLiteral("A-100"), kQ);
    folder.crashAt = FakeDfqFolder::CrashAt::AfterRename;
    EXPECT_THROW(sender->send(), FakeDfqFolder::Crash);
    uploadServiceTakes(kQ);
    start();
    EXPECT_EQ(sender->recover(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));

    // After, with the file still in the folder: not written again under another name.
    measure(QStringLiteral("A-100"), kQ);
    folder.crashAt = FakeDfqFolder::CrashAt::AfterRename;
    EXPECT_THROW(sender->send(), FakeDfqFolder::Crash);
    start();
    EXPECT_EQ(sender->recover(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2, 3, 4}));
    EXPECT_EQ(folder.names(kQ), (std::vector<QString>{QStringLiteral("A-100_4.dfq")}));
}

TEST_F(DfqSenderTest, ACrashBeforeTheTemporaryNameIsRecordedLeavesNoFileBehind) {
    measure(QStringLiteral("A-100"), kQ);
    folder.crashAt = FakeDfqFolder::CrashAt::AfterWrite;
    EXPECT_THROW(sender->send(), FakeDfqFolder::Crash);
    ASSERT_EQ(folder.names(kQ).size(), 1u);
    const QString temp = folder.names(kQ).front();
    EXPECT_FALSE(temp.endsWith(QStringLiteral(".dfq"))) << "the upload service ignores it";
    EXPECT_EQ(temp, DfqSender::tempName(program.uuid(), 1));

    start();
    EXPECT_EQ(sender->recover(), (DfqWaiting{1, QString()})) << "nothing recorded to finish";
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(folder.names(kQ), (std::vector<QString>{QStringLiteral("A-100_1.dfq")}))
        << "the same temporary name, written over";
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1}));
}

TEST_F(DfqSenderTest, AFileOfTheSameNameInTheFolderIsNeverReplaced) {
    folder.files[kQ][QStringLiteral("A-100_1.dfq")] = "another station's";
    folder.files[kQ][QStringLiteral("A-100_1-2.dfq")] = "and another";
    measure(QStringLiteral("A-100"), kQ);
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(folder.arrived, (std::vector<QString>{QStringLiteral("/mnt/q/A-100_1-3.dfq")}));
    EXPECT_EQ(folder.files[kQ][QStringLiteral("A-100_1.dfq")], "another station's");
}

TEST_F(DfqSenderTest, HourFilesCloseOnTheHourOnANewPartNumberOrRevisionAndAtClosing) {
    settings.files = DfqFiles::PerHour;
    sender->setSettings(settings);
    now = at(10, 30);
    measure(QStringLiteral("A-100"), kQ, at(10, 5));
    measure(QStringLiteral("A-100"), kQ, at(10, 20));
    EXPECT_EQ(sender->send(), (DfqWaiting{2, QString()})) << "the hour goes on";
    EXPECT_TRUE(folder.names(kQ).empty());

    measure(QStringLiteral("B-7"), kQ, at(10, 40));
    EXPECT_EQ(sender->send().count, 1) << "a new part number closes the hour's file";
    measure(QStringLiteral("B-7"), kQ, at(10, 45), 0.025f);
    EXPECT_EQ(sender->send().count, 1) << "and so does a new revision";
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2, 3}));

    now = at(10, 59, 59);
    EXPECT_EQ(sender->send().count, 1);
    now = at(11, 0);
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()})) << "its hour ended";
    EXPECT_EQ(folder.arrived.size(), 3u);

    now = at(11, 20);
    measure(QStringLiteral("A-100"), kQ, at(11, 10));
    measure(QStringLiteral("A-100"), kR, at(11, 12));  // another folder closes nothing here
    measure(QStringLiteral("A-100"), kQ, at(11, 15));
    EXPECT_EQ(sender->send().count, 3);
    EXPECT_EQ(sender->send(true), (DfqWaiting{0, QString()}));
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2, 3, 4, 5, 7}));
    EXPECT_EQ(folder.files[kQ][QStringLiteral("A-100_3.dfq")], "2: 5 7")
        << "named after its first part";
    EXPECT_EQ(arrivedIds(kR), (std::vector<qint64>{6}));
}

TEST_F(DfqSenderTest, AnHourFileAwayWithItsFolderKeepsItsPartsTogether) {
    settings.files = DfqFiles::PerHour;
    sender->setSettings(settings);
    measure(QStringLiteral("A-100"), kQ, at(10, 5));
    measure(QStringLiteral("A-100"), kQ, at(10, 6));
    folder.states[kQ] = FakeDfqFolder::State::Full;
    EXPECT_EQ(sender->send().count, 2);
    measure(QStringLiteral("A-100"), kQ, at(11, 1));
    folder.states[kQ] = FakeDfqFolder::State::Present;
    now = at(12, 0);
    EXPECT_EQ(sender->send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(folder.files[kQ][QStringLiteral("A-100_1.dfq")], "2: 1 2");
    EXPECT_EQ(folder.files[kQ][QStringLiteral("A-100_3.dfq")], "2: 3");
}

TEST_F(DfqSenderTest, AStopAskedForEndsThePassAndLeavesTheRestQueued) {
    for (int n = 0; n < 3; ++n) {
        measure(QStringLiteral("A-100"), kQ);
    }
    folder.onCall = [this]() {
        if (folder.renames == 1) {
            sender->stopSoon();
        }
    };
    // Asked for while the second file is being written: that file is finished, the third waits.
    EXPECT_EQ(sender->send().count, 1);
    EXPECT_EQ(arrivedIds(kQ), (std::vector<qint64>{1, 2}));
    EXPECT_TRUE(onlyFinalNames(kQ));
}

}  // namespace
