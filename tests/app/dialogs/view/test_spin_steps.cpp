// The spin buttons of the setup and mastering windows over the whole program: a held arrow or
// key whose step asks a question (or refuses) shows one box and stops there, and Up and Down in
// the box of the number the spin steps do what the spin does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

#include "dialogs/setup_analog.h"
#include "dialogs/view/dialog_host.h"
#include "started_app_test.h"
#include "view/hosted_dialog.h"
#include "view/spin_button.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;

namespace {

class SpinStepsTest : public zeltest::StartedAppTest {
  protected:
    zelapp::HostedDialog *form(CommandDialog which) const { return w->dialogs().dialog(which); }
    template <typename T>
    T *control(CommandDialog which, const QString &name) const {
        return form(which)->findChild<T *>(name);
    }
    // Opens the dialog modeless and waits until it can take keys.
    void open(CommandDialog which) {
        w->dialogs().showDialog(which, false);
        ASSERT_NE(form(which), nullptr);
        form(which)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form(which)));
    }
    // Every question is a modal box over `over`, open while `whileOpen` runs in its loop.
    void askInABox(QWidget *over, const std::function<void()> &whileOpen) {
        f.prompter.whileAsking = [over, whileOpen] {
            QDialog box(over);
            QTimer::singleShot(0, &box, [&box, whileOpen] {
                whileOpen();
                box.reject();
            });
            box.exec();
        };
    }
};

void sendKey(QWidget *to, Qt::Key key, bool autoRepeat) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(to, &press);
}

TEST_F(SpinStepsTest, AQuestionStopsAHeldArrowOrKeyAfterOneBox) {
    open(CommandDialog::SetupChan);
    QTest::keyClicks(control<QLineEdit>(CommandDialog::SetupChan, u"TextDescription"_s), u"x"_s);
    auto *spin = control<zelapp::SpinButton>(CommandDialog::SetupChan, u"SpinButtonChannel"_s);
    auto *up = spin->findChild<QToolButton *>(u"up"_s);
    // The question stays open until the arrow is no longer held, or until it asked again from
    // the box's loop: the nesting that never ends on screen.
    int depth = 0;
    int deepest = 0;
    f.prompter.whileAsking = [&] {
        deepest = std::max(deepest, ++depth);
        if (depth == 1) {
            QDialog box(form(CommandDialog::SetupChan));
            QTimer::singleShot(0, &box, [&] {
                EXPECT_TRUE(
                    QTest::qWaitFor([&] { return !up->isDown() || f.prompter.shown.size() > 1; }));
                box.reject();
            });
            box.exec();
        }
        --depth;
    };
    QTest::mousePress(up, Qt::LeftButton);
    // The step comes with the arrow's first repeat.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.prompter.shown.empty(); }));
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_FALSE(up->isDown());
    EXPECT_EQ(control<QLineEdit>(CommandDialog::SetupChan, u"TextCurrentChannel"_s)->text(),
              u"1"_s);  // Cancel

    // A held key: its repeats after the box step no more; a new press does.
    askInABox(form(CommandDialog::SetupChan), [] {});
    f.prompter.shown.clear();
    sendKey(spin, Qt::Key_Up, false);
    sendKey(spin, Qt::Key_Up, true);
    sendKey(spin, Qt::Key_Up, true);
    EXPECT_EQ(f.prompter.shown.size(), 1u);
    sendKey(spin, Qt::Key_Up, false);
    EXPECT_EQ(f.prompter.shown.size(), 2u);

    // The analog dialog's refusal is such a box too.
    open(CommandDialog::SetupAnalog);
    QTest::keyClicks(control<QLineEdit>(CommandDialog::SetupAnalog, u"TextZeroOffset"_s), u"5"_s);
    askInABox(form(CommandDialog::SetupAnalog), [] {});
    f.prompter.shown.clear();
    auto *analogSpin =
        control<zelapp::SpinButton>(CommandDialog::SetupAnalog, u"SpinButtonAnalog"_s);
    sendKey(analogSpin, Qt::Key_Down, false);
    sendKey(analogSpin, Qt::Key_Down, true);
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{zelapp::SetupAnalogTool::changedText()});
}

TEST_F(SpinStepsTest, UpAndDownInTheNumberBoxStepAsTheSpinDoes) {
    f.defineEveryChannel();  // a channel without a formula cannot be mastered
    f.app->setup().CreateAnalogs(3);
    // The dialog, its number box, an edit whose question a step asks (none: no question).
    const std::tuple<CommandDialog, QString, QString, std::optional<QString>> dialogs[] = {
        {CommandDialog::SetupChan, u"TextCurrentChannel"_s, u"TextDescription"_s,
         u"Channel 1 has been modified\rSave changes"_s},
        {CommandDialog::SetupLvdt, u"TextCurrentLvdt"_s, u"TextZeroOffset"_s,
         u"Lvdt 1 has been modified\rSave changes"_s},
        {CommandDialog::SetupAnalog, u"TextCurrentAnalog"_s, u"TextZeroOffset"_s,
         zelapp::SetupAnalogTool::changedText()},
        {CommandDialog::Mastering, u"TextMasterChannel"_s, QString(), std::nullopt},
    };
    for (const auto &[which, name, edited, question] : dialogs) {
        SCOPED_TRACE(name.toStdString());
        open(which);
        auto *number = control<QLineEdit>(which, name);
        number->setFocus();
        QTest::keyClick(number, Qt::Key_Up);
        EXPECT_EQ(number->text(), u"2"_s);
        QTest::keyClick(number, Qt::Key_Down);
        EXPECT_EQ(number->text(), u"1"_s);
        if (question) {
            f.prompter.shown.clear();
            QTest::keyClicks(control<QLineEdit>(which, edited), u"7"_s);
            QTest::keyClick(number, Qt::Key_Up);
            EXPECT_EQ(f.prompter.texts(), std::vector<QString>{*question});
            EXPECT_EQ(number->text(), u"1"_s);  // Cancel, or refused
            QTest::keyClick(control<QLineEdit>(which, edited), Qt::Key_Return);  // programmed
        }
        form(which)->reject();
        EXPECT_FALSE(form(which)->isVisible());
    }
}

}  // namespace
