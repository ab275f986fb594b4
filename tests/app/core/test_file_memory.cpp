// What the program remembers of files between runs, in the per-user settings store only: the
// folder each kind of file dialog opens in, and the File menu's last eight setups.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/last_folder_chooser.h"
#include "core/recent_setups.h"
#include "file_bytes.h"
#include "session_fixture.h"
#include "setup/setup_commands.h"

using namespace Qt::StringLiterals;
using zelapp::PromptAnswer;

namespace {

QString folderIn(const zeltest::TempFolder &root, const QString &name) {
    const QString path = QDir(QString::fromStdString(root.path())).filePath(name);
    QDir().mkpath(path);
    return path;
}

TEST(LastFolder, EachKindOfFileOpensWhereItWasLastChosenAndNeverInTheProgramFolder) {
    zeltest::TempFolder root;
    const QString documents = folderIn(root, u"Documents"_s);
    const QString jobs = folderIn(root, u"jobs"_s);
    zeltest::FakeFileChooser dialogs;
    zelapp::MemorySettingsStore store;
    zelapp::LastFolderChooser chooser(dialogs, store, documents);
    const zelapp::FileDialogRequest openSetup{
        u"ZEL Setups (*.zel)|*.zel|All (*.*)|*.*"_s, {}, u"/opt/zelapp"_s, false};
    const zelapp::FileDialogRequest saveSetup{u"Zel Setups (*.zel)|*.zel|All (*.*)|*.*"_s, u"zel"_s,
                                              u"/opt/zelapp"_s, false};
    const zelapp::FileDialogRequest profile{u"Zel Amplifier Profile (*.zap)|*.zap|All (*.*)|*.*"_s,
                                            u"zap"_s, u"/opt/zelapp"_s, false};
    EXPECT_EQ(zelapp::LastFolderChooser::kindOf(openSetup), u"zel"_s);
    EXPECT_EQ(zelapp::LastFolderChooser::kindOf(profile), u"zap"_s);
    EXPECT_TRUE(zelapp::LastFolderChooser::kindOf({u"All|*"_s, {}, {}}).isEmpty());

    // At first: the documents folder, whatever the caller asked for.
    EXPECT_TRUE(chooser.chooseOpenFile(openSetup).isEmpty());
    EXPECT_EQ(dialogs.openRequests.back().initialFolder, documents);
    EXPECT_EQ(dialogs.openRequests.back().filter, openSetup.filter);
    EXPECT_TRUE(store.value(u"LastFolders"_s, u"zel"_s).isEmpty()) << "a cancel is no choice";

    // A setup chosen in jobs: Open and Save As of setups start there, profiles do not.
    dialogs.answer = QDir(jobs).filePath(u"shaft.zel"_s);
    EXPECT_EQ(chooser.chooseOpenFile(openSetup), dialogs.answer);
    EXPECT_EQ(store.value(u"LastFolders"_s, u"zel"_s), jobs);
    dialogs.answer.clear();
    chooser.chooseSaveFile(saveSetup);
    EXPECT_EQ(dialogs.saveRequests.back().initialFolder, jobs);
    chooser.chooseOpenFile(profile);
    EXPECT_EQ(dialogs.openRequests.back().initialFolder, documents);

    // A profile saved in its own folder keeps it apart from the setups'.
    const QString profiles = folderIn(root, u"profiles"_s);
    dialogs.answer = QDir(profiles).filePath(u"front.zap"_s);
    chooser.chooseSaveFile(profile);
    dialogs.answer.clear();
    chooser.chooseOpenFile(profile);
    EXPECT_EQ(dialogs.openRequests.back().initialFolder, profiles);
    chooser.chooseOpenFile(openSetup);
    EXPECT_EQ(dialogs.openRequests.back().initialFolder, jobs);

    // Kept across runs; a folder since removed is not offered.
    zelapp::LastFolderChooser nextRun(dialogs, store, documents);
    EXPECT_EQ(nextRun.folderFor(openSetup), jobs);
    ASSERT_TRUE(QDir(jobs).removeRecursively());
    EXPECT_EQ(nextRun.folderFor(openSetup), documents);

    const QString first = zelapp::defaultFileFolder();
    EXPECT_TRUE(QFileInfo(first).isDir());
    EXPECT_TRUE(first == QDir::homePath() || first.startsWith(QDir::homePath()) ||
                first.contains(u"Documents"_s))
        << first.toStdString();
}

TEST(RecentSetups, NewestFirstEachOnceAtMostEightKeptInTheStore) {
    zelapp::MemorySettingsStore store;
    zelapp::RecentSetups recent(store);
    EXPECT_TRUE(recent.files().isEmpty());
    int changes = 0;
    recent.setChangedHandler([&changes] { ++changes; });
    for (int i = 1; i <= 10; ++i) {
        recent.add(u"/jobs/s%1.zel"_s.arg(i));
    }
    EXPECT_EQ(changes, 10);
    ASSERT_EQ(recent.files().size(), 8);
    EXPECT_EQ(recent.files().front(), u"/jobs/s10.zel"_s);
    EXPECT_EQ(recent.files().back(), u"/jobs/s3.zel"_s);

    // Used again: it moves to the top, once; another spelling of the same path is the same.
    recent.add(u"/jobs/other/../s5.zel"_s);
    EXPECT_EQ(recent.files().size(), 8);
    EXPECT_EQ(recent.files().front(), u"/jobs/s5.zel"_s);
    EXPECT_EQ(recent.files().count(u"/jobs/s5.zel"_s), 1);
    EXPECT_EQ(recent.files()[1], u"/jobs/s10.zel"_s);

    recent.remove(u"/jobs/s10.zel"_s);
    EXPECT_EQ(recent.files().size(), 7);
    const zelapp::RecentSetups nextRun(store);
    EXPECT_EQ(nextRun.files(), recent.files());
    EXPECT_TRUE(store.value(u"RecentSetups"_s, u"File8"_s).isEmpty());

    EXPECT_EQ(zelapp::RecentSetups::caption(0, u"/jobs/shaft.zel"_s), u"&1 shaft.zel"_s);
    EXPECT_EQ(zelapp::RecentSetups::caption(7, u"/jobs/a&b.zel"_s), u"&8 a&&b.zel"_s);
}

// The list through the file commands: loads and saves add to it, and a choice from it opens
// as File > Open does.
struct RecentThroughCommands : testing::Test {
    zeltest::SessionFixture f;
    zelapp::SetupCommands &commands = f.session->setupCommands();
    zelapp::RecentSetups &recent = f.session->recentSetups();
    QString folder = f.programFolder();

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.prompter.shown.clear();
    }
    QString path(const QString &name) const { return QDir(folder).filePath(name); }
};

