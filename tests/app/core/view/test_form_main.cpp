// The main window on the offscreen platform: its menus and buttons, what loading it does with
// the command line, the view commands and their marks, the scan reaching the grid, and the
// close sequence with scripted answers.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <csignal>
#include <functional>

#include "app_fixture.h"
#include "core/startup.h"
#include "display/twips.h"
#include "display/view/form_grid_display.h"
#include "display/view/form_lin_gage.h"
#include "file_bytes.h"
#include "setup/setup.h"
#include "setup/setup_commands.h"
#include "view/file_dialog_chooser.h"
#include "view/message_box_prompter.h"
#include "view/window_place.h"

using zelapp::PromptAnswer;

namespace {

struct MenuEntry {
    QString name;
    QString caption;
};

QAction *action(QWidget *window, const char *name) {
    return window->findChild<QAction *>(QString::fromLatin1(name));
}

QPushButton *button(QWidget *window, const char *name) {
    return window->findChild<QPushButton *>(QString::fromLatin1(name));
}

std::vector<MenuEntry> entries(const QList<QAction *> &actions) {
    std::vector<MenuEntry> out;
    for (QAction *a : actions) {
        out.push_back(
            {a->menu() != nullptr ? a->menu()->objectName() : a->objectName(), a->text()});
    }
    return out;
}

void expectEntries(const std::vector<MenuEntry> &actual, const std::vector<MenuEntry> &expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << i;
        EXPECT_EQ(actual[i].caption, expected[i].caption) << i;
    }
}

QList<QAction *> menuActions(QWidget *window, const char *menu) {
    auto *m = window->findChild<QMenu *>(QString::fromLatin1(menu));
    return m != nullptr ? m->actions() : QList<QAction *>{};
}

class FormMainTest : public ::testing::Test {
  protected:
    zeltest::AppFixture f;

    zelapp::FormMain *start(const QString &commandLine = {}) {
        EXPECT_EQ(f.start(commandLine), zelapp::StartupResult::Running);
        f.prompter.shown.clear();  // "zelapp.ini file not found" at first start
        return f.window();
    }

    // Writes a small setup file: 3 channels, 2 probes, one group of channels 3 and 1.
    QString writeSetup(const QString &name) {
        zeltest::AppFixture maker;
        maker.start();
        zelapp::Setup &s = maker.app->setup();
        s.CreateChannels(3);
        s.CreateLVDTs(2);
        s.channel(1)->Description = QStringLiteral("Dia A");
        s.channel(3)->Description = QStringLiteral("TIR");
        auto g = std::make_unique<zelapp::group>();
        g->Description = QStringLiteral("Form");
        g->AddChannel(3);
        g->AddChannel(1);
        s.addGroup(std::move(g));
        const QString path = QDir(f.programFolder()).filePath(name);
        maker.state().SetupFileName = path;
        EXPECT_TRUE(maker.app->setupCommands().SaveFile_Click());
        maker.state().SetupModified = false;
        maker.window()->close();
        return path;
    }
};

