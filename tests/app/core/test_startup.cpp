// Start-up in order: the instance lock, help file, diagnostic switches, settings file, unit
// initialisation and default objects; and the command line the main window reads.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "base/help.h"
#include "core/command_line.h"
#include "core/instance_lock.h"
#include "core/startup.h"
#include "file_bytes.h"
#include "setup_fixture.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using zelapp::StartupResult;

namespace {

class StartupTest : public ::testing::Test {
  protected:
    zeltest::TempFolder folder;
    QString programFolder = QString::fromStdString(folder.path());
    zelapp::InstanceLock lock{QDir(programFolder).filePath(QStringLiteral("zelapp.lock"))};
    zeltest::SetupFixture f{0, 0, 0};
    int windowsShown = 0;
    int startsWithoutUnit = 0;
    std::size_t callsBeforeLoss = 0;  // the unit's calls when it was taken as lost

    StartupResult start(const QString &commandLine = {}) {
        zelapp::StartupContext context{f.state,
                                       f.unit,
                                       f.prompter,
                                       f.setup,
                                       lock,
                                       programFolder,
                                       commandLine,
                                       [this] { ++windowsShown; },
                                       [this] {
                                           ++startsWithoutUnit;
                                           callsBeforeLoss = f.unit.calls.size();
                                       }};
        return zelapp::Main(context);
    }
    void writeIni(const QByteArray &text) {
        zeltest::writeBytes(QDir(programFolder).filePath(QStringLiteral("zelapp.ini")), text);
    }
};

TEST_F(StartupTest, WithoutSettingsFileStartsWithDefaultsAfterOneMessage) {
    EXPECT_EQ(start(), StartupResult::Running);
    EXPECT_EQ(
        f.prompter.texts(),
        (std::vector<QString>{QStringLiteral("zelapp.ini file not found. Default values used.")}));
    EXPECT_EQ(f.state.MaxChannel, 8);
    EXPECT_EQ(f.setup.channelCount(), 8);
    EXPECT_EQ(f.setup.lvdtCount(), 8);
    EXPECT_EQ(f.setup.analogCount(), 1);
    EXPECT_EQ(f.labels.count(), 9);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_EQ(f.state.AppPath, programFolder);
    EXPECT_EQ(f.state.ProductTitle, QStringLiteral("ZEL-32"));
    EXPECT_EQ(f.state.MakerName, QStringLiteral("Quillon Corporation"));
    const std::vector<std::string> first(f.unit.calls.begin(), f.unit.calls.begin() + 6);
    EXPECT_EQ(first, (std::vector<std::string>{"ZelMsgBox(1)", "ZelCommInit(0)", "ZelStartScan()",
                                               "ZelSetScanTime(100)", "ZelSetAdcAvg(4)",
                                               "ZelClearChannel(1)"}));
    EXPECT_EQ(f.unit.calls.back(), "ZelSetAfsv(1, 1)");
}

TEST_F(StartupTest, ASettingsFileThatIsNoFileSaysSoAndStartsWithDefaults) {
    const QString ini = QDir(programFolder).filePath(QStringLiteral("zelapp.ini"));
    ASSERT_TRUE(QDir().mkpath(ini));
    EXPECT_EQ(start(), StartupResult::Running);
    EXPECT_EQ(f.prompter.texts(),
              (std::vector<QString>{QStringLiteral("zelapp.ini is not a file.")}));
    EXPECT_EQ(f.setup.channelCount(), 8);
    EXPECT_EQ(windowsShown, 1);
}

TEST_F(StartupTest, SettingsFileValuesReachTheUnitAndTheCollections) {
    writeIni(
        "[ZELAPP Version 6.01]\r\nMaxChannel=3\r\nMaxLVDT=2\r\nScanTime= 50 \r\n"
        "ADCAverage= 8 \r\nLvdtFSV= .1 \r\n");
    EXPECT_EQ(start(), StartupResult::Running);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.setup.channelCount(), 3);
    EXPECT_EQ(f.setup.lvdtCount(), 2);
    EXPECT_EQ(f.unit.count("ZelSetScanTime(50)"), 1);
    EXPECT_EQ(f.unit.count("ZelSetAdcAvg(8)"), 1);
    EXPECT_EQ(f.unit.count("ZelSetTfsv(1, 0.025)"), 1);
    EXPECT_EQ(f.unit.count("ZelSetRunAvg("), 0);  // the running average is not sent at start-up
}

