// The amplifier calibration window over the whole program: opened modally from a probe bar and
// kept on the screen, the bars' direction and what reaches the unit, the range box, the refused
// full scale, the widths, the keyboard and Enter, and the store's progress.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogs/view/dialog_host.h"
#include "dialogs/view/form_calibrate.h"
#include "display/twips.h"
#include "display/view/form_lin_gage.h"
#include "display/view/lgauge.h"
#include "started_app_test.h"
#include "view/window_place.h"

using namespace Qt::StringLiterals;

namespace {

class FormCalibrateTest : public zeltest::StartedAppTest {
  protected:
    zelapp::HostedDialog *form() const {
        return w->dialogs().dialog(zelapp::CommandDialog::Calibrate);
    }
    template <typename T>
    T *control(const QString &name) const {
        return form()->findChild<T *>(name);
    }
    int pixels(int twips) const { return zelapp::twipsToPixels(twips, zelapp::windowDpi(*form())); }

    // Runs `body` once the modal dialog is up (it may open from a queued click), then closes
    // it unless the body did.
    void whileOpen(const std::function<void(QWidget &)> &body, int tries = 100) {
        QTimer::singleShot(0, [this, body, tries] {
            QWidget *open = QApplication::activeModalWidget();
            if (open == nullptr && tries > 0) {
                whileOpen(body, tries - 1);
                return;
            }
            ASSERT_NE(open, nullptr);
            open->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(open));
            body(*open);
            if (auto *dialog = qobject_cast<QDialog *>(open); dialog && dialog->isVisible()) {
                dialog->done(QDialog::Rejected);
            }
        });
    }
    void openProbe(int probe, const std::function<void(QWidget &)> &body) {
        whileOpen(body);
        w->ShowCalibrateAt(probe, 2880, 1440);
    }
};

