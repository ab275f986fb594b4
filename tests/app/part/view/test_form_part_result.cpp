// The result window and the Parts menu on the offscreen platform: the menu and the button open
// the window, Measure's refusal reaches the status line, the verdict label's name and text, the
// tiles, the keys (F9, Escape, F11), the fonts at the sizes that matter, the settings dialog (with
// the results' station and file), the beep and the out-of-control panel with its cause.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

#include "dfq/dfq_export.h"
#include "dfq/dfq_settings.h"
#include "history/part_history.h"
#include "history/parts_location.h"
#include "part/part_settings.h"
#include "part/view/form_part_result.h"
#include "setup/part_program.h"
#include "started_app_test.h"

using namespace Qt::StringLiterals;
using zelapp::FormPartResult;

namespace {

class PartResultWindowTest : public zeltest::StartedAppTest {
  protected:
    template <typename T>
    T *child(QWidget *in, const QString &name) const {
        return in->findChild<T *>(name);
    }
    QAction *mainAction(const QString &name) const { return child<QAction>(w, name); }
    // The next control Tab goes to.
    static QWidget *nextTab(QWidget *from) {
        QWidget *next = from->nextInFocusChain();
        while (next != from && (next->focusPolicy() & Qt::TabFocus) == 0) {
            next = next->nextInFocusChain();
        }
        return next;
    }

    FormPartResult *opened() {
        mainAction(u"ActionResult"_s)->trigger();
        FormPartResult *r = w->partResultWindow();
        EXPECT_NE(r, nullptr);
        return r;
    }

    // A program measuring channels 1 to `count`, each with a description and limits.
    void measureChannels(int count) {
        zelapp::PartProgram program = diameterChannels(count, 4);
        for (int n = 1; n <= count; ++n) {
            f.app->setup().channel(n)->Units = u"mm"_s;
        }
        f.app->session().partProgram().replace(program);
    }
};

TEST_F(PartResultWindowTest, MenuAndButtonOpenTheWindowWhoseVerdictLabelIsNamed) {
    EXPECT_EQ(mainAction(u"ActionMeasure"_s)->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(child<QPushButton>(w, u"CommandParts"_s)->text(), u"P&arts"_s);
    EXPECT_FALSE(mainAction(u"ActionCancel"_s)->isEnabled());  // no cycle runs
    ASSERT_EQ(w->partResultWindow(), nullptr);
    QTest::mouseClick(child<QPushButton>(w, u"CommandParts"_s), Qt::LeftButton);
    FormPartResult *r = w->partResultWindow();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->isVisible());
    EXPECT_TRUE(r->isWindow());
    auto *verdict = child<QLabel>(r, u"LabelVerdict"_s);
    ASSERT_NE(verdict, nullptr);
    EXPECT_EQ(verdict->accessibleName(), u"Part verdict"_s);
    EXPECT_EQ(verdict->text(), u"READY"_s);
    EXPECT_EQ(child<QPushButton>(r, u"CommandMeasure"_s)->text(), u"&Measure"_s);
    // The ID box only when the program asks for identifiers.
    EXPECT_TRUE(child<QLineEdit>(r, u"TextPartId"_s)->isHidden());
    // The Part Program entry is there for its dialog; choosing it opens nothing yet.
    EXPECT_NE(mainAction(u"ActionPartProgram"_s), nullptr);
    // The button's letter is its own in the main window: Alt+A opens the window again.
    r->close();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([r] { return r->isVisible(); }));
}

TEST_F(PartResultWindowTest, EachCharacteristicHasANamedTile) {
    measureChannels(3);
    FormPartResult *r = opened();
    for (int n = 1; n <= 3; ++n) {
        auto *tile = child<QFrame>(r, u"Tile%1"_s.arg(n));
        ASSERT_NE(tile, nullptr) << n;
        EXPECT_EQ(tile->accessibleName(), u"Channel %1: Diameter %1"_s.arg(n));
        EXPECT_EQ(child<QLabel>(r, u"TileCaption%1"_s.arg(n))->text(),
                  u"Diameter %1 (mm)"_s.arg(n));
    }
    EXPECT_EQ(child<QFrame>(r, u"Tile4"_s), nullptr);
    // A program with fewer characteristics takes the tiles away.
    zelapp::PartProgram one;
    one.characteristics = {2};
    f.app->session().partProgram().replace(one);
    EXPECT_EQ(child<QFrame>(r, u"Tile1"_s), nullptr);
    EXPECT_NE(child<QFrame>(r, u"Tile2"_s), nullptr);
}

