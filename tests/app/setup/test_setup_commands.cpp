// The File menu's setup commands over a headless setup: which dialog each asks for, what the
// file name, the modified flag and the caption become, and that a failed save says so.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "base/file_chooser.h"
#include "base/process_signals.h"
#include "file_bytes.h"
#include "recording_ports.h"
#include "setup/setup_commands.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using zelapp::SetupLoad;

namespace {

class SetupCommandsTest : public ::testing::Test {
  protected:
    zeltest::TempFolder folder;
    QDir dir{QString::fromStdString(folder.path())};
    QString path = dir.filePath(u"job.zel"_s);
    zeltest::SetupFixture f{2, 1, 1};
    zeltest::FakeFileChooser chooser;
    zelapp::SetupCommands commands{f.setup, f.prompter, chooser, QLocale::c()};

    void SetUp() override {
        f.state.AppPath = u"/opt/zelapp"_s;
        f.mainWindow.captionText = u"ZEL-32 [old.zel]"_s;
    }
};

TEST_F(SetupCommandsTest, NewStartsAnEmptySetupAndLeavesTheModifiedFlag) {
    f.setup.addGroup(std::make_unique<zelapp::group>());
    f.state.SetupModified = true;
    f.prompter.answers = {zelapp::PromptAnswer::No};  // do not save the old one
    commands.NewFile_Click();
    EXPECT_EQ(f.state.SetupFileName, u"new.zel"_s);
    EXPECT_EQ(f.mainWindow.captionText, u"Zel-8 [new.zel]"_s);
    EXPECT_EQ(f.setup.groupCount(), 0);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_TRUE(f.state.UpdateEnabled);
}

TEST_F(SetupCommandsTest, OpenAsksForASetupFileAndLoadsIt) {
    zeltest::SetupFixture source(3, 1, 1);
    source.setup.channel(3)->InUse = true;
    source.setup.channel(3)->Description = u"Bore"_s;
    zeltest::writeBytes(path, zelapp::setupFileText(source.setup, u'.'));
    chooser.answer = path;
    f.state.SetupModified = true;
    f.prompter.answers = {zelapp::PromptAnswer::No};

    commands.OpenFile_Click();
    ASSERT_EQ(chooser.openRequests.size(), 1u);
    EXPECT_EQ(chooser.openRequests[0].filter, u"ZEL Setups (*.zel)|*.zel|All (*.*)|*.*"_s);
    EXPECT_TRUE(chooser.openRequests[0].defaultExtension.isEmpty());
    // The folder is the chooser's to give (the last one used), never the program's.
    EXPECT_TRUE(chooser.openRequests[0].initialFolder.isEmpty());
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_EQ(f.setup.channel(3)->Description, u"Bore"_s);
    EXPECT_FALSE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 ["_s + path + u"]"_s);
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{u"Setup has been modified\rSave changes"_s});
}

TEST_F(SetupCommandsTest, CancelledOpenChangesNothing) {
    f.state.SetupFileName = path;
    f.state.SetupModified = true;
    f.setup.channel(1)->Description = u"kept"_s;
    f.prompter.answers = {zelapp::PromptAnswer::No};
    commands.OpenFile_Click();
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_EQ(f.setup.channel(1)->Description, u"kept"_s);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 [old.zel]"_s);
    EXPECT_TRUE(f.unit.calls.empty());
    EXPECT_EQ(f.prompter.shown.size(), 1u);  // the question only
}