TEST_F(StartupTest, CountsOutsideWhatTheUnitNumbersKeepTheDefaults) {
    writeIni("MaxChannel=-3\r\nMaxLVDT=-2\r\nMaxAnalog=-1\r\nMaxChannel=256\r\n");
    EXPECT_EQ(start(), StartupResult::Running);
    EXPECT_EQ(f.setup.channelCount(), 8);
    EXPECT_EQ(f.setup.lvdtCount(), 8);
    EXPECT_EQ(f.setup.analogCount(), 1);
    EXPECT_EQ(f.labels.count(), 9);
}

TEST_F(StartupTest, FailedInitialisationEndsOnExitBeforeAnyObjectOrWindow) {
    f.unit.commInitResult = -1;
    f.prompter.answers = {zelapp::PromptAnswer::Cancel};  // Exit
    const StartupResult result = start();
    EXPECT_EQ(result, StartupResult::CommunicationFailed);
    EXPECT_NE(zelapp::exitStatus(result), 0);
    EXPECT_EQ(f.prompter.texts().back(), QStringLiteral("Zel-8 communication not functioning"));
    EXPECT_EQ(f.prompter.shown.back().buttons, zelapp::PromptButtons::RetryStartExit);
    EXPECT_EQ(f.unit.calls.back(), "ZelCommInit(0)");
    EXPECT_EQ(startsWithoutUnit, 0);
    EXPECT_EQ(f.setup.channelCount(), 0);
    EXPECT_EQ(windowsShown, 0);
    EXPECT_FALSE(QFile::exists(QDir(programFolder).filePath(QStringLiteral("zelapp.ini"))));
}

TEST_F(StartupTest, RetryTriesTheUnitAgainAndAsksAgainUntilItAnswers) {
    writeIni("");
    f.unit.commInitResult = -1;
    int asked = 0;
    f.prompter.answers = {zelapp::PromptAnswer::Retry, zelapp::PromptAnswer::Retry};
    // The unit answers once it is switched on, while the second question is open.
    f.prompter.whileAsking = [&] {
        if (++asked == 2) {
            f.unit.commInitResult = 0;
        }
    };
    EXPECT_EQ(start(), StartupResult::Running);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(f.unit.count("ZelCommInit(0)"), 3);
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>(2, zelapp::communicationFailedText())));
    EXPECT_EQ(startsWithoutUnit, 0);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_EQ(f.setup.channelCount(), 8);
    EXPECT_EQ(f.unit.count("ZelStartScan()"), 1);
}

TEST_F(StartupTest, StartWithoutTheUnitTakesItAsLostBeforeAnythingIsSent) {
    writeIni("");
    f.unit.commInitResult = -1;
    f.prompter.answers = {zelapp::PromptAnswer::Continue};
    EXPECT_EQ(start(), StartupResult::Running);
    EXPECT_EQ(f.unit.count("ZelCommInit(0)"), 1);
    EXPECT_EQ(startsWithoutUnit, 1);
    // Taken as lost right after the failed initialisation: the scan settings and the default
    // objects come after it, into the program's copy.
    ASSERT_GE(callsBeforeLoss, 1u);
    EXPECT_EQ(f.unit.calls[callsBeforeLoss - 1], "ZelCommInit(0)");
    EXPECT_EQ(f.setup.channelCount(), 8);
    EXPECT_EQ(windowsShown, 1);
}

TEST_F(StartupTest, OfflineSwitchStartsWithoutTheUnitAndWithoutAsking) {
    writeIni("");
    EXPECT_EQ(start(QStringLiteral("shaft.zel /OFFLINE /NUMS")), StartupResult::Running);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.unit.count("ZelCommInit("), 0);
    EXPECT_EQ(startsWithoutUnit, 1);
    EXPECT_EQ(windowsShown, 1);
}

TEST_F(StartupTest, OfflineIsAWholeWordInCapitals) {
    writeIni("");
    for (const char *line : {"/offline", "/OFFLINEX", "x/OFFLINE", "/OFFLINE/"}) {
        const auto args = zelapp::mainWindowArguments(QString::fromLatin1(line),
                                                      [](const QString &) { return false; });
        EXPECT_FALSE(args.offline) << line;
    }
    EXPECT_TRUE(zelapp::mainWindowArguments(QStringLiteral("a.zel\t/OFFLINE")).offline);
    EXPECT_EQ(start(QStringLiteral("/offline")), StartupResult::Running);
    EXPECT_EQ(f.unit.count("ZelCommInit(0)"), 1);
    EXPECT_EQ(startsWithoutUnit, 0);
}

TEST_F(StartupTest, SecondInstanceTouchesNothing) {
    zelapp::InstanceLock first{lock.path()};
    ASSERT_TRUE(first.tryLock());
    const StartupResult result = start(QStringLiteral("/DEBUGINIT"));
    EXPECT_EQ(result, StartupResult::AlreadyRunning);
    EXPECT_NE(zelapp::exitStatus(result), 0);
    EXPECT_EQ(f.prompter.texts(),
              (std::vector<QString>{QStringLiteral("This application is already running")}));
    EXPECT_TRUE(f.unit.calls.empty());
    EXPECT_EQ(windowsShown, 0);
    first.unlock();
    EXPECT_EQ(start(), StartupResult::Running);
}