TEST_F(PartResultWindowTest, ARefusedMeasureIsSaidInTheStatusLineAndTheWindow) {
    f.app->session().partCycle().setBusyCheck([] { return true; });
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_F9);
    auto *status = child<QLabel>(w, u"LabelStatus"_s);
    EXPECT_EQ(status->text(), u"Measure refused: busy"_s);
    FormPartResult *r = w->partResultWindow();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(child<QLabel>(r, u"LabelMessage"_s)->text(), u"Measure refused: busy"_s);
    EXPECT_EQ(f.app->session().partCycle().state(), zelapp::CycleState::Ready);
}

TEST_F(PartResultWindowTest, WithAskIdMeasureWantsTheIdFirst) {
    zelapp::PartProgram program;
    program.askId = true;
    f.app->session().partProgram().replace(program);
    mainAction(u"ActionMeasure"_s)->trigger();
    FormPartResult *r = w->partResultWindow();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->isVisible());
    auto *box = child<QLineEdit>(r, u"TextPartId"_s);
    EXPECT_FALSE(box->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([box] { return QApplication::focusWidget() == box; }));
    EXPECT_EQ(child<QLabel>(w, u"LabelStatus"_s)->text(), u"Measure refused: no part ID"_s);
    EXPECT_TRUE(child<QLabel>(r, u"LabelMessage"_s)->text().startsWith(u"Measure refused"_s));
    // Enter in the box gives the identifier to the part put on next.
    box->setText(u" 4711 "_s);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(f.app->session().partCycle().nextId(), u"4711"_s);
}

TEST_F(PartResultWindowTest, EscapeClosesWhenNoCycleRunsAndF11GoesFullScreen) {
    FormPartResult *r = opened();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r));
    QTest::keyClick(r, Qt::Key_F11);
    EXPECT_TRUE(r->isFullScreen());
    QTest::keyClick(r, Qt::Key_F11);
    EXPECT_FALSE(r->isFullScreen());
    QTest::keyClick(r, Qt::Key_Escape);
    EXPECT_FALSE(r->isVisible());
}

TEST_F(PartResultWindowTest, MaximisedLettersAndDigitsAreLargeAndNeverClipped) {
    measureChannels(8);
    FormPartResult *r = opened();
    // A maximised window on a 1280 x 1024 screen, less its title bar and a panel.
    r->resize(1280, 950);
    QCoreApplication::processEvents();
    auto *verdict = child<QLabel>(r, u"LabelVerdict"_s);
    for (const QString &word : zelapp::boardWords()) {
        EXPECT_GE(QFontMetrics(verdict->font()).tightBoundingRect(word).height(), 80)
            << word.toStdString();
        EXPECT_LE(QFontMetrics(verdict->font()).horizontalAdvance(word),
                  verdict->contentsRect().width());
    }
    for (int n = 1; n <= 8; ++n) {
        auto *value = child<QLabel>(r, u"TileValue%1"_s.arg(n));
        ASSERT_NE(value, nullptr);
        EXPECT_GE(QFontMetrics(value->font()).tightBoundingRect(u"0123456789"_s).height(), 40);
        EXPECT_TRUE(r->rect().contains(value->mapTo(r, value->rect().bottomRight())));
    }
    // At every size the window allows, the widest value fits its box.
    for (const QSize size : {r->minimumSize(), QSize(900, 500), QSize(1920, 1080)}) {
        r->resize(size);
        QCoreApplication::processEvents();
        for (int n = 1; n <= 8; ++n) {
            auto *value = child<QLabel>(r, u"TileValue%1"_s.arg(n));
            const QFontMetrics metrics(value->font());
            EXPECT_LE(metrics.horizontalAdvance(u"-88.8888"_s), value->width()) << n;
            EXPECT_LE(metrics.height(), value->height()) << n;
        }
        const QFontMetrics metrics(verdict->font());
        EXPECT_LE(metrics.horizontalAdvance(u"NOT VALID"_s), verdict->width());
        EXPECT_LE(metrics.height(), verdict->height());
    }
}