TEST_F(FormCalibrateTest, ARightClickOnAProbeBarOpensItModallyOnlyInProbeView) {
    w->findChild<QAction *>(u"EnableBarGraphs"_s)->trigger();
    w->findChild<QAction *>(u"ViewLVDTs"_s)->trigger();
    QString name, probe;
    bool modal = false;
    whileOpen([&](QWidget &open) {
        name = open.objectName();
        modal = open.isModal();
        probe = open.findChild<QLabel *>(u"lblProbe"_s)->text();
    });
    QTest::mousePress(w->barWindow()->gauge(2), Qt::RightButton, {}, QPoint(4, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(name, u"dlgCalibrate"_s);
    EXPECT_TRUE(modal);
    EXPECT_EQ(probe, u"Probe 3"_s);

    // Opened from a bar: beside it, at the click's height, the bar left in view.
    QPoint beside;
    whileOpen([&](QWidget &open) { beside = open.pos(); });
    zelapp::LGauge *third = w->barWindow()->gauge(2);
    QTest::mousePress(third, Qt::RightButton, {}, QPoint(4, 5));
    QCoreApplication::processEvents();
    const QRect bar(third->mapToGlobal(QPoint(0, 0)), third->size());
    EXPECT_TRUE(beside.x() >= bar.right() ||
                beside.x() + form()->frameGeometry().width() <= bar.left())
        << beside.x() << " for a bar at " << bar.left() << ".." << bar.right();

    // Placed at the point in twips where no bar is; near the screen's corner, moved in to be
    // seen whole.
    QPoint at;
    w->barWindow()->hide();
    openProbe(1, [&](QWidget &open) { at = open.pos(); });
    w->barWindow()->show();
    EXPECT_EQ(at, QPoint(pixels(2880), pixels(1440)));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const double dpi = zelapp::windowDpi(*form());
    QRect placed;
    whileOpen([&](QWidget &open) { placed = open.frameGeometry(); });
    w->ShowCalibrateAt(1, static_cast<float>(zelapp::pixelsToTwips(screen.right() - 10, dpi)),
                       static_cast<float>(zelapp::pixelsToTwips(screen.bottom() - 10, dpi)));
    EXPECT_TRUE(screen.contains(placed)) << placed.x() << ", " << placed.y();
    EXPECT_EQ(placed.bottomRight(), screen.bottomRight());

    f.fakeUnit.clearCalls();
    w->ShowCalibrateAt(0, 0, 0);
    w->findChild<QAction *>(u"ViewAnalogs"_s)->trigger();
    QTest::mousePress(w->barWindow()->gauge(0), Qt::RightButton, {}, QPoint(4, 5));
    QCoreApplication::processEvents();
    EXPECT_FALSE(form()->isVisible());
    EXPECT_EQ(f.fakeUnit.count("ZelReadLvdtGain("), 0);
}

TEST_F(FormCalibrateTest, OnlyTheOperatorsMovesReachTheUnitAndUpRaises) {
    f.fakeUnit.amplifiers[1].fine = 300;  // beyond the bar's end
    openProbe(1, [&](QWidget &) {
        // The bars hold their settings negated, the highest at the top.
        EXPECT_EQ(control<QScrollBar>(u"vscrGainFine"_s)->value(), -100);
        EXPECT_EQ(control<QScrollBar>(u"vscrGainFine"_s)->minimum(), -100);
        EXPECT_EQ(control<QLabel>(u"lblCurrentFine"_s)->text(), u"300"_s);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdt"), 0);

        auto *coarse = control<QScrollBar>(u"vscrGainCoarse"_s);
        QTest::keyClick(coarse, Qt::Key_Up);
        EXPECT_EQ(coarse->value(), -129);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain(1, 129, 60)"), 1);
        QTest::keyClick(coarse, Qt::Key_PageUp);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain(1, 139, 60)"), 1);
        auto *null = control<QScrollBar>(u"vscrNull"_s);
        QTest::keyClick(null, Qt::Key_Down);
        QTest::keyClick(null, Qt::Key_PageDown);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtNull(1, -11)"), 1);

        f.fakeUnit.clearCalls();
        QTest::mouseClick(control<QPushButton>(u"cmdAdvanced"_s), Qt::LeftButton);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdt"), 0);
    });
}

TEST_F(FormCalibrateTest, TypingIntoTheRangeBoxDoesNothingAndArrowsChoose) {
    openProbe(1, [&](QWidget &) {
        auto *range = control<QComboBox>(u"cboGainSelect"_s);
        EXPECT_EQ(range->currentText(), u"M Lo"_s);
        range->setFocus();
        QTest::keyClicks(range, u"Hc"_s);
        EXPECT_EQ(range->currentText(), u"M Lo"_s);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain("), 0);
        QTest::keyClick(range, Qt::Key_Down);
        EXPECT_EQ(range->currentText(), u"M Hi"_s);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain(1, 128, 50)"), 1);
    });
}

TEST_F(FormCalibrateTest, ARefusedFullScaleKeepsTheFocusButCancelAndEscapeClose) {
    const float opening = f.app->setup().lvdt(1)->FullScale();
    openProbe(1, [&](QWidget &) {
        auto *fullScale = control<QLineEdit>(u"txtFullScale"_s);
        fullScale->setFocus();
        fullScale->selectAll();
        QTest::keyClicks(fullScale, u"0.0005"_s);
        QTest::keyClick(fullScale, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), fullScale);
        EXPECT_EQ(f.prompter.shown.size(), 1u);
        // A click on OK is refused once and stores nothing.
        QTest::mouseClick(control<QPushButton>(u"OKButton"_s), Qt::LeftButton);
        EXPECT_EQ(QApplication::focusWidget(), fullScale);
        EXPECT_EQ(f.prompter.shown.size(), 2u);
        EXPECT_EQ(f.fakeUnit.count("ZelSaveCalibration("), 0);
        QTest::mouseClick(control<QPushButton>(u"CancelButton"_s), Qt::LeftButton);
        EXPECT_FALSE(form()->isVisible());
    });
    EXPECT_EQ(f.prompter.shown.size(), 2u);
    EXPECT_FLOAT_EQ(f.app->setup().lvdt(1)->FullScale(), opening);

    openProbe(1, [&](QWidget &open) {
        QTest::keyClick(control<QScrollBar>(u"vscrGainCoarse"_s), Qt::Key_Up);
        f.fakeUnit.clearCalls();
        QTest::keyClicks(control<QLineEdit>(u"txtOffset"_s), u"x"_s);
        QTest::keyClick(&open, Qt::Key_Escape);
        EXPECT_FALSE(open.isVisible());
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain(1, 128, 60)"), 1);  // put back
    });
    EXPECT_EQ(f.prompter.shown.size(), 2u);
}

TEST_F(FormCalibrateTest, TheDetailsWidenTheDialogAndACustomRiShowsItsBar) {
    openProbe(1, [&](QWidget &open) {
        EXPECT_EQ(open.width(), pixels(4080));
        EXPECT_LE(open.minimumSizeHint().width(), open.width());  // nothing cut off
        EXPECT_TRUE(control<QWidget>(u"pnlDetails"_s)->isHidden());
        EXPECT_TRUE(control<QScrollBar>(u"vscrRi"_s)->isHidden());
        auto *advanced = control<QPushButton>(u"cmdAdvanced"_s);
        EXPECT_EQ(advanced->text(), u"Details >>"_s);
        QTest::mouseClick(advanced, Qt::LeftButton);
        EXPECT_EQ(open.width(), pixels(6200));
        EXPECT_LE(open.minimumSizeHint().width(), open.width());
        EXPECT_FALSE(control<QWidget>(u"pnlDetails"_s)->isHidden());
        EXPECT_EQ(advanced->text(), u"<< No Details"_s);
    });
    f.fakeUnit.amplifiers[2].ri = 100;
    openProbe(2, [&](QWidget &open) {
        EXPECT_EQ(open.width(), pixels(6200));
        EXPECT_FALSE(control<QScrollBar>(u"vscrRi"_s)->isHidden());
        EXPECT_EQ(control<QComboBox>(u"cboGainSelect"_s)->currentText(), u"Cust"_s);
    });
}

TEST_F(FormCalibrateTest, TabFollowsTheControlsAndEnterStoresOnlyFromTheButtons) {
    f.fakeUnit.amplifiers[1].ri = 100;  // every bar shown
    openProbe(1, [&](QWidget &open) {
        EXPECT_TRUE(control<QPushButton>(u"OKButton"_s)->isDefault());
        control<QScrollBar>(u"vscrGainCoarse"_s)->setFocus();
        for (const QString &next :
             {u"vscrRi"_s, u"vscrGainFine"_s, u"vscrNull"_s, u"cboGainSelect"_s, u"txtFullScale"_s,
              u"txtOffset"_s, u"OKButton"_s, u"CancelButton"_s, u"cmdSave"_s, u"cmdLoad"_s,
              u"cmdHelp"_s, u"cmdAdvanced"_s, u"vscrGainCoarse"_s}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget()->objectName(), next);
        }
        // In a box Enter commits the box, as leaving it does; on a bar or the range nothing.
        auto *offset = control<QLineEdit>(u"txtOffset"_s);
        offset->setFocus();
        offset->selectAll();
        QTest::keyClicks(offset, u"0.25"_s);
        QTest::keyClick(offset, Qt::Key_Return);
        EXPECT_TRUE(open.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), offset);
        EXPECT_EQ(offset->text(), u"0.25000"_s);
        EXPECT_FLOAT_EQ(f.app->setup().lvdt(1)->ZeroOffset(), 0.25f);
        auto *fullScale = control<QLineEdit>(u"txtFullScale"_s);
        fullScale->setFocus();
        fullScale->selectAll();
        QTest::keyClicks(fullScale, u"0"_s);
        QTest::keyClick(fullScale, Qt::Key_Enter);
        EXPECT_EQ(f.prompter.texts(),
                  std::vector<QString>{u"The value \"0\" in FullSc is below 0.001."_s});
        EXPECT_EQ(QApplication::focusWidget(), fullScale);
        fullScale->selectAll();
        QTest::keyClicks(fullScale, u"0.1"_s);
        for (const QString &name : {u"vscrGainCoarse"_s, u"vscrNull"_s, u"cboGainSelect"_s}) {
            control<QWidget>(name)->setFocus();
            QTest::keyClick(control<QWidget>(name), Qt::Key_Return);
            EXPECT_TRUE(open.isVisible()) << name.toStdString();
        }
        EXPECT_EQ(f.fakeUnit.count("ZelSaveCalibration("), 0);
        control<QPushButton>(u"OKButton"_s)->setFocus();
        QTest::keyClick(control<QPushButton>(u"OKButton"_s), Qt::Key_Return);
        EXPECT_FALSE(open.isVisible());
    });
    EXPECT_FLOAT_EQ(f.app->setup().lvdt(1)->FullScale(), 0.1f);
    EXPECT_EQ(f.fakeUnit.count("ZelSaveCalibration("), 1);
}