// New and Open ask as the close does before they replace a modified setup, after the open
// dialogs have asked about their own edits; Open asks for the file only after both.
TEST_F(SetupCommandsTest, NewAndOpenOfferAModifiedSetupForSavingFirst) {
    using zelapp::PromptAnswer;
    const QString question = u"Setup has been modified\rSave changes"_s;
    struct Case {
        const char *name;
        bool open;
        bool modified;
        bool dialogsAgree;
        std::vector<PromptAnswer> answers;  // the question, then the Save As
        QString saveAs;                     // the file Save As chooses; empty: cancelled
        bool replaced;
        bool saved;
    };
    const QString savedPath = dir.filePath(u"kept.zel"_s);
    const std::vector<Case> cases = {
        {"unmodified asks nothing", false, false, true, {}, {}, true, false},
        {"Cancel keeps it", false, true, true, {PromptAnswer::Cancel}, {}, false, false},
        {"No goes on", false, true, true, {PromptAnswer::No}, {}, true, false},
        {"Yes saves through Save As",
         false,
         true,
         true,
         {PromptAnswer::Yes},
         savedPath,
         true,
         true},
        {"a cancelled Save As cancels", false, true, true, {PromptAnswer::Yes}, {}, false, false},
        {"a dialog's Cancel comes first", false, true, false, {}, {}, false, false},
        {"Open: Cancel keeps it", true, true, true, {PromptAnswer::Cancel}, {}, false, false},
        {"Open: a dialog's Cancel comes first", true, true, false, {}, {}, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        zeltest::SetupFixture g{2, 1, 1};
        zeltest::FakeFileChooser files;
        zelapp::SetupCommands under{g.setup, g.prompter, files, QLocale::c()};
        int guardCalls = 0;
        under.setReplaceGuard([&] {
            ++guardCalls;
            EXPECT_TRUE(g.prompter.shown.empty()) << "the dialogs ask first";
            return c.dialogsAgree;
        });
        g.setup.channel(1)->Description = u"old"_s;
        g.state.SetupModified = c.modified;
        g.prompter.answers.assign(c.answers.begin(), c.answers.end());
        files.answer = c.saveAs;
        if (c.open) {
            under.OpenFile_Click();  // the file dialog then gets the empty answer: cancelled
        } else {
            under.NewFile_Click();
        }
        EXPECT_EQ(guardCalls, 1);
        const bool asked = c.dialogsAgree && c.modified;
        EXPECT_EQ(g.prompter.texts(),
                  asked ? std::vector<QString>{question} : std::vector<QString>{});
        EXPECT_EQ(g.state.SetupFileName == u"new.zel"_s, c.replaced && !c.open);
        EXPECT_EQ(QFileInfo::exists(savedPath), c.saved);
        EXPECT_EQ(files.openRequests.size(), c.open && c.replaced ? 1u : 0u);
        if (!c.replaced) {
            EXPECT_EQ(g.setup.channel(1)->Description, u"old"_s);
            EXPECT_TRUE(g.state.SetupModified);
        }
        QFile::remove(savedPath);
    }
}

TEST_F(SetupCommandsTest, SaveWritesTheFileClearsModifiedAndKeepsTheCaption) {
    f.state.SetupFileName = path;
    f.state.SetupModified = true;
    EXPECT_TRUE(commands.SaveFile_Click());
    EXPECT_EQ(zeltest::readBytes(path), zelapp::setupFileText(f.setup, u'.'));
    EXPECT_FALSE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 [old.zel]"_s);
    EXPECT_TRUE(f.prompter.shown.empty());
    // The confirmation is a line in the main window, never a box.
    EXPECT_EQ(f.mainWindow.statuses,
              std::vector<QString>{u"Setup saved to "_s + QFileInfo(path).fileName()});
}

TEST_F(SetupCommandsTest, SaveWithoutANameAsksForOneOnceAndWritesNothingWhenCancelled) {
    f.state.SetupModified = true;
    EXPECT_FALSE(commands.SaveFile_Click());
    EXPECT_EQ(chooser.saveRequests.size(), 1u);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_TRUE(f.state.SetupFileName.isEmpty());
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 [old.zel]"_s);
    EXPECT_TRUE(dir.entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(f.prompter.shown.empty());

    chooser.answer = path;
    EXPECT_TRUE(commands.SaveFile_Click());
    EXPECT_EQ(chooser.saveRequests.size(), 2u);
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_EQ(zeltest::readBytes(path), zelapp::setupFileText(f.setup, u'.'));
}

TEST_F(SetupCommandsTest, AFailedSaveSaysSoAndKeepsTheModifiedFlagAndTheOldFile) {
    const QString taken = dir.filePath(u"taken.zel"_s);
    ASSERT_TRUE(dir.mkdir(u"taken.zel"_s));
    f.state.SetupFileName = taken;
    f.state.SetupModified = true;

    EXPECT_FALSE(commands.SaveFile_Click());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    const QString &text = f.prompter.shown[0].text;
    EXPECT_TRUE(text.startsWith(u"The setup could not be saved to "_s + taken + u":\r"_s));
    EXPECT_TRUE(text.endsWith(u"\rThe previous file is unchanged."_s));
    EXPECT_EQ(f.prompter.shown[0].buttons, zelapp::PromptButtons::Ok);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_EQ(f.state.SetupFileName, taken);
    EXPECT_TRUE(f.mainWindow.statuses.empty());
}

TEST_F(SetupCommandsTest, SaveAsAsksForANameThenSaves) {
    chooser.answer = path;
    f.state.SetupModified = true;
    EXPECT_TRUE(commands.SaveAsFile_Click());
    ASSERT_EQ(chooser.saveRequests.size(), 1u);
    EXPECT_EQ(chooser.saveRequests[0].filter, u"Zel Setups (*.zel)|*.zel|All (*.*)|*.*"_s);
    EXPECT_EQ(chooser.saveRequests[0].defaultExtension, u"zel"_s);
    EXPECT_TRUE(chooser.saveRequests[0].initialFolder.isEmpty());
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_EQ(zeltest::readBytes(path), zelapp::setupFileText(f.setup, u'.'));
    EXPECT_FALSE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 ["_s + path + u"]"_s);
}

TEST_F(SetupCommandsTest, CancelledOrFailedSaveAsKeepsTheNameAndTheCaption) {
    zeltest::writeBytes(path, "old setup");
    f.state.SetupFileName = path;
    f.state.SetupModified = true;
    EXPECT_FALSE(commands.SaveAsFile_Click());
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_EQ(zeltest::readBytes(path), QByteArray("old setup"));

    chooser.answer = dir.path();  // a folder cannot be written as a file
    EXPECT_FALSE(commands.SaveAsFile_Click());
    EXPECT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 [old.zel]"_s);
    EXPECT_TRUE(f.state.SetupModified);
}

TEST_F(SetupCommandsTest, AStoppedLoadCannotBeSavedOverTheFileItCameFrom) {
    const QByteArray bad =
        "[ZELAPP Version 6.0]\r\n[lvdt]\r\n 9 \r\nP\r\n 1 \r\n 0 \r\n[End lvdt]\r\n";
    zeltest::writeBytes(path, bad);
    f.state.SetupFileName = path;
    EXPECT_EQ(commands.loadSetupFile(), SetupLoad::Stopped);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 ["_s + path + u"] (not loaded)"_s);
    // Save asks for a name rather than writing the part that was read over the file.
    EXPECT_FALSE(commands.SaveFile_Click());
    EXPECT_EQ(chooser.saveRequests.size(), 1u);
    EXPECT_EQ(zeltest::readBytes(path), bad);
}

// In a child process, so that the limit and the signal's disposition stay out of the test
// program: the child does what main() does first, then saves through Save a setup larger than
// the file size limit. The default action of SIGXFSZ would end it on the spot.
TEST_F(SetupCommandsTest, AFileSizeLimitFailsTheSaveWithItsMessageInsteadOfEndingTheProgram) {
    zeltest::writeBytes(path, "old setup\r\n");
    f.state.SetupFileName = path;
    f.state.SetupModified = true;
    enum ChildExit { Reported, Saved, NoMessage, NoLimit };
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        zelapp::ignoreFileSizeSignal();
        struct rlimit small {};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 64;
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
            ::_exit(NoLimit);
        }
        if (commands.SaveFile_Click()) {
            ::_exit(Saved);
        }
        const QString failed = u"The setup could not be saved to "_s + path;
        const std::vector<QString> texts = f.prompter.texts();
        const bool told = texts.size() == 1 && texts[0].startsWith(failed);
        ::_exit(told && f.state.SetupModified ? Reported : NoMessage);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), Reported);
    EXPECT_EQ(zeltest::readBytes(path), QByteArray("old setup\r\n"));
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList{u"job.zel"_s});
}

