// The system setup and about windows over the whole program: Enter presses OK, which closes the
// dialog only when its boxes were applied and shows the refused box, also one the unit refused;
// Escape releases the scan hold; the about window's blocks break into lines.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "dialogs/view/dialog_host.h"
#include "file_bytes.h"
#include "started_app_test.h"
#include "view/hosted_dialog.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;

namespace {

class FormSetupSystemTest : public zeltest::StartedAppTest {
  protected:
    QWidget *form() const { return w->dialogs().dialog(CommandDialog::SetupSystem); }
    QLineEdit *box(const char *name) const {
        return form()->findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    void open() {
        w->findChild<QAction *>(u"SetupGeneral"_s)->trigger();
        ASSERT_NE(form(), nullptr);
        ASSERT_TRUE(form()->isVisible());
        EXPECT_FALSE(form()->isModal());
    }
};

TEST_F(FormSetupSystemTest, EnterAppliesAndClosesOnlyWhenTheBoxesAllowAndEscapeReleasesTheHold) {
    open();
    EXPECT_EQ(f.state().ScanHoldCount, 1) << "no refresh after opening";
    box("txtRunningAvg")->setText(u"many"_s);
    QTest::keyClicks(box("txtRunningAvg"), u"x"_s);
    QTest::keyClick(box("txtRunningAvg"), Qt::Key_Return);
    ASSERT_EQ(f.prompter.texts(),
              std::vector<QString>{u"The value \"manyx\" in Running Average is not a number."_s});
    EXPECT_TRUE(form()->isVisible());
    EXPECT_EQ(form()->findChild<QTabWidget *>(u"SSTab1"_s)->currentIndex(), 1);
    EXPECT_EQ(form()->focusWidget(), box("txtRunningAvg"));
    EXPECT_EQ(f.state().ScanHoldCount, 1);

    box("txtRunningAvg")->selectAll();
    QTest::keyClicks(box("txtRunningAvg"), u"3"_s);
    QTest::keyClick(box("txtRunningAvg"), Qt::Key_Return);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_EQ(f.state().RunAvg, 3);
    EXPECT_EQ(f.state().ScanHoldCount, 0);

    open();
    EXPECT_EQ(form()->findChild<QTabWidget *>(u"SSTab1"_s)->currentIndex(), 0);
    EXPECT_EQ(box("txtRunningAvg")->text(), u"3"_s);
    QTest::keyClicks(box("txtChannels"), u"2"_s);
    QTest::keyClick(box("txtChannels"), Qt::Key_Escape);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_EQ(f.state().ScanHoldCount, 0);
    EXPECT_EQ(f.app->setup().channelCount(), 8);
}

TEST_F(FormSetupSystemTest, AnAverageTheUnitRefusesKeepsTheDialogOpenAndNeverReachesTheIni) {
    f.fakeUnit.refusals["ZelSetAdcAvg(300)"] = 4;
    open();
    QLineEdit *burst = box("txtBurstAvg");
    burst->selectAll();
    QTest::keyClicks(burst, u"300"_s);
    QTest::keyClick(burst, Qt::Key_Return);
    EXPECT_EQ(
        f.prompter.texts(),
        std::vector<QString>{u"The unit does not take the value \"300\" in Burst Average."_s});
    EXPECT_TRUE(form()->isVisible());
    EXPECT_EQ(form()->findChild<QTabWidget *>(u"SSTab1"_s)->currentIndex(), 1);
    EXPECT_EQ(form()->focusWidget(), burst);
    EXPECT_EQ(f.state().ADCAverage, 4);

    QTest::keyClick(burst, Qt::Key_Escape);
    ASSERT_TRUE(w->close());
    EXPECT_TRUE(zeltest::readBytes(f.iniPath()).contains("ADCAverage=  4 \r\n"));
}

TEST_F(FormSetupSystemTest, AboutIsModalAndShowsEachLineOfItsBlocks) {
    QString dll;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget *about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        modal = about->objectName() == u"FormAboutMoxSRV"_s;
        dll = about->findChild<QLabel *>(u"LabelDLL"_s)->text();
        QTest::keyClick(about, Qt::Key_Return);  // OK is the default button
    });
    w->findChild<QAction *>(u"AboutMoxSRV"_s)->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(dll, u"libzelcomm.so\nVersion: 3.01"_s);
    EXPECT_FALSE(w->dialogs().dialog(CommandDialog::About)->isVisible());
}

}  // namespace
