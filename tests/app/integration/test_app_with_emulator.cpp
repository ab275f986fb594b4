// The program as main() builds it, through the real libzelcomm.so against the real zel8d:
// started with a setup file and "/NUMS /BARS", its grid and bars show the emulator's values,
// and a change on the unit reaches them at the next tick; its help opens in its own window; and
// it refuses a Measure from another program while a start-up message is open.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <string>

#include "app_fixture.h"
#include "dialogs/view/help_window.h"
#include "display/view/form_grid_display.h"
#include "display/view/form_lin_gage.h"
#include "display/view/lgauge.h"
#include "emulated_unit.h"
#include "emulator_process.h"
#include "file_bytes.h"
#include "link_line_client.h"
#include "two_probe_setup.h"
#include "unit/zelcomm_binding.h"

using namespace Qt::StringLiterals;

namespace {

class AppWithEmulator : public ::testing::Test, protected zeltest::EmulatedUnit {
  protected:
    zeltest::AppFixture f;

    void SetUp() override {
        ASSERT_TRUE(emulator.start({"--set", "T1=0.0123", "--set", "T2=-0.004"}))
            << emulator.errors();
    }

    // Lets the unit scan its inputs, then runs one tick of the program.
    void scanAndTick() {
        ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
        f.window()->Timer1_Timer();
    }

    QString cell(int row) {
        auto *grid =
            f.window()->gridWindow()->findChild<QTableWidget *>(QStringLiteral("GridView"));
        return grid != nullptr && grid->item(row, 1) != nullptr ? grid->item(row, 1)->text()
                                                                : QString();
    }
};

TEST_F(AppWithEmulator, TheGridAndTheBarsShowTheUnitsValues) {
    const QString path = QDir(f.programFolder()).filePath(QStringLiteral("shaft.zel"));
    zeltest::writeBytes(path, QByteArray(zeltest::kTwoProbeSetup));
    ASSERT_EQ(f.start(path + QStringLiteral(" /NUMS /BARS"), &binding),
              zelapp::StartupResult::Running);
    EXPECT_TRUE(failures.empty());
    ASSERT_NE(f.window()->gridWindow(), nullptr);
    ASSERT_NE(f.window()->barWindow(), nullptr);

    scanAndTick();
    // 0.0123 + -0.004 = 0.0083 at 4 decimals; 0.0163 at 3 decimals rounds to 0.016.
    EXPECT_EQ(cell(1), QStringLiteral(" 0.0083"));
    EXPECT_EQ(cell(2), QStringLiteral(" 0.016"));
    EXPECT_NEAR(f.window()->barWindow()->gauge(0)->value(), 0.0083, 1e-6);

    ASSERT_EQ(emulator.control({"set", "T2", "0.002"}).rfind("OK", 0), 0u);
    scanAndTick();
    EXPECT_EQ(cell(1), QStringLiteral(" 0.0143"));
    EXPECT_EQ(cell(2), QStringLiteral(" 0.010"));
    EXPECT_NEAR(f.window()->barWindow()->gauge(1)->value(), 0.0103, 1e-6);

    // The probe view shows the inputs themselves, always with 5 decimals.
    f.window()->commands().ViewLVDTs_Click();
    scanAndTick();
    EXPECT_EQ(cell(1), QStringLiteral(" 0.01230"));
    EXPECT_EQ(cell(2), QStringLiteral(" 0.00200"));
    // The program folder has no zelapp.ini; a healthy unit adds no message of its own.
    for (const auto &shown : f.prompter.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("zelapp.ini file not found. Default values used."));
    }
}