TEST_F(StartupTest, DiagnosticSwitchesAreFoundAnywhereInAnyCase) {
    writeIni("");
    start(QStringLiteral("setup.zel /debuginit x/EPPERRy"));
    ASSERT_GE(f.unit.calls.size(), 3u);
    EXPECT_EQ(f.unit.calls[0], "EppInstallMsg(1)");
    EXPECT_EQ(f.unit.calls[1], "EppDiagMsg(1)");
    EXPECT_EQ(f.unit.calls[2], "ZelMsgBox(1)");
}

TEST_F(StartupTest, NoSwitchesNoDiagnostics) {
    writeIni("");
    start(QStringLiteral("/NUMS"));
    EXPECT_EQ(f.unit.count("Epp"), 0);
}

class RecordingViewer : public zelapp::HelpViewer {
  public:
    std::vector<long> topics;
    int closes = 0;
    QString failure;
    bool showTopic(const QString &, long contextId, QString *error) override {
        topics.push_back(contextId);
        *error = failure;
        return failure.isEmpty();
    }
    bool close(const QString &, QString *error) override {
        ++closes;
        *error = failure;
        return failure.isEmpty();
    }
};

TEST_F(StartupTest, HelpFileIsUsedOnlyWhenItExists) {
    writeIni("");
    start();
    EXPECT_EQ(f.state.HelpFilePath, QDir(programFolder).filePath(zelapp::helpFileName()));
    EXPECT_TRUE(f.state.HelpFile.isEmpty());

    RecordingViewer viewer;
    zelapp::Help help(f.state, f.prompter, viewer);
    help.ShowHelpTopic(98496, QStringLiteral("Zel-8 [a.zel]"));
    help.CloseHelp();
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text,
              QStringLiteral("Unable to display Help Contents. There is no Help associated with "
                             "this project."));
    EXPECT_EQ(f.prompter.shown[0].title, QStringLiteral("Zel-8 [a.zel]"));
    EXPECT_EQ(f.prompter.shown[0].icon, zelapp::PromptIcon::Information);
    EXPECT_TRUE(viewer.topics.empty());
    EXPECT_EQ(viewer.closes, 0);
}

TEST_F(StartupTest, HelpGoesToTheViewerAndItsErrorsAreShown) {
    writeIni("");
    zeltest::writeBytes(QDir(programFolder).filePath(zelapp::helpFileName()), "<html></html>");
    start();
    EXPECT_EQ(f.state.HelpFile, f.state.HelpFilePath);

    RecordingViewer viewer;
    zelapp::Help help(f.state, f.prompter, viewer);
    help.ShowHelpTopic(98496, {});
    EXPECT_EQ(viewer.topics, (std::vector<long>{98496}));
    viewer.failure = QStringLiteral("No browser");
    help.CloseHelp();
    EXPECT_EQ(f.prompter.texts().back(), QStringLiteral("No browser"));
}

TEST_F(StartupTest, AFolderNamedLikeTheHelpFileIsNoHelp) {
    writeIni("");
    ASSERT_TRUE(QDir(programFolder).mkdir(zelapp::helpFileName()));
    start();
    EXPECT_TRUE(f.state.HelpFile.isEmpty());
}