TEST_F(FormMainTest, MenusAreInOrderWithTheirNamesAndCaptions) {
    auto *w = start();
    auto *bar = w->findChild<QMenuBar *>();
    ASSERT_NE(bar, nullptr);
    expectEntries(entries(bar->actions()),
                  {{QStringLiteral("LoadTest"), QStringLiteral("LoadTest")},
                   {QStringLiteral("File"), QStringLiteral("&File")},
                   {QStringLiteral("View"), QStringLiteral("&View")},
                   {QStringLiteral("Zero"), QStringLiteral("&Zero")},
                   {QStringLiteral("Master"), QStringLiteral("&Master")},
                   {QStringLiteral("setup"), QStringLiteral("&Setup")},
                   {QStringLiteral("Parts"), QStringLiteral("&Parts")},
                   {QStringLiteral("AboutMoxSRV"), QStringLiteral("A&bout")},
                   {QStringLiteral("mnuHelpContents"), QStringLiteral("&Help")}});
    expectEntries(entries(menuActions(w, "File")),
                  {{QStringLiteral("NewFile"), QStringLiteral("&New")},
                   {QStringLiteral("OpenFile"), QStringLiteral("&Open")},
                   {QStringLiteral("SaveFile"), QStringLiteral("&Save")},
                   {QStringLiteral("SaveAsFile"), QStringLiteral("Save &As")},
                   {QStringLiteral("ExitProgram"), QStringLiteral("E&xit")}});
    expectEntries(entries(menuActions(w, "View")),
                  {{QStringLiteral("EnableGrid"), QStringLiteral("&Numbers")},
                   {QStringLiteral("EnableBarGraphs"), QStringLiteral("&Bar Graphs")},
                   {QStringLiteral("Seperator1"), QStringLiteral("------------")},
                   {QStringLiteral("ViewGroups"), QStringLiteral("&Group")},
                   {QStringLiteral("ViewChannels"), QStringLiteral("&Channels")},
                   {QStringLiteral("ViewLVDTs"), QStringLiteral("&Probes")},
                   {QStringLiteral("ViewAnalogs"), QStringLiteral("&Analogs")},
                   {QStringLiteral("Seperator2"), QStringLiteral("----------")},
                   {QStringLiteral("UpdateToggle"), QStringLiteral("&Update")},
                   {QStringLiteral("ViewResetMM"), QStringLiteral("&Reset MAX/MIN")}});
    expectEntries(entries(menuActions(w, "Zero")),
                  {{QStringLiteral("ZeroChannel"), QStringLiteral("&Channel")},
                   {QStringLiteral("ZeroGroup"), QStringLiteral("&Group")}});
    expectEntries(entries(menuActions(w, "Master")),
                  {{QStringLiteral("MasterChannel"), QStringLiteral("&Channel")},
                   {QStringLiteral("MasterGroup"), QStringLiteral("&Group")}});
    expectEntries(entries(menuActions(w, "setup")),
                  {{QStringLiteral("SetupGeneral"), QStringLiteral("&System")},
                   {QStringLiteral("SetupLVDTs"), QStringLiteral("&Probes")},
                   {QStringLiteral("SetupAnalog"), QStringLiteral("&Analog")},
                   {QStringLiteral("SetupChannels"), QStringLiteral("&Channels")},
                   {QStringLiteral("SetupGroups"), QStringLiteral("&Groups")}});
    expectEntries(entries(menuActions(w, "Parts")),
                  {{QStringLiteral("ActionMeasure"), QStringLiteral("&Measure")},
                   {QStringLiteral("ActionCancel"), QStringLiteral("&Cancel")},
                   {QStringLiteral("ActionResult"), QStringLiteral("&Result")},
                   {QStringLiteral("ActionHistory"), QStringLiteral("&History")},
                   {QStringLiteral("ActionStatistics"), QStringLiteral("S&tatistics")},
                   {QStringLiteral("ActionExportCsv"), QStringLiteral("&Export CSV...")},
                   {QString(), QString()},
                   {QStringLiteral("ActionPartProgram"), QStringLiteral("Part &Program...")},
                   {QStringLiteral("ActionResetCounters"), QStringLiteral("Reset C&ounters")},
                   {QStringLiteral("ActionPartSettings"), QStringLiteral("&Settings...")}});
    EXPECT_EQ(action(w, "AboutMoxSRV")->menu(), nullptr);
    EXPECT_EQ(action(w, "mnuHelpContents")->menu(), nullptr);
}