TEST_F(AppWithEmulator, AChannelProgrammedFromItsDialogReachesTheUnit) {
    ASSERT_EQ(f.start({}, &binding), zelapp::StartupResult::Running);
    f.window()->findChild<QAction *>(QStringLiteral("SetupChannels"))->trigger();
    QWidget *dialog = f.window()->findChild<QWidget *>(QStringLiteral("FormSetupChan"));
    ASSERT_NE(dialog, nullptr);
    const auto type = [dialog](const char *name, const QString &text) {
        auto *box = dialog->findChild<QLineEdit *>(QString::fromLatin1(name));
        box->selectAll();
        QTest::keyClicks(box, text);
    };
    dialog->findChild<QPushButton *>(QStringLiteral("CommandNext"))->click();  // channel 2
    type("TextFormula", QStringLiteral("T1-T2"));
    type("TextScalingValue", QStringLiteral("2"));
    type("TextZeroValue", QStringLiteral("0.001"));
    dialog->findChild<QPushButton *>(QStringLiteral("CommandProgram"))->click();

    float scaling = 0, zero = 0;
    EXPECT_EQ(binding.ZelReadCscale(2, &scaling), 0);
    EXPECT_EQ(binding.ZelReadCzero(2, &zero), 0);
    EXPECT_FLOAT_EQ(scaling, 2.0f);
    EXPECT_FLOAT_EQ(zero, 0.001f);
    // (0.0123 - -0.004) x 2 + 0.001: the unit evaluates the formula it was given.
    ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
    const std::string reply = emulator.control({"get", "C2"});
    ASSERT_EQ(reply.rfind("OK", 0), 0u) << reply;
    EXPECT_NEAR(std::stod(reply.substr(3)), 0.0336, 1e-6);
    EXPECT_TRUE(failures.empty());
}

TEST_F(AppWithEmulator, HelpOpensInTheProgramsOwnWindowAndClosesWithIt) {
    // The help file next to the program, where start-up looks for it.
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(ZELAPP_HELP_FILE),
                            QDir(f.programFolder()).filePath(QStringLiteral("zelapp.html"))));
    zelapp::HelpWindowViewer help;
    f.viewer = &help;
    ASSERT_EQ(f.start({}, &binding), zelapp::StartupResult::Running);
    const auto topLine = [&help] {
        auto *browser = help.window()->findChild<QTextBrowser *>(QStringLiteral("HelpBrowser"));
        return browser->cursorForPosition(QPoint(1, 1)).block().text();
    };

    // F1, as Help in the menu bar.
    f.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window()));
    QTest::keyClick(f.window(), Qt::Key_F1);
    ASSERT_NE(help.window(), nullptr);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.window()->windowTitle(), QStringLiteral("ZEL-32 Help"));
    EXPECT_EQ(topLine(), QStringLiteral("ZEL-32 operator's manual"));
    // The topic the amplifier calibration asks for.
    f.app->session().help().ShowHelpTopic(98496, f.window()->caption());
    EXPECT_EQ(topLine(), QStringLiteral("Amplifier calibration"));

    f.prompter.shown.clear();
    EXPECT_TRUE(f.window()->close());
    EXPECT_FALSE(help.window()->isVisible());
    for (const auto &shown : f.prompter.shown) {
        ADD_FAILURE() << shown.text.toStdString();
    }
    f.app.reset();  // before the viewer it was given goes
}

TEST_F(AppWithEmulator, AMeasureAskedForWhileAStartUpMessageIsOpenIsRefused) {
    const QDir folder(f.programFolder());
    const QString setup = folder.filePath(u"shaft.zel"_s);
    zeltest::writeBytes(setup, QByteArray(zeltest::kTwoProbeSetup));
    zeltest::writeBytes(folder.filePath(u"shaft.zpart"_s), "[Part]\r\nTimeout=soon\r\n");
    // Another program asks while the message about the part file waits for the operator.
    std::vector<QByteArray> answers;
    f.prompter.whileAsking = [&] {
        if (!f.prompter.shown.back().text.startsWith(u"Lines of the part program"_s)) {
            return;
        }
        zeltest::LinkLineClient c(f.app->session().linkServer().socketPath());
        ASSERT_TRUE(c.waitConnected());
        ASSERT_EQ(c.ask("INITIATE\tPart"), "ACK\tINITIATE");
        answers.push_back(c.ask("EXECUTE\tMeasure"));
        answers.push_back(c.ask("REQUEST\tstate"));
    };
    ASSERT_EQ(f.start(setup, &binding), zelapp::StartupResult::Running);
    EXPECT_EQ(answers,
              (std::vector<QByteArray>{"NACK\tEXECUTE\tMeasure\tstarting", "DATA\tstate\tREADY"}));

    // Started, the program takes it.
    zeltest::LinkLineClient c(f.app->session().linkServer().socketPath());
    ASSERT_TRUE(c.waitConnected());
    ASSERT_EQ(c.ask("INITIATE\tPart"), "ACK\tINITIATE");
    EXPECT_EQ(c.ask("EXECUTE\tMeasure"), "ACK\tEXECUTE\tMeasure");
    EXPECT_TRUE(failures.empty());
}

}  // namespace
