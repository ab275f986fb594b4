// The close of a stop the system asked for, without a window: nothing is asked, the parts kept
// in memory go into the history if it takes them within the wait (on the test's clock), a
// modified setup is kept beside its file and never saved over it, zelapp.ini is written, and the
// next start tells where the setup went.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/recent_setups.h"
#include "core/unsaved_setup.h"
#include "file_bytes.h"
#include "session_fixture.h"
#include "setup/setup_writer.h"

using namespace Qt::StringLiterals;

namespace {

struct QuietCloseTest : ::testing::Test {
    zeltest::TempFolder links;  // the live-value service's socket
    zeltest::ScopedEnv linkEnv{"ZEL_DDE_DIR", links.path().c_str()};
    zeltest::TempFolder config;  // the settings folder, the last place a setup may be kept in
    zeltest::ScopedEnv configEnv{"XDG_CONFIG_HOME", config.path().c_str()};
    zeltest::TempFolder home;  // the File dialogs' first folder
    zeltest::ScopedEnv homeEnv{"HOME", home.path().c_str()};
    zeltest::TempFolder setups;  // where the operator keeps setups
    zeltest::SessionFixture f;

    QString setupFolder() const { return QString::fromStdString(setups.path()); }
    QString inSetups(const QString &name) const { return QDir(setupFolder()).filePath(name); }
    QString dbPath() { return QDir(f.programFolder()).filePath(u"parts.db"_s); }
    QString iniPath() { return QDir(f.programFolder()).filePath(u"zelapp.ini"_s); }

    // Started and loaded as the window loads it; the file dialogs' last folder is `setups`.
    void load() {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.session->Form_Load();
        f.store.setValue(u"LastFolders"_s, u"zel"_s, setupFolder());
        f.setup().channel(1)->setFormula(u"T1"_s);
        f.fakeUnit.channelValue[1] = 0.0012f;
        // The waits of the close pass on the elapsed clock too, as real time does.
        f.clock.onWait = [this] { passTime(); };
        f.prompter.shown.clear();
        f.prompter.notices.clear();
    }
    void passTime() {
        f.scanClock.now += f.clock.elapsedMs - waited;
        waited = f.clock.elapsedMs;
    }
    int waited = 0;

    // The setup saved as `name` in the setups folder, then left unmodified.
    void saveAs(const QString &name) {
        f.chooser.answer = inSetups(name);
        ASSERT_TRUE(f.session->setupCommands().SaveAsFile_Click());
    }
    // What an operator types: a channel's description, programmed as Setup > Channels does.
    void type() {
        f.setup().channel(1)->Description = u"typed, never saved"_s;
        f.setup().channel(1)->InUse = true;
        f.setup().markModified({zelapp::SetupChange::Kind::Channel, 1});
    }
    std::vector<qint64> storedSerials() {
        zelapp::PartStore reader;
        EXPECT_TRUE(reader.open(dbPath(), {100, true}).ok());
        std::vector<qint64> serials;
        for (const zelapp::StoredPart &part : reader.range(0, 1000, 1000).parts) {
            serials.push_back(part.serial);
        }
        return serials;
    }
    // Three parts measured while the history's path is a folder: kept in memory.
    void keepThreeParts() {
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s}) {
            QFile::remove(dbPath() + suffix);
        }
        ASSERT_TRUE(QDir().mkpath(dbPath()));
        f.session->partHistory().reopen();
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(f.measurePart());
        }
        ASSERT_EQ(f.session->partHistory().notRecorded(), 3);
    }
};