TEST(CommandLine, WordsSplitOnBlanksAndTabsAtMostTen) {
    EXPECT_EQ(zelapp::commandLineWords(QStringLiteral("  a\tb  \"c d\" ")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("\"c"),
                           QStringLiteral("d\"")}));
    EXPECT_EQ(zelapp::commandLineWords(QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12")).size(), 10);
    EXPECT_TRUE(zelapp::commandLineWords({}).isEmpty());
}

TEST(CommandLine, ViewSwitchesAreExactAndTheLastFileWins) {
    auto args = zelapp::mainWindowArguments(QStringLiteral("shaft.zel /NUMS /LVDT"));
    EXPECT_EQ(args.setupFile, QStringLiteral("shaft.zel"));
    EXPECT_TRUE(args.openGrid);
    EXPECT_FALSE(args.openBars);
    EXPECT_EQ(args.viewType, zelapp::VIEWTYPELVDTS);

    args = zelapp::mainWindowArguments(QStringLiteral("/nums /Bars /DEBUGINIT /EPPERR"));
    EXPECT_FALSE(args.openGrid);
    EXPECT_FALSE(args.openBars);
    EXPECT_FALSE(args.viewType.has_value());
    EXPECT_TRUE(args.setupFile.isEmpty());

    args = zelapp::mainWindowArguments(QStringLiteral("/home/op/My Setups/a.zel /BARS"));
    EXPECT_EQ(args.setupFile, QStringLiteral("Setups/a.zel"));
    EXPECT_TRUE(args.openBars);

    args = zelapp::mainWindowArguments(QStringLiteral("1 2 3 4 5 6 7 8 9 10 eleven.zel"));
    EXPECT_EQ(args.setupFile, QStringLiteral("10"));
}

TEST(CommandLine, AnAbsolutePathIsTheSetupFileNotASwitch) {
    const auto onlyRootFile = [](const QString &path) { return path == u"/shaft.zel"; };
    auto args = zelapp::mainWindowArguments(QStringLiteral("/jobs/shaft.zel /NUMS"), onlyRootFile);
    EXPECT_EQ(args.setupFile, QStringLiteral("/jobs/shaft.zel"));
    EXPECT_TRUE(args.openGrid);
    // Switches stay switches even if a file of that name existed.
    args = zelapp::mainWindowArguments(QStringLiteral("a.zel /BARS"),
                                       [](const QString &) { return true; });
    EXPECT_EQ(args.setupFile, QStringLiteral("a.zel"));
    EXPECT_TRUE(args.openBars);
#ifndef Q_OS_WIN
    // A path into a folder is the setup file even when it is missing, so the reader can say
    // so; a word with no further "/" is a file only when it exists.
    args = zelapp::mainWindowArguments(QStringLiteral("a.zel /jobs/gone.zel"), onlyRootFile);
    EXPECT_EQ(args.setupFile, QStringLiteral("/jobs/gone.zel"));
    EXPECT_EQ(zelapp::mainWindowArguments(QStringLiteral("/NUMS/BARS"), onlyRootFile).setupFile,
              QStringLiteral("/NUMS/BARS"));
    EXPECT_EQ(zelapp::mainWindowArguments(QStringLiteral("/shaft.zel"), onlyRootFile).setupFile,
              QStringLiteral("/shaft.zel"));
    EXPECT_TRUE(
        zelapp::mainWindowArguments(QStringLiteral("/gone.zel"), onlyRootFile).setupFile.isEmpty());

    zeltest::TempFolder folder;
    const QString real = QString::fromStdString(folder.path()) + QStringLiteral("/real.zel");
    zeltest::writeBytes(real, "x");
    EXPECT_EQ(zelapp::mainWindowArguments(real).setupFile, real);
#endif
}

TEST(CommandLine, ArgumentsAreJoinedWithoutTheProgram) {
    EXPECT_EQ(zelapp::joinArguments(
                  {QStringLiteral("zelapp"), QStringLiteral("a.zel"), QStringLiteral("/NUMS")}),
              QStringLiteral("a.zel /NUMS"));
    EXPECT_TRUE(zelapp::joinArguments({QStringLiteral("zelapp")}).isEmpty());
}

TEST(CommandLine, DbOptionIsTakenOutInBothFormsAndTheSetupFileStays) {
    QStringList args{u"zelapp"_s, u"--db"_s, u"/tmp/a.db"_s, u"shaft.zel"_s, u"/NUMS"_s};
    EXPECT_EQ(zelapp::takeOption(args, u"--db"_s), u"/tmp/a.db"_s);
    EXPECT_EQ(args, (QStringList{u"zelapp"_s, u"shaft.zel"_s, u"/NUMS"_s}));
    EXPECT_EQ(zelapp::mainWindowArguments(zelapp::joinArguments(args)).setupFile, u"shaft.zel"_s);

    // "--db=FILE"; the last one given wins; the program's own name is never taken.
    args = {u"--db"_s, u"shaft.zel"_s, u"--db=one.db"_s, u"--db=two.db"_s};
    EXPECT_EQ(zelapp::takeOption(args, u"--db"_s), u"two.db"_s);
    EXPECT_EQ(args, (QStringList{u"--db"_s, u"shaft.zel"_s}));

    // At the end without a value: taken out, an empty value.
    args = {u"zelapp"_s, u"shaft.zel"_s, u"--db"_s};
    EXPECT_EQ(zelapp::takeOption(args, u"--db"_s), QString());
    EXPECT_EQ(args, (QStringList{u"zelapp"_s, u"shaft.zel"_s}));

    // Absent, or only a longer name alike: nothing taken.
    args = {u"zelapp"_s, u"--dbx"_s, u"shaft.zel"_s};
    EXPECT_FALSE(zelapp::takeOption(args, u"--db"_s).has_value());
    EXPECT_EQ(args.size(), 3);
}

}  // namespace