TEST_F(FormMainTest, HiddenDisabledAndCheckableItemsKeepTheirDesignState) {
    auto *w = start();
    EXPECT_FALSE(action(w, "LoadTest")->isVisible());
    EXPECT_FALSE(action(w, "LoadTest")->isEnabled());
    EXPECT_FALSE(action(w, "SetupAnalog")->isVisible());
    EXPECT_FALSE(action(w, "SetupAnalog")->isEnabled());
    for (const char *name : {"Seperator1", "Seperator2", "ZeroGroup", "MasterGroup"}) {
        EXPECT_FALSE(action(w, name)->isEnabled()) << name;
        EXPECT_TRUE(action(w, name)->isVisible()) << name;
    }
    for (const char *name :
         {"NewFile",     "OpenFile",        "SaveFile",    "SaveAsFile",    "ExitProgram",
          "EnableGrid",  "EnableBarGraphs", "ViewGroups",  "ViewChannels",  "ViewLVDTs",
          "ViewAnalogs", "UpdateToggle",    "ZeroChannel", "MasterChannel", "SetupGeneral",
          "SetupLVDTs",  "SetupChannels",   "SetupGroups", "AboutMoxSRV",   "mnuHelpContents",
          "ViewResetMM"}) {
        EXPECT_TRUE(action(w, name)->isEnabled()) << name;
    }
}

TEST_F(FormMainTest, TheFiveButtonsHaveTheirCaptionsAndFourSitInTheFrame) {
    auto *w = start();
    const std::vector<std::pair<const char *, const char *>> buttons{{"CommandNumbers", "Numbers"},
                                                                     {"CommandBarGraphs", "Bars"},
                                                                     {"CommandMaster", "Master"},
                                                                     {"CommandZero", "Zero"},
                                                                     {"CommandResetMM", "R&eset"}};
    auto *frame = w->findChild<QWidget *>(QStringLiteral("FrameButtons"));
    ASSERT_NE(frame, nullptr);
    for (const auto &[name, caption] : buttons) {
        QPushButton *b = button(w, name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), QString::fromLatin1(caption));
        EXPECT_EQ(frame->isAncestorOf(b), std::string(name) != "CommandNumbers") << name;
    }
    for (const auto &[name, caption] : buttons) {
        EXPECT_TRUE(button(w, name)->isEnabled()) << name;
    }
}

TEST_F(FormMainTest, LoadingPlacesTheWindowAndSwitchesUpdatingOn) {
    f.store.setValue(QStringLiteral("Settings"), QStringLiteral("MainLeft"),
                     QStringLiteral("1500"));
    f.store.setValue(QStringLiteral("Settings"), QStringLiteral("MainTop"), QStringLiteral("720"));
    auto *w = start();
    const double dpi = zelapp::windowDpi(*w);
    EXPECT_EQ(w->caption(), QStringLiteral("Quillon Corporation   ZEL-32"));
    EXPECT_EQ(w->windowTitle(), w->caption());
    EXPECT_EQ(w->pos(), QPoint(zelapp::twipsToPixels(1500, dpi), zelapp::twipsToPixels(720, dpi)));
    EXPECT_EQ(w->frameGeometry().size(),
              QSize(zelapp::twipsToPixels(6540, dpi), zelapp::twipsToPixels(1230, dpi)));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->timer().interval(), 400);
    EXPECT_EQ(w->timer().objectName(), QStringLiteral("Timer1"));
    EXPECT_TRUE(f.state().UpdateEnabled);
    EXPECT_EQ(f.state().ScanHoldCount, 0);
    EXPECT_EQ(f.state().ViewType, zelapp::VIEWTYPECHANNELS);
    EXPECT_TRUE(action(w, "UpdateToggle")->isChecked());
    EXPECT_TRUE(action(w, "ViewChannels")->isChecked());
    EXPECT_FALSE(action(w, "EnableGrid")->isChecked());
    EXPECT_EQ(w->gridWindow(), nullptr);  // made on first use
}