// "test.zel" is a name relative to the working folder.
class WorkingFolder {
  public:
    explicit WorkingFolder(const QString &path) : old_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~WorkingFolder() { QDir::setCurrent(old_); }

  private:
    QString old_;
};

TEST_F(SetupCommandsTest, LoadTestReadsTestZelFromTheWorkingFolder) {
    WorkingFolder here(dir.path());
    commands.LoadTest_Click();
    EXPECT_EQ(f.state.SetupFileName, u"test.zel"_s);
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{u"test.zel file not found."_s});

    zeltest::writeBytes(dir.filePath(u"test.zel"_s),
                        "[ZELAPP Version 6.0]\r\n[General Setup]\r\nMaxChannel= 3 \r\n");
    commands.LoadTest_Click();
    EXPECT_EQ(f.setup.channelCount(), 3);
    EXPECT_EQ(f.mainWindow.captionText, u"ZEL-32 [test.zel]"_s);
}

TEST_F(SetupCommandsTest, TheLocaleGivesTheDecimalSeparatorOfSavedFiles) {
    zelapp::SetupCommands german(f.setup, f.prompter, chooser, QLocale(QLocale::German));
    EXPECT_EQ(german.decimalSeparator(), u',');
    EXPECT_EQ(commands.decimalSeparator(), u'.');
    f.setup.channel(1)->InUse = true;
    f.setup.channel(1)->Master1 = 1.5f;
    f.state.SetupFileName = path;
    ASSERT_TRUE(german.SaveFile_Click());
    EXPECT_TRUE(zeltest::readBytes(path).contains("\r\n 1,5 \r\n"));

    f.setup.channel(1)->Master1 = 0;
    EXPECT_EQ(german.loadSetupFile(), SetupLoad::Loaded);
    EXPECT_EQ(f.setup.channel(1)->Master1, 1.5f);
}

}  // namespace