TEST_F(RecentThroughCommands, OpenedAndSavedSetupsAreListedAndAMissingOneLeaves) {
    // Save As writes a.zel; Open loads it back; Save As again to b.zel.
    f.chooser.answer = path(u"a.zel"_s);
    ASSERT_TRUE(commands.SaveAsFile_Click());
    EXPECT_EQ(recent.files(), QStringList{path(u"a.zel"_s)});
    const QByteArray written = zeltest::readBytes(path(u"a.zel"_s));
    f.chooser.answer = path(u"b.zel"_s);
    ASSERT_TRUE(commands.SaveAsFile_Click());
    f.chooser.answer = path(u"a.zel"_s);
    commands.OpenFile_Click();
    EXPECT_EQ(recent.files(), (QStringList{path(u"a.zel"_s), path(u"b.zel"_s)}));
    // The files hold the setup only, byte for byte as before.
    EXPECT_EQ(zeltest::readBytes(path(u"a.zel"_s)), written);
    EXPECT_FALSE(written.contains("RecentSetups") || written.contains("LastFolders"));
    EXPECT_FALSE(QFile::exists(path(u"zelapp.ini"_s)));

    // A modified setup: the question comes first, and Cancel opens nothing.
    f.setup().markModified({zelapp::SetupChange::Kind::Groups, 0});
    f.prompter.answers = {PromptAnswer::Cancel};
    recent.open(1, commands);
    EXPECT_EQ(f.prompter.texts().back(), u"Setup has been modified\rSave changes"_s);
    EXPECT_EQ(f.state().SetupFileName, path(u"a.zel"_s));
    // No: b.zel opens and comes first.
    f.prompter.answers = {PromptAnswer::No};
    recent.open(1, commands);
    EXPECT_EQ(f.state().SetupFileName, path(u"b.zel"_s));
    EXPECT_EQ(recent.files().front(), path(u"b.zel"_s));

    // a.zel is gone: the reader says so, and the entry leaves the list.
    ASSERT_TRUE(QFile::remove(path(u"a.zel"_s)));
    f.prompter.shown.clear();
    recent.open(1, commands);
    ASSERT_EQ(f.prompter.texts().size(), 1u);
    EXPECT_EQ(f.prompter.texts()[0], path(u"a.zel"_s) + u" file not found."_s);
    EXPECT_EQ(recent.files(), QStringList{path(u"b.zel"_s)});
    recent.open(5, commands);  // beyond the list: nothing
    EXPECT_EQ(f.prompter.texts().size(), 1u);
}

}  // namespace