TEST_F(QuietCloseTest, KeptPartsAreWrittenOnceTheHistoryTakesThemWithinTheWait) {
    load();
    keepThreeParts();
    const qint64 start = f.scanClock.now;
    f.clock.onWait = [&] {
        passTime();
        if (f.clock.waits == 4) {
            QDir().rmdir(dbPath());  // the history can be made again
        }
    };
    const zelapp::QuietClose result = f.session->closeQuietly();
    EXPECT_TRUE(result.closed);
    EXPECT_EQ(result.partsLost, 0);
    EXPECT_EQ(storedSerials(), (std::vector<qint64>{1, 2, 3}));
    EXPECT_EQ(f.clock.waits, 4) << "no wait once they are written";
    EXPECT_LE(f.scanClock.now - start, 5000);
    EXPECT_TRUE(f.prompter.shown.empty()) << "nobody is asked";
}

TEST_F(QuietCloseTest, PartsTheHistoryNeverTakesAreGivenUpBeforeFiveSeconds) {
    load();
    keepThreeParts();
    const qint64 start = f.scanClock.now;
    const zelapp::QuietClose result = f.session->closeQuietly();
    EXPECT_EQ(result.partsLost, 3);
    EXPECT_EQ(result.historyFile, dbPath());
    EXPECT_LE(f.scanClock.now - start, 5000);
    EXPECT_GE(f.scanClock.now - start, 4500) << "tried for most of the wait";
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_TRUE(QFile::exists(iniPath())) << "the rest of the close goes on";
}

TEST_F(QuietCloseTest, BeforeTheWindowLoadsNothingIsWritten) {
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    f.state().SetupModified = true;
    EXPECT_FALSE(f.session->closeQuietly().closed);
    EXPECT_FALSE(QFile::exists(iniPath())) << "the settings were not all read yet";
}

// Where a setup is kept, by what it is when the stop comes.
struct KeepCase {
    const char *name;
    bool saved;          // saved once as shaft.zel before
    bool newSetup;       // File > New after that ("new.zel", no file)
    bool typed;          // changed since
    bool nameTaken;      // a folder stands where the setup would be kept beside its file
    const char *keptAs;  // the file it is kept in; empty: none
    const char *keptIn;  // "setups" or "settings"
};

void PrintTo(const KeepCase &c, std::ostream *os) {
    *os << c.name;
}

class KeepingTheSetup : public QuietCloseTest, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(KeepingTheSetup, IsKeptWhereItCanBeFoundAndNeverSavedOverItsFile) {
    const KeepCase &c = GetParam();
    load();
    if (c.saved) {
        saveAs(u"shaft.zel"_s);
    }
    const QByteArray savedBytes = zeltest::readBytes(inSetups(u"shaft.zel"_s));
    if (c.newSetup) {
        f.session->setupCommands().NewFile_Click();
    }
    if (c.typed) {
        type();
    }
    if (c.nameTaken) {
        ASSERT_TRUE(QDir().mkpath(inSetups(u"shaft.zel.unsaved"_s)));
    }
    const QByteArray expected = zelapp::setupFileText(f.setup(), QLatin1Char('.'));

    const zelapp::QuietClose result = f.session->closeQuietly();
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_TRUE(QFile::exists(iniPath()));
    if (QString::fromLatin1(c.keptAs).isEmpty()) {
        EXPECT_TRUE(result.keptSetup.file.isEmpty());
        EXPECT_TRUE(result.keptSetup.error.isEmpty());
        EXPECT_TRUE(QDir(setupFolder()).entryList({u"*.unsaved"_s}, QDir::Files).isEmpty());
        return;
    }
    const QString folder = QString::fromLatin1(c.keptIn) == u"setups"
                               ? setupFolder()
                               : QString::fromStdString(config.path()) + u"/zelapp"_s;
    const QString kept = QDir(folder).filePath(QString::fromLatin1(c.keptAs));
    EXPECT_EQ(result.keptSetup.file, kept) << result.keptSetup.error.toStdString();
    EXPECT_EQ(zeltest::readBytes(kept), expected) << "the bytes Save would have written";
    EXPECT_TRUE(zeltest::readBytes(kept).contains("typed, never saved"));
    if (c.saved) {
        EXPECT_EQ(zeltest::readBytes(inSetups(u"shaft.zel"_s)), savedBytes) << "not saved";
    }
    EXPECT_TRUE(f.state().SetupModified) << "still unsaved";
}