TEST_F(FormMainTest, TheCommandLineLoadsItsSetupChoosesTheViewAndOpensTheGrid) {
    const QString path = writeSetup(QStringLiteral("shaft.zel"));
    auto *w = start(path + QStringLiteral(" /NUMS /LVDT"));
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.state().SetupFileName, path);
    EXPECT_EQ(f.app->setup().channelCount(), 3);
    EXPECT_EQ(f.state().ViewType, zelapp::VIEWTYPELVDTS);
    EXPECT_TRUE(action(w, "ViewLVDTs")->isChecked());
    EXPECT_FALSE(action(w, "ViewChannels")->isChecked());
    EXPECT_TRUE(action(w, "EnableGrid")->isChecked());
    ASSERT_NE(w->gridWindow(), nullptr);
    EXPECT_TRUE(w->gridWindow()->isVisible());
    EXPECT_EQ(w->gridWindow()->TotalNumberOfNumerics(), 2);
    EXPECT_EQ(w->barWindow(), nullptr);
    EXPECT_EQ(w->caption(), QStringLiteral("ZEL-32 [") + path + QStringLiteral("]"));
}

TEST_F(FormMainTest, SwitchesAreExactCaseAndBarsOpenBeforeTheGrid) {
    auto *w = start(QStringLiteral("/nums /BARS/NUMS /BARS"));
    EXPECT_FALSE(action(w, "EnableGrid")->isChecked());
    EXPECT_EQ(w->gridWindow(), nullptr);
    EXPECT_TRUE(action(w, "EnableBarGraphs")->isChecked());
    ASSERT_NE(w->barWindow(), nullptr);
    EXPECT_TRUE(w->barWindow()->isVisible());
    EXPECT_EQ(w->barWindow()->TotalNumberOfBars(), 8);
}

TEST_F(FormMainTest, NumbersButtonTwiceShowsThenHidesTheGridKeepingItLoaded) {
    auto *w = start();
    QTest::mouseClick(button(w, "CommandNumbers"), Qt::LeftButton);
    ASSERT_NE(w->gridWindow(), nullptr);
    EXPECT_TRUE(w->gridWindow()->isVisible());
    EXPECT_TRUE(action(w, "EnableGrid")->isChecked());
    auto *grid = w->gridWindow();
    QTest::mouseClick(button(w, "CommandNumbers"), Qt::LeftButton);
    EXPECT_EQ(w->gridWindow(), grid);
    EXPECT_FALSE(grid->isVisible());
    EXPECT_FALSE(action(w, "EnableGrid")->isChecked());
}

TEST_F(FormMainTest, MenuItemsCarryTheirMarksFromTheCommandsNotFromQt) {
    auto *w = start();
    action(w, "EnableBarGraphs")->trigger();
    EXPECT_TRUE(action(w, "EnableBarGraphs")->isChecked());
    EXPECT_TRUE(w->commands().marks().bars);
    action(w, "ViewLVDTs")->trigger();
    EXPECT_TRUE(action(w, "ViewLVDTs")->isChecked());
    EXPECT_FALSE(action(w, "ViewChannels")->isChecked());
    action(w, "ViewLVDTs")->trigger();  // again: stays the view, stays checked
    EXPECT_TRUE(action(w, "ViewLVDTs")->isChecked());
    EXPECT_EQ(f.state().ScanHoldCount, 0);
    EXPECT_EQ(w->barWindow()->windowTitle(), QStringLiteral("Display LVDTs"));
    // No group holds a channel: the message, and the view and its mark stay.
    action(w, "ViewGroups")->trigger();
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{QStringLiteral("No groups exist")});
    EXPECT_FALSE(action(w, "ViewGroups")->isChecked());
    EXPECT_TRUE(action(w, "ViewLVDTs")->isChecked());
    action(w, "UpdateToggle")->trigger();
    EXPECT_FALSE(action(w, "UpdateToggle")->isChecked());
    EXPECT_FALSE(f.state().UpdateEnabled);
}