TEST_F(PartResultWindowTest, TheWindowKeepsItsPlaceInTheSettingsStore) {
    FormPartResult *r = opened();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r));
    r->showMaximized();
    r->hide();
    EXPECT_EQ(zelapp::readResultWindowPlace(f.store).show, zelapp::ResultWindowShow::Maximized);
    r->showNormal();
    r->setGeometry(100, 120, 700, 500);
    r->hide();
    const zelapp::ResultWindowPlace place = zelapp::readResultWindowPlace(f.store);
    EXPECT_EQ(place.show, zelapp::ResultWindowShow::Normal);
    EXPECT_GT(place.place.Width, 0);
    EXPECT_GT(place.place.Height, 0);
    // Nothing of it goes into zelapp.ini.
    EXPECT_TRUE(f.store.value(u"Parts"_s, u"ResultShow"_s) == u"normal"_s);
}

TEST_F(PartResultWindowTest, SettingsDialogKeepsPaletteAndBeepAndRepaints) {
    FormPartResult *r = opened();
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), u"DlgPartSettings"_s);
        dialog->findChild<QComboBox *>(u"ComboPalette"_s)->setCurrentIndex(1);
        dialog->findChild<QCheckBox *>(u"CheckBeep"_s)->setChecked(false);
        // OK is the default: Enter takes the settings.
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    mainAction(u"ActionPartSettings"_s)->trigger();
    EXPECT_EQ(zelapp::readPartSettings(f.store),
              (zelapp::PartSettings{zelapp::ResultPalette::OkabeIto, false}));
    EXPECT_EQ(r->board().colours,
              zelapp::boardColours(zelapp::BoardKind::Ready, zelapp::ResultPalette::OkabeIto));
    // Escape leaves them as they were.
    QTimer::singleShot(0, [] {
        auto *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QComboBox *>(u"ComboPalette"_s)->setCurrentIndex(0);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    mainAction(u"ActionPartSettings"_s)->trigger();
    EXPECT_EQ(zelapp::readPartSettings(f.store).palette, zelapp::ResultPalette::OkabeIto);
}

TEST_F(PartResultWindowTest, SettingsDialogKeepsTheResultsAndTheHistoryTakesThem) {
    const QString chosen = f.programFolder() + u"/line3.db"_s;
    f.chooser.answer = chosen;
    const QString option = QDir::toNativeSeparators(f.programFolder() + u"/parts.db"_s);
    QTimer::singleShot(0, [option, chosen] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto *station = dialog->findChild<QLineEdit *>(u"TextStation"_s);
        auto *database = dialog->findChild<QLineEdit *>(u"TextDatabase"_s);
        auto *browse = dialog->findChild<QPushButton *>(u"ButtonBrowse"_s);
        ASSERT_TRUE(station && database && browse);
        // Labels name their boxes (accelerator and accessible name); the tab order runs down.
        EXPECT_EQ(dialog->findChild<QLabel *>(u"LabelStation"_s)->buddy(), station);
        EXPECT_EQ(dialog->findChild<QLabel *>(u"LabelDatabase"_s)->buddy(), database);
        const auto nextTab = [](QWidget *from) {
            QWidget *next = from->nextInFocusChain();
            while (next != from && (next->focusPolicy() & Qt::TabFocus) == 0) {
                next = next->nextInFocusChain();
            }
            return next;
        };
        EXPECT_EQ(nextTab(dialog->findChild<QCheckBox *>(u"CheckBeep"_s)), station);
        EXPECT_EQ(nextTab(station), database);
        EXPECT_EQ(nextTab(database), browse);
        // Empty boxes say what empty means.
        EXPECT_EQ(station->placeholderText(), QSysInfo::machineHostName());
        EXPECT_EQ(database->placeholderText(),
                  QDir::toNativeSeparators(zelapp::defaultPartsFile()));
        // --db overrules the setting, and the dialog says so.
        auto *note = dialog->findChild<QLabel *>(u"LabelDatabaseNote"_s);
        EXPECT_FALSE(note->isHidden());
        EXPECT_EQ(note->text(), u"Used now: %1 (from --db)"_s.arg(option));
        QTest::keyClicks(station, u"Line 3"_s);
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(database->text(), QDir::toNativeSeparators(chosen));
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    mainAction(u"ActionPartSettings"_s)->trigger();
    ASSERT_EQ(f.chooser.saveRequests.size(), 1u);
    EXPECT_EQ(f.chooser.saveRequests[0].defaultExtension, u"db"_s);
    EXPECT_TRUE(f.chooser.saveRequests[0].keepsExisting)
        << "an existing history is added to, not replaced";
    EXPECT_EQ(zelapp::readResultsSettings(f.store), (zelapp::ResultsSettings{chosen, u"Line 3"_s}));
    // Reopened: the next part goes under the new station, into the file --db names.
    const zelapp::PartHistory &history = f.app->session().partHistory();
    EXPECT_EQ(history.location().station, u"Line 3"_s);
    EXPECT_EQ(QDir::toNativeSeparators(history.location().file), option);
    // Cancel keeps them.
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit *>(u"TextStation"_s)->clear();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    mainAction(u"ActionPartSettings"_s)->trigger();
    EXPECT_EQ(zelapp::readResultsSettings(f.store).station, u"Line 3"_s);
}

TEST_F(PartResultWindowTest, SettingsDialogKeepsTheDfqFolderEncodingAndFiles) {
    const QString chosen = f.programFolder() + u"/qdas in"_s;
    ASSERT_TRUE(QDir().mkpath(chosen));  // a folder browsed for is there
    f.chooser.answer = chosen;
    QTimer::singleShot(0, [chosen] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto *folder = dialog->findChild<QLineEdit *>(u"TextDfqFolder"_s);
        auto *browse = dialog->findChild<QPushButton *>(u"ButtonDfqBrowse"_s);
        auto *encoding = dialog->findChild<QComboBox *>(u"ComboDfqEncoding"_s);
        auto *files = dialog->findChild<QComboBox *>(u"ComboDfqFiles"_s);
        ASSERT_TRUE(folder && browse && encoding && files);
        EXPECT_EQ(dialog->findChild<QLabel *>(u"LabelDfqFolder"_s)->buddy(), folder);
        EXPECT_EQ(dialog->findChild<QLabel *>(u"LabelDfqEncoding"_s)->buddy(), encoding);
        EXPECT_EQ(dialog->findChild<QLabel *>(u"LabelDfqFiles"_s)->buddy(), files);
        // After the history's boxes, down the group.
        EXPECT_EQ(nextTab(dialog->findChild<QPushButton *>(u"ButtonBrowse"_s)), folder);
        EXPECT_EQ(nextTab(folder), browse);
        EXPECT_EQ(nextTab(browse), encoding);
        EXPECT_EQ(nextTab(encoding), files);
        // Off, in Windows-1252, one file per part: the defaults.
        EXPECT_TRUE(folder->text().isEmpty());
        EXPECT_EQ(folder->placeholderText(), u"Empty: off"_s);
        EXPECT_EQ(encoding->currentText(), u"Windows-1252"_s);
        EXPECT_EQ(encoding->itemText(1), u"UTF-8"_s);
        EXPECT_EQ(files->currentText(), u"One file per part"_s);
        EXPECT_EQ(files->itemText(1), u"One file per hour"_s);
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(folder->text(), QDir::toNativeSeparators(chosen));
        encoding->setCurrentIndex(1);
        files->setCurrentIndex(1);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    mainAction(u"ActionPartSettings"_s)->trigger();
    EXPECT_EQ(f.chooser.folderRequests.size(), 1u);
    EXPECT_EQ(zelapp::readDfqSettings(f.store),
              (zelapp::DfqSettings{chosen, zelapp::DfqEncoding::Utf8, zelapp::DfqFiles::PerHour}));
    // Emptied: off again; the rest as chosen.
    QTimer::singleShot(0, [chosen] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto *folder = dialog->findChild<QLineEdit *>(u"TextDfqFolder"_s);
        EXPECT_EQ(folder->text(), QDir::toNativeSeparators(chosen));
        EXPECT_EQ(dialog->findChild<QComboBox *>(u"ComboDfqFiles"_s)->currentIndex(), 1);
        folder->clear();
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    mainAction(u"ActionPartSettings"_s)->trigger();
    EXPECT_EQ(zelapp::readDfqSettings(f.store),
              (zelapp::DfqSettings{{}, zelapp::DfqEncoding::Utf8, zelapp::DfqFiles::PerHour}));
}

TEST_F(PartResultWindowTest, TheDfqLineTellsThePartsAFailingFolderHoldsAndWhyInItsTip) {
    FormPartResult *r = opened();
    auto *line = child<QLabel>(r, u"LabelDfq"_s);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isHidden());
    zelapp::DfqExport &dfq = f.app->session().dfqExport();
    emit dfq.waitingChanged({2, u"/mnt/qdas: Read-only file system"_s});
    EXPECT_FALSE(line->isHidden());
    EXPECT_EQ(line->text(), u"DFQ: 2 parts waiting"_s);
    EXPECT_EQ(line->toolTip(), u"/mnt/qdas: Read-only file system"_s);
    EXPECT_EQ(line->accessibleName(), u"DFQ export"_s);
    // Read at a distance as the history's line is: the same bold letters, whatever the size.
    r->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(line->font(), child<QLabel>(r, u"LabelRecord"_s)->font());
    EXPECT_TRUE(line->font().bold());
    // Back: the line goes.
    emit dfq.waitingChanged({});
    EXPECT_TRUE(line->isHidden());
}

TEST_F(PartResultWindowTest, RejectAndNotValidPartsBeepUnlessTurnedOff) {
    zelapp::PartResult part;
    part.verdict = zelapp::ToleranceVerdict::RejectMinus;
    zelapp::PartCycle &cycle = f.app->session().partCycle();
    emit cycle.partEnded(part);
    EXPECT_EQ(f.prompter.beeps, 1);
    part.verdict = zelapp::ToleranceVerdict::Good;
    emit cycle.partEnded(part);
    EXPECT_EQ(f.prompter.beeps, 1);
    part.verdict = zelapp::ToleranceVerdict::NotValid;
    zelapp::writePartSettings(f.store, {zelapp::ResultPalette::Standard, false});
    emit cycle.partEnded(part);
    EXPECT_EQ(f.prompter.beeps, 1);
}

// ---- With the part cycle measuring on the fake unit ----

class MeasuredPartTest : public PartResultWindowTest {
  protected:
    zelapp::PartCycle &cycle() { return f.app->session().partCycle(); }

    // Two characteristics of limits +-0.05 that settle at once and acquire for no time.
    void SetUp() override {
        PartResultWindowTest::SetUp();
        measureChannels(2);
        zelapp::PartProgram program = f.app->session().partProgram().program();
        program.settleTimeMs = 0;
        program.dynamicTimeMs = 0;
        f.app->session().partProgram().replace(program);
        f.fakeUnit.channelValue[1] = 0.01f;
        f.fakeUnit.channelValue[2] = 0.06f;  // a reject on the plus side
    }
    // Steps the cycle until it holds its result; whether it got there.
    bool stepToResult() {
        for (int i = 0; i < 100 && cycle().state() != zelapp::CycleState::Result; ++i) {
            cycle().poll();
        }
        return cycle().state() == zelapp::CycleState::Result;
    }
};

TEST_F(MeasuredPartTest, F9MeasuresAndTheNewVerdictIsShownTiledAnnouncedAndHeard) {
    FormPartResult *r = opened();
    r->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(r));
    auto *verdict = child<QLabel>(r, u"LabelVerdict"_s);
    // The platform tells screen readers only while one listens, which offscreen none does:
    // the window says when it sent the event.
    QSignalSpy announced(r, &FormPartResult::verdictAnnounced);

    QTest::keyClick(r, Qt::Key_F9);
    EXPECT_TRUE(cycle().running());
    EXPECT_EQ(verdict->text(), u"MEASURING"_s);
    // Reset MAX/MIN waits; Cancel is offered.
    EXPECT_FALSE(child<QPushButton>(w, u"CommandResetMM"_s)->isEnabled());
    EXPECT_FALSE(mainAction(u"ViewResetMM"_s)->isEnabled());
    EXPECT_TRUE(mainAction(u"ActionCancel"_s)->isEnabled());

    ASSERT_TRUE(stepToResult());
    EXPECT_EQ(verdict->accessibleName(), u"Part verdict"_s);
    EXPECT_EQ(verdict->text(), u"REJECT"_s);
    EXPECT_EQ(child<QLabel>(r, u"LabelVerdictSymbol"_s)->text(), u"✖ ▲"_s);
    EXPECT_EQ(announced.count(), 1);
    r->refresh();  // the same part is no news
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(child<QLabel>(r, u"TileValue1"_s)->text(), u"0.0100"_s);
    EXPECT_EQ(child<QLabel>(r, u"TileValue2"_s)->text(), u"0.0600"_s);
    EXPECT_EQ(child<QLabel>(r, u"TileMark2"_s)->text(), u"✖ ▲ REJECT"_s);
    // Each tile draws its tolerance bar where the window is large enough for one.
    EXPECT_TRUE(child<QWidget>(r, u"TileBar2"_s)->isVisibleTo(r));
    EXPECT_EQ(child<QLabel>(r, u"LabelCounters"_s)->text(),
              u"Parts 1   Good 0   Warning 0   Reject 1   Not valid 0   Cancelled 0"_s);
    EXPECT_EQ(f.prompter.beeps, 1);
    EXPECT_TRUE(child<QPushButton>(w, u"CommandResetMM"_s)->isEnabled());
    EXPECT_FALSE(mainAction(u"ActionCancel"_s)->isEnabled());

    // A good part next: the word changes, and no beep.
    f.fakeUnit.channelValue[2] = 0.0f;
    QTest::mouseClick(child<QPushButton>(r, u"CommandMeasure"_s), Qt::LeftButton);
    // While the next settles, the part before stays on show, marked.
    auto *lastPart = child<QLabel>(r, u"LabelLastPart"_s);
    EXPECT_EQ(verdict->text(), u"REJECT"_s);
    EXPECT_TRUE(lastPart->isVisibleTo(r));
    EXPECT_TRUE(lastPart->text().startsWith(u"LAST PART · "_s)) << lastPart->text().toStdString();
    EXPECT_EQ(child<QLabel>(r, u"TileValue2"_s)->text(), u"0.0600"_s);
    ASSERT_TRUE(stepToResult());
    EXPECT_EQ(verdict->text(), u"GOOD"_s);
    EXPECT_FALSE(lastPart->isVisibleTo(r));
    EXPECT_EQ(announced.count(), 2);
    EXPECT_EQ(f.prompter.beeps, 1);
}

TEST_F(MeasuredPartTest, EscapeCancelsARunningCycleAndThenClosesTheWindow) {
    FormPartResult *r = opened();
    r->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(r));
    QTest::keyClick(r, Qt::Key_F9);
    ASSERT_TRUE(cycle().running());
    QTest::keyClick(r, Qt::Key_Escape);
    EXPECT_FALSE(cycle().running());
    EXPECT_TRUE(r->isVisible());
    EXPECT_EQ(child<QLabel>(r, u"LabelVerdict"_s)->text(), u"NOT VALID"_s);
    EXPECT_EQ(child<QLabel>(r, u"LabelReason"_s)->text(), u"Not valid: cancelled"_s);
    QTest::keyClick(r, Qt::Key_Escape);
    EXPECT_FALSE(r->isVisible());
}

TEST_F(MeasuredPartTest, AMeasureTakenClearsTheRefusalFromTheStatusLine) {
    cycle().setBusyCheck([] { return true; });
    mainAction(u"ActionMeasure"_s)->trigger();
    auto *status = child<QLabel>(w, u"LabelStatus"_s);
    EXPECT_EQ(status->text(), u"Measure refused: busy"_s);
    cycle().setBusyCheck([] { return false; });
    mainAction(u"ActionMeasure"_s)->trigger();
    EXPECT_TRUE(cycle().running());
    EXPECT_TRUE(status->text().isEmpty());
    // A second Measure while one runs is refused, in the result window until the part ends.
    FormPartResult *r = opened();
    r->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(r));
    QTest::keyClick(r, Qt::Key_F9);
    EXPECT_EQ(status->text(), u"Measure refused: cycle running"_s);
    auto *message = child<QLabel>(r, u"LabelMessage"_s);
    EXPECT_EQ(message->text(), u"Measure refused: cycle running"_s);
    ASSERT_TRUE(stepToResult());
    EXPECT_TRUE(message->text().isEmpty());
}