INSTANTIATE_TEST_SUITE_P(
    QuietClose, KeepingTheSetup,
    ::testing::Values(
        KeepCase{"SavedAndUnchanged", true, false, false, false, "", ""},
        KeepCase{"SavedThenChanged", true, false, true, false, "shaft.zel.unsaved", "setups"},
        KeepCase{"NeverSaved", false, false, true, false, "untitled.zel.unsaved", "setups"},
        KeepCase{"NewAfterASave", true, true, true, false, "new.zel.unsaved", "setups"},
        KeepCase{"ItsPlaceTaken", true, false, true, true, "shaft.zel.unsaved", "settings"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(QuietCloseTest, TheNextStartSaysWhereTheSetupIsAndOffersItFirst) {
    load();
    saveAs(u"shaft.zel"_s);
    type();
    const QString kept = f.session->closeQuietly().keptSetup.file;
    ASSERT_FALSE(kept.isEmpty());

    // What a start says of the setup kept; each start on the settings the one before left.
    zelapp::MemorySettingsStore settings = f.store;
    const auto startAgain = [&settings] {
        zeltest::SessionFixture next;
        next.store = settings;
        EXPECT_EQ(next.start(), zelapp::StartupResult::Running);
        next.session->Form_Load();
        settings = next.store;
        std::vector<QString> told;
        for (const zeltest::ShownPrompt &notice : next.prompter.notices) {
            if (notice.title == u"Setup kept"_s) {
                told.push_back(notice.text);
            }
        }
        return std::pair{told, next.session->recentSetups().files()};
    };
    const auto [told, recent] = startAgain();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].contains(inSetups(u"shaft.zel"_s))) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains(kept)) << told[0].toStdString();
    EXPECT_EQ(recent.value(0), kept) << "first of the last setups";
    EXPECT_TRUE(startAgain().first.empty()) << "told once";
}

TEST(UnsavedSetups, AKeptFileThatIsGoneIsNotToldOfAndAnUntitledOneSaysSo) {
    zeltest::TempFolder folder;
    const QString kept = QString::fromStdString(folder.path()) + u"/untitled.zel.unsaved"_s;
    zelapp::MemorySettingsStore store;
    zeltest::ScriptedPrompter prompter;
    zelapp::RecentSetups recent(store);
    zelapp::UnsavedSetups unsaved(store, prompter, recent);
    store.setValue(u"UnsavedSetup"_s, u"File"_s, kept);
    unsaved.tellKept();
    EXPECT_TRUE(prompter.notices.empty()) << "moved away since";
    EXPECT_TRUE(recent.files().isEmpty());

    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    store.setValue(u"UnsavedSetup"_s, u"File"_s, kept);
    unsaved.tellKept();
    ASSERT_EQ(prompter.notices.size(), 1u);
    EXPECT_TRUE(prompter.notices[0].text.contains(u"never been saved"_s));
    EXPECT_TRUE(prompter.notices[0].text.contains(kept));
}

// A setup opened from where it was kept keeps the part file of its setup: saved under the
// setup's name, its mastering times and part program are not lost.
TEST(UnsavedSetups, AKeptSetupGoesWithItsSetupsPartFile) {
    EXPECT_EQ(zelapp::partFilePath(u"/gauges/shaft.zel.unsaved"_s), u"/gauges/shaft.zpart"_s);
    EXPECT_EQ(zelapp::unsavedSetupPath(u"/gauges/shaft.zel"_s), u"/gauges/shaft.zel.unsaved"_s);
    EXPECT_EQ(zelapp::unsavedSetupPath(u"/gauges/shaft.zel.unsaved"_s),
              u"/gauges/shaft.zel.unsaved"_s);
}

}  // namespace