TEST_F(FormCalibrateTest, TheArrowAtTheTopOfABarRaisesItAndTheBottomOneLowers) {
    openProbe(1, [&](QWidget &) {
        // A scroll bar's top arrow steps towards its minimum, the bottom one towards its
        // maximum, whatever the style draws.
        auto *null = control<QScrollBar>(u"vscrNull"_s);
        null->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtNull(1, 1)"), 1);
        null->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtNull(1, 2)"), 1);
        null->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtNull(1, 1)"), 2);
        // At the top, the highest setting.
        EXPECT_EQ(null->minimum(), -zelapp::CalibrateTool::barTop(zelapp::CalibrateTool::Null));
    });
}

TEST_F(FormCalibrateTest, TheDialogShowsTheProbesLiveReading) {
    f.fakeUnit.lvdtValue[1] = 0.5f;
    openProbe(1, [&](QWidget &) {
        w->session().scan().Timer1_Timer();
        EXPECT_TRUE(control<QLabel>(u"lblLiveValue"_s)->text().startsWith(u"Reading: 0"_s));
    });
}

TEST_F(FormCalibrateTest, TheStoreShowsItsProgressWithOkAndCancelOff) {
    bool shown = false, okOn = true, cancelOn = true;
    QString said;
    f.clock.onWait = [&] {  // the store waits on the fixture's clock, which returns at once
        auto *progress = control<QProgressDialog>(u"storeProgress"_s);
        ASSERT_NE(progress, nullptr);
        shown = progress->isVisible() && progress->windowModality() == Qt::WindowModal;
        said = progress->labelText();
        okOn = control<QPushButton>(u"OKButton"_s)->isEnabled();
        cancelOn = control<QPushButton>(u"CancelButton"_s)->isEnabled();
    };
    openProbe(1, [&](QWidget &open) {
        QTest::mouseClick(control<QPushButton>(u"OKButton"_s), Qt::LeftButton);
        EXPECT_FALSE(open.isVisible());
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(said.startsWith(u"Storing... ("_s)) << said.toStdString();
    EXPECT_TRUE(said.endsWith(u" s)"_s));
    EXPECT_FALSE(okOn);
    EXPECT_FALSE(cancelOn);
    EXPECT_EQ(control<QProgressDialog>(u"storeProgress"_s), nullptr);
}

TEST_F(FormCalibrateTest, ALostUnitTurnsTheUnitsControlsOffAndSaysWhy) {
    f.defineEveryChannel();  // the tick reads only channels that measure
    openProbe(1, [&](QWidget &) {
        EXPECT_TRUE(control<QLabel>(u"lblUnitLost"_s)->isHidden());
        f.fakeUnit.reachable = false;
        w->Timer1_Timer();
        EXPECT_FALSE(control<QLabel>(u"lblUnitLost"_s)->isHidden());
        for (const QString &name : {u"vscrGainCoarse"_s, u"cboGainSelect"_s, u"txtFullScale"_s,
                                    u"txtOffset"_s, u"OKButton"_s, u"cmdSave"_s, u"cmdLoad"_s}) {
            EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name.toStdString();
        }
        EXPECT_TRUE(control<QPushButton>(u"CancelButton"_s)->isEnabled());
    });
}

}  // namespace