// ---- The out-of-control panel ----

class OutOfControlPanelTest : public MeasuredPartTest {
  protected:
    bool breakNext = false;  // the next part's point breaks rule 2

    void SetUp() override {
        f.statsJudge = [this](const std::vector<zelapp::SeriesValue> &values,
                              const zelapp::StatsOptions &options) {
            zelapp::StatsResult result;
            for (std::size_t i = 0; i < values.size(); ++i) {
                result.subgroups.push_back({int(i), 1, values[i].value, std::nullopt, false});
            }
            if (breakNext && !values.empty() && options.rules == std::vector<int>{1, 2}) {
                result.breaks.push_back({2, int(values.size()) - 1, false});
            }
            return result;
        };
        MeasuredPartTest::SetUp();
        zelapp::PartProgram program = f.app->session().partProgram().program();
        program.rules[1] = {1, 2};
        f.app->session().partProgram().replace(program);
    }
    void measure(bool breaks) {
        breakNext = breaks;
        ASSERT_EQ(cycle().measure(), QString());
        ASSERT_TRUE(stepToResult());
    }
};

TEST_F(OutOfControlPanelTest, ShowsTheBreakSavesTheCauseAndKeepsTypingAcrossANewPart) {
    FormPartResult *r = opened();
    auto *panel = child<QFrame>(r, u"PanelOutOfControl"_s);
    auto *line = child<QLabel>(r, u"LabelOutOfControl"_s);
    auto *cause = child<QLineEdit>(r, u"TextCause"_s);
    auto *save = child<QPushButton>(r, u"CommandSaveCause"_s);
    auto *waiting = child<QLabel>(r, u"LabelCausesWaiting"_s);
    ASSERT_TRUE(panel && line && cause && save && waiting);
    EXPECT_EQ(save->text(), u"Save cause"_s);
    EXPECT_EQ(child<QLabel>(r, u"LabelCause"_s)->buddy(), cause);
    EXPECT_EQ(nextTab(cause), save);
    measure(false);
    EXPECT_FALSE(panel->isVisibleTo(r));

    measure(true);
    EXPECT_TRUE(panel->isVisibleTo(r));
    EXPECT_EQ(line->text(), u"Out of control: Diameter 1 (C1), rule 2"_s);  // by its description
    EXPECT_FALSE(save->isEnabled()) << "no cause typed yet";
    EXPECT_TRUE(f.prompter.shown.empty()) << "never a modal box";
    QTest::keyClicks(cause, u"worn insert"_s);

    // The cycles go on; the next part breaks too, and the cause typed stays with its part.
    measure(true);
    EXPECT_EQ(cause->text(), u"worn insert"_s);
    EXPECT_EQ(waiting->text(), u"1 more part waits for a cause"_s);
    const qint64 first = f.app->session().processWatch().awaited().front().partId;
    QTest::mouseClick(save, Qt::LeftButton);
    const auto &awaited = f.app->session().processWatch().awaited();
    ASSERT_EQ(awaited.size(), 1u);
    EXPECT_NE(awaited.front().partId, first) << "the first part's cause was saved";
    EXPECT_TRUE(cause->text().isEmpty());
    EXPECT_TRUE(waiting->isHidden());
    EXPECT_EQ(line->text(), u"Out of control: Diameter 1 (C1), rule 2"_s);  // now the second part's

    QTest::keyClicks(cause, u"chip on the face"_s);
    QTest::keyClick(cause, Qt::Key_Return);
    EXPECT_TRUE(f.app->session().processWatch().awaited().empty());
    EXPECT_FALSE(panel->isVisibleTo(r));
}

}  // namespace
