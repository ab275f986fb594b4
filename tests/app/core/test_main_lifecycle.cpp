// The close sequence: which questions come when, what each answer does, and what is written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "base/file_chooser.h"
#include "core/main_lifecycle.h"
#include "recording_ports.h"
#include "setup/setup_commands.h"
#include "setup_fixture.h"
#include "temp_folder.h"

using zelapp::PromptAnswer;

namespace {

class NoViewer : public zelapp::HelpViewer {
  public:
    int closes = 0;
    bool showTopic(const QString &, long, QString *) override { return true; }
    bool close(const QString &, QString *) override {
        ++closes;
        return true;
    }
};

class CloseTest : public ::testing::Test {
  protected:
    zeltest::TempFolder folder;
    QString programFolder = QString::fromStdString(folder.path());
    zeltest::SetupFixture f;
    zeltest::FakeFileChooser chooser;
    NoViewer viewer;
    zelapp::MemorySettingsStore store;
    zelapp::SetupCommands commands{f.setup, f.prompter, chooser, QLocale::c()};
    zelapp::Help help{f.state, f.prompter, viewer};
    int conversations = 0;  // held open by other programs
    zelapp::MainLifecycle lifecycle{
        f.state, f.prompter,   commands,      help,
        store,   f.mainWindow, programFolder, [this] { return conversations; }};

    QString ini() const { return QDir(programFolder).filePath(QStringLiteral("zelapp.ini")); }
    QString file(const char *name) const {
        return QDir(programFolder).filePath(QString::fromLatin1(name));
    }
};

TEST_F(CloseTest, UnmodifiedWithoutLinksAsksNothingAndWritesTheSettings) {
    f.state.AppPath = QStringLiteral("/elsewhere");
    f.state.HelpFile = QStringLiteral("zelapp.html");
    f.setup.CreateChannels(3);  // a setup file changed the counts: the next start builds those
    EXPECT_TRUE(lifecycle.Form_QueryUnload());
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.state.AppPath, programFolder);
    QFile written(ini());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_TRUE(text.startsWith("[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= 3 \r\n"));
    EXPECT_EQ(viewer.closes, 1);

    lifecycle.Form_Unload(false, {1200, 800});
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("MainLeft")),
              QStringLiteral("1200"));
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("MainTop")),
              QStringLiteral("800"));
}

TEST_F(CloseTest, MinimisedWindowKeepsTheStoredPlace) {
    lifecycle.Form_Unload(true, {1, 2});
    EXPECT_TRUE(store.value(QStringLiteral("Settings"), QStringLiteral("MainLeft")).isEmpty());
}

TEST_F(CloseTest, CancelAtTheSaveQuestionKeepsTheWindowAndWritesNothing) {
    f.state.SetupModified = true;
    f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(lifecycle.Form_QueryUnload());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text, QStringLiteral("Setup has been modified\rSave changes"));
    EXPECT_EQ(f.prompter.shown[0].buttons, zelapp::PromptButtons::YesNoCancel);
    EXPECT_EQ(f.prompter.shown[0].icon, zelapp::PromptIcon::Question);
    EXPECT_FALSE(QFile::exists(ini()));
    EXPECT_EQ(viewer.closes, 0);
}

TEST_F(CloseTest, YesSavesThroughSaveAsThenCloses) {
    f.state.SetupModified = true;
    f.prompter.answers = {PromptAnswer::Yes};
    chooser.answer = file("job.zel");
    EXPECT_TRUE(lifecycle.Form_QueryUnload());
    EXPECT_EQ(static_cast<int>(chooser.saveRequests.size()), 1);
    EXPECT_TRUE(QFile::exists(file("job.zel")));
    EXPECT_FALSE(f.state.SetupModified);
    EXPECT_TRUE(QFile::exists(ini()));
}

TEST_F(CloseTest, NoClosesWithoutSaving) {
    f.state.SetupModified = true;
    f.prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(lifecycle.Form_QueryUnload());
    EXPECT_EQ(static_cast<int>(chooser.saveRequests.size()), 0);
    EXPECT_TRUE(QFile::exists(ini()));
}

TEST_F(CloseTest, CancelledSaveAsKeepsTheProgramOpen) {
    // The operator asked to keep the changes: closing without them would lose them.
    f.state.SetupModified = true;
    f.prompter.answers = {PromptAnswer::Yes};
    chooser.answer.clear();
    EXPECT_FALSE(lifecycle.Form_QueryUnload());
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_FALSE(QFile::exists(ini()));
}

TEST_F(CloseTest, FailedSaveKeepsTheProgramOpen) {
    f.state.SetupModified = true;
    f.prompter.answers = {PromptAnswer::Yes};
    chooser.answer = programFolder;  // a folder cannot be written as a file
    EXPECT_FALSE(lifecycle.Form_QueryUnload());
    EXPECT_EQ(f.prompter.shown.size(), 2u);  // the question, then why the save failed
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_FALSE(QFile::exists(ini()));
}

TEST_F(CloseTest, OpenConversationsAskBeforeExiting) {
    f.mainWindow.captionText = QStringLiteral("ZEL-32 [job.zel]");
    conversations = 1;

    f.prompter.answers = {PromptAnswer::No};
    EXPECT_FALSE(lifecycle.Form_QueryUnload());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text,
              QStringLiteral("Other applications are using this application\r"
                             "Do you really want to exit the application?"));
    EXPECT_EQ(f.prompter.shown[0].title, QStringLiteral("ZEL-32 [job.zel]"));
    EXPECT_EQ(f.prompter.shown[0].buttons, zelapp::PromptButtons::YesNo);
    EXPECT_FALSE(QFile::exists(ini()));

    conversations = 0;
    EXPECT_TRUE(lifecycle.Form_QueryUnload());
    EXPECT_EQ(f.prompter.shown.size(), 1u);
}

TEST_F(CloseTest, SettingsThatCannotBeWrittenAreReportedAndTheCloseGoesOn) {
    zelapp::MainLifecycle elsewhere{f.state,
                                    f.prompter,
                                    commands,
                                    help,
                                    store,
                                    f.mainWindow,
                                    QDir(programFolder).filePath(QStringLiteral("missing")),
                                    [] { return 0; }};
    EXPECT_TRUE(elsewhere.Form_QueryUnload());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_TRUE(
        f.prompter.shown[0].text.startsWith(QStringLiteral("The settings could not be saved.")));
}

}  // namespace
