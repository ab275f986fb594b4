// The mastering window over the whole program: from the keyboard (an accelerator reaches its
// box, Enter presses the default button, Escape closes and stops the live value), the question
// before a large change, Undo and the last mastered time, Master modeless and Zero modal, and
// the reason shown while the unit is lost.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialogs/view/dialog_host.h"
#include "started_app_test.h"
#include "view/hosted_dialog.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;

namespace {

class FormMasteringTest : public zeltest::StartedAppTest {
  protected:
    void SetUp() override {
        StartedAppTest::SetUp();
        f.defineEveryChannel();
    }
    QWidget *form() const { return w->dialogs().dialog(CommandDialog::Mastering); }
    template <typename T>
    T *control(const char *name) const {
        return form()->findChild<T *>(QString::fromLatin1(name));
    }
};

TEST_F(FormMasteringTest, MastersFromTheKeyboardAndEscapeStopsTheLiveValue) {
    f.app->setup().channel(1)->Master1 = 10;
    QTest::mouseClick(w->findChild<QPushButton *>(u"CommandMaster"_s), Qt::LeftButton);
    ASSERT_NE(form(), nullptr);
    EXPECT_FALSE(form()->isModal());
    EXPECT_EQ(form()->windowTitle(), u"Master Channels"_s);
    form()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form()));

    QTest::keyClick(form(), Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QLineEdit>("TextMaster1Value"));
    EXPECT_FALSE(control<QPushButton>("CommandMaster")->isEnabled());  // no reading yet

    f.fakeUnit.channelValue[1] = 10.25f;
    w->Timer1_Timer();
    EXPECT_EQ(control<QLineEdit>("TextChannelValue")->text(), u" 10.25000"_s);
    EXPECT_EQ(control<QLabel>("LblLastMastered")->text(), u"Never mastered"_s);
    EXPECT_FALSE(control<QPushButton>("CommandUndo")->isEnabled());
    // A zero moved by more than the tolerance band asks first.
    f.prompter.answers.push_back(zelapp::PromptAnswer::Yes);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_TRUE(f.prompter.shown[0].text.startsWith(u"The new zero -0.25000"_s));
    EXPECT_FLOAT_EQ(f.fakeUnit.czero[1], -0.25f);
    EXPECT_EQ(control<QLabel>("LblInstruction")->text(), u"Master completed."_s);
    EXPECT_EQ(control<QPushButton>("CommandMaster")->text(), u"Next Channel"_s);
    EXPECT_TRUE(control<QLabel>("LblLastMastered")->text().startsWith(u"Last mastered: "_s));

    QTest::mouseClick(control<QPushButton>("CommandUndo"), Qt::LeftButton);
    EXPECT_FLOAT_EQ(f.fakeUnit.czero[1], 0.0f);
    EXPECT_FALSE(control<QPushButton>("CommandUndo")->isEnabled());
    EXPECT_EQ(control<QLineEdit>("TxtIntercept")->text(), u" 0.00000"_s);

    QTest::keyClick(form(), Qt::Key_Escape);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_EQ(f.app->session().dialogs().mastering.MasteringChannel(), 0);
}

TEST_F(FormMasteringTest, ZeroIsModalAndALostUnitIsGivenAsTheReason) {
    QString caption;
    bool reasonShown = false;
    bool masterEnabled = true;
    QTimer::singleShot(0, [&] {
        QWidget *open = QApplication::activeModalWidget();
        ASSERT_NE(open, nullptr);
        caption = open->windowTitle();
        f.fakeUnit.reachable = false;
        w->Timer1_Timer();
        reasonShown = !open->findChild<QLabel *>(u"LblUnitLost"_s)->isHidden();
        masterEnabled = open->findChild<QPushButton *>(u"CommandMaster"_s)->isEnabled();
        QTest::keyClick(open, Qt::Key_Escape);
    });
    QTest::mouseClick(w->findChild<QPushButton *>(u"CommandZero"_s), Qt::LeftButton);
    EXPECT_EQ(caption, u"Zero Channels"_s);
    EXPECT_TRUE(reasonShown);
    EXPECT_FALSE(masterEnabled);
    EXPECT_FALSE(form()->isVisible());
}

}  // namespace