TEST_F(FormMainTest, TheTickPutsChannelValuesIntoTheGridAndTheBars) {
    auto *w = start(QStringLiteral("/NUMS /BARS"));
    f.defineEveryChannel();
    f.fakeUnit.channelValue[2] = 1.25f;
    f.fakeUnit.channelValue[8] = -0.5f;
    w->Timer1_Timer();
    auto *table = w->gridWindow()->findChild<QTableWidget *>(QStringLiteral("GridView"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 9);
    ASSERT_NE(table->item(2, 1), nullptr);
    EXPECT_EQ(table->item(2, 1)->text(), QStringLiteral(" 1.25000"));
    EXPECT_EQ(table->item(8, 1)->text(), QStringLiteral("-0.50000"));
    EXPECT_EQ(f.app->labels().text(2), QStringLiteral(" 1.25000"));
    EXPECT_FLOAT_EQ(w->barWindow()->gauge(1)->value(), 1.25f);
}

TEST_F(FormMainTest, ALostUnitShowsTheStripAndNoUnitOverTheBarsUntilReconnect) {
    auto *w = start(QStringLiteral("/BARS"));
    f.defineEveryChannel();
    w->Timer1_Timer();
    const int height = w->minimumHeight();
    f.fakeUnit.reachable = false;
    w->Timer1_Timer();
    auto *strip = w->findChild<QFrame *>(QStringLiteral("FrameUnitLost"));
    ASSERT_NE(strip, nullptr);
    EXPECT_FALSE(strip->isHidden());
    EXPECT_GT(w->minimumHeight(), height);
    EXPECT_EQ(strip->findChild<QLabel *>(QStringLiteral("LabelUnitLost"))->text(),
              QStringLiteral("ZEL-8 not communicating: values are not measured"));
    EXPECT_TRUE(w->barWindow()->unitLost());
    EXPECT_TRUE(std::isnan(w->barWindow()->gauge(0)->value()));

    f.fakeUnit.reachable = true;
    QTest::mouseClick(button(w, "CommandReconnect"), Qt::LeftButton);
    EXPECT_FALSE(button(w, "CommandReconnect")->isEnabled());  // while the attempt runs
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_TRUE(strip->isHidden());
    // The return is told in the status line under the buttons, not in a box: the window is
    // taller by that line only.
    auto *status = w->findChild<QLabel *>(QStringLiteral("LabelStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), zelapp::UnitRecovery::backText());
    EXPECT_EQ(w->minimumHeight(), height + status->sizeHint().height());
    EXPECT_FALSE(w->barWindow()->unitLost());
}

// The words across the grid and the bar window while their values are not live.
TEST_F(FormMainTest, UpdatingOffSaysDisplayPausedAcrossBothWindowsAndNoUnitWins) {
    auto *w = start(QStringLiteral("/NUMS /BARS"));
    f.defineEveryChannel();
    QWidget *windows[] = {w->gridWindow(), w->barWindow()};
    const auto banners = [&windows] {
        std::vector<QString> shown;
        for (QWidget *window : windows) {
            const auto *label = window->findChild<QLabel *>(QStringLiteral("LabelBanner"));
            EXPECT_NE(label, nullptr);
            if (label != nullptr) {
                shown.push_back(label->isHidden() ? QString() : label->text());
                EXPECT_TRUE(label->isHidden() || label->geometry() == window->rect());
            }
        }
        return shown;
    };
    const auto both = [](const char *words) {
        return std::vector<QString>(2, QString::fromLatin1(words));
    };
    w->Timer1_Timer();
    EXPECT_EQ(banners(), both(""));

    action(w, "UpdateToggle")->trigger();
    w->Timer1_Timer();
    EXPECT_EQ(banners(), both("DISPLAY PAUSED"));
    EXPECT_EQ(w->gridWindow()->bannerText(), QStringLiteral("DISPLAY PAUSED"));
    w->gridWindow()->resize(300, 200);
    EXPECT_EQ(banners(), both("DISPLAY PAUSED"));  // follows the window's size

    f.fakeUnit.reachable = false;
    w->Timer1_Timer();  // updating is off, yet the loss is found
    EXPECT_FALSE(w->findChild<QFrame *>(QStringLiteral("FrameUnitLost"))->isHidden());
    EXPECT_EQ(banners(), both("NO UNIT"));

    f.fakeUnit.reachable = true;
    QTest::mouseClick(button(w, "CommandReconnect"), Qt::LeftButton);
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(banners(), both("DISPLAY PAUSED"));

    action(w, "UpdateToggle")->trigger();
    w->Timer1_Timer();
    EXPECT_EQ(banners(), both(""));
}

TEST_F(FormMainTest, ResetButtonClearsTheUnitsMinimumAndMaximum) {
    auto *w = start();
    f.fakeUnit.clearCalls();
    QTest::mouseClick(button(w, "CommandResetMM"), Qt::LeftButton);
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM("), 1);
}

TEST_F(FormMainTest, CancellingTheSaveQuestionKeepsTheWindowAndWritesNothing) {
    auto *w = start(QStringLiteral("/NUMS"));
    f.state().SetupModified = true;
    f.prompter.answers = {PromptAnswer::Cancel};
    QSignalSpy unloaded(w, &zelapp::FormMain::unloaded);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_NE(w->gridWindow(), nullptr);
    EXPECT_EQ(unloaded.count(), 0);
    EXPECT_FALSE(QFile::exists(f.iniPath()));
    EXPECT_TRUE(f.store.value(QStringLiteral("Settings"), QStringLiteral("MainLeft")).isEmpty());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text, QStringLiteral("Setup has been modified\rSave changes"));
}

TEST_F(FormMainTest, ClosingWritesTheSettingsStoresThePlaceAndUnloadsTheOtherWindows) {
    auto *w = start(QStringLiteral("/NUMS /BARS"));
    w->move(150, 60);
    QPointer<QWidget> grid = w->gridWindow();
    QPointer<QWidget> bars = w->barWindow();
    QSignalSpy unloaded(w, &zelapp::FormMain::unloaded);
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_TRUE(grid.isNull());
    EXPECT_TRUE(bars.isNull());
    EXPECT_FALSE(w->timer().isActive());
    EXPECT_TRUE(QFile::exists(f.iniPath()));
    const double dpi = zelapp::windowDpi(*w);
    EXPECT_EQ(f.store.value(QStringLiteral("Settings"), QStringLiteral("MainLeft")),
              QString::number(zelapp::pixelsToTwips(150, dpi)));
    EXPECT_EQ(f.store.value(QStringLiteral("Settings"), QStringLiteral("MainTop")),
              QString::number(zelapp::pixelsToTwips(60, dpi)));
}

TEST_F(FormMainTest, ClosingWhileMinimisedKeepsTheStoredPlace) {
    auto *w = start();
    w->showMinimized();
    ASSERT_TRUE(w->isMinimized());
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(f.store.value(QStringLiteral("Settings"), QStringLiteral("MainLeft")).isEmpty());
    EXPECT_TRUE(QFile::exists(f.iniPath()));
}

// A stop the system asked for (SIGTERM, SIGINT, SIGHUP) at the top of the event loop: the
// window closes as File > Exit closes it, asking nothing, and the setup is kept, not saved.
TEST_F(FormMainTest, AStopClosesTheWindowAsExitDoesWithoutAQuestion) {
    auto *w = start(QStringLiteral("/NUMS"));
    f.store.setValue(QStringLiteral("LastFolders"), QStringLiteral("zel"), f.programFolder());
    f.state().SetupModified = true;
    QPointer<QWidget> grid = w->gridWindow();
    QSignalSpy unloaded(w, &zelapp::FormMain::unloaded);
    f.app->stop(SIGTERM);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(grid.isNull());
    EXPECT_TRUE(QFile::exists(f.iniPath()));
    EXPECT_TRUE(
        QFile::exists(QDir(f.programFolder()).filePath(QStringLiteral("untitled.zel.unsaved"))));
    f.app->stop(SIGINT);
    EXPECT_EQ(unloaded.count(), 1) << "a second stop is not heard";
}

TEST_F(FormMainTest, TheGridsCloseBoxUnchecksNumbersAndOnlyHidesIt) {
    auto *w = start(QStringLiteral("/NUMS"));
    auto *grid = w->gridWindow();
    // A close from the window's own close box arrives as a spontaneous event.
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(grid, &event);  // sendEvent would clear the flag
    EXPECT_FALSE(event.isAccepted());
    EXPECT_FALSE(action(w, "EnableGrid")->isChecked());
    EXPECT_FALSE(grid->isVisible());
    EXPECT_EQ(w->gridWindow(), grid);
}

TEST(FileFilters, PairsOfDescriptionAndPatternBecomeQtFilters) {
    EXPECT_EQ(zelapp::qtFileFilters(QStringLiteral("ZEL Setups (*.zel)|*.zel|All (*.*)|*.*")),
              (QStringList{QStringLiteral("ZEL Setups (*.zel)"), QStringLiteral("All (*.*)")}));
    EXPECT_EQ(zelapp::qtFileFilters(QStringLiteral("Profiles|*.zap;*.zbk|odd")),
              QStringList{QStringLiteral("Profiles (*.zap *.zbk)")});
    EXPECT_TRUE(zelapp::qtFileFilters(QString()).isEmpty());
}

}  // namespace

namespace {

struct BoxAnswer {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

TEST(MessageBoxPrompter, ShowsTheLinesTitleIconAndButtonsAndReturnsTheAnswer) {
    zelapp::MessageBoxPrompter prompter(QStringLiteral("zelapp"));
    BoxAnswer seen;
    QTimer::singleShot(0, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons()};
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(prompter.ask(QStringLiteral("Setup has been modified\rSave changes"), QString(),
                           zelapp::PromptIcon::Question, zelapp::PromptButtons::YesNoCancel),
              PromptAnswer::Cancel);
    EXPECT_EQ(seen.text, QStringLiteral("Setup has been modified\nSave changes"));
    EXPECT_EQ(seen.title, QStringLiteral("zelapp"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

    QTimer::singleShot(0, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons()};
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(prompter.ask(QStringLiteral("Exit?"), QStringLiteral("ZEL-32 [a.zel]"),
                           zelapp::PromptIcon::Warning, zelapp::PromptButtons::YesNo),
              PromptAnswer::Yes);
    EXPECT_EQ(seen.title, QStringLiteral("ZEL-32 [a.zel]"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
}

// The start-up's box when the unit does not answer: its three buttons by their captions, and
// Escape ends the program as Exit does.
TEST(MessageBoxPrompter, RetryStartExitOffersTheThreeChoices) {
    zelapp::MessageBoxPrompter prompter(QStringLiteral("zelapp"));
    const auto answerBy = [&prompter](const std::function<void(QMessageBox &)> &choose) {
        QStringList captions;
        QTimer::singleShot(0, [&captions, &choose] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton *b : box->buttons()) {
                captions << b->text();
            }
            choose(*box);
        });
        const PromptAnswer answer =
            prompter.ask(zelapp::communicationFailedText(), {}, zelapp::PromptIcon::Warning,
                         zelapp::PromptButtons::RetryStartExit);
        captions.sort();
        EXPECT_EQ(captions, (QStringList{QStringLiteral("Exit"), QStringLiteral("Retry"),
                                         QStringLiteral("Start without the unit")}));
        return answer;
    };
    const auto click = [](const QString &caption) {
        return [caption](QMessageBox &box) {
            for (QAbstractButton *b : box.buttons()) {
                if (b->text() == caption) {
                    b->click();
                    return;
                }
            }
        };
    };
    EXPECT_EQ(answerBy(click(QStringLiteral("Retry"))), PromptAnswer::Retry);
    EXPECT_EQ(answerBy(click(QStringLiteral("Start without the unit"))), PromptAnswer::Continue);
    EXPECT_EQ(answerBy(click(QStringLiteral("Exit"))), PromptAnswer::Cancel);
    EXPECT_EQ(answerBy([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              PromptAnswer::Cancel);
}

}  // namespace
