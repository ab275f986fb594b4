// The dialogs as an assistive tool sees them: every control it can reach has a name, and a
// check box it toggles (which is no click) does what a click does.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <tuple>

#include "dialogs/view/dialog_host.h"
#include "started_app_test.h"
#include "view/hosted_dialog.h"
#include "view/spin_button.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;

namespace {

QString accessibleName(QWidget *widget) {
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

// What a screen reader's "toggle" does to a check box.
void toggleAsAnAssistiveTool(QCheckBox *box) {
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(face, nullptr);
    ASSERT_NE(face->actionInterface(), nullptr);
    ASSERT_TRUE(face->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

class AccessibilityTest : public zeltest::StartedAppTest {
  protected:
    zelapp::HostedDialog *open(CommandDialog which) {
        w->dialogs().showDialog(which, false);
        return w->dialogs().dialog(which);
    }
};

TEST_F(AccessibilityTest, ControlsHaveNames) {
    QWidget *groups = open(CommandDialog::SetupGroup);
    ASSERT_NE(groups, nullptr);
    // A list takes no name from its label: each has its label's.
    for (QLabel *label : groups->findChildren<QLabel *>()) {
        if (auto *list = qobject_cast<QListWidget *>(label->buddy())) {
            EXPECT_EQ(accessibleName(list), label->text().remove(u'&'))
                << list->objectName().toStdString();
        }
    }
    // Every control the keyboard reaches is named, the name box too, which has no label.
    for (QWidget *control : groups->findChildren<QWidget *>()) {
        if (control->focusPolicy() & Qt::TabFocus) {
            EXPECT_FALSE(accessibleName(control).isEmpty()) << control->objectName().toStdString();
        }
    }

    for (const auto &[which, spin] :
         {std::tuple{CommandDialog::SetupChan, u"SpinButtonChannel"_s},
          std::tuple{CommandDialog::SetupChan, u"SpinButtonDecimals"_s},
          std::tuple{CommandDialog::SetupLvdt, u"SpinButtonLvdt"_s},
          std::tuple{CommandDialog::Mastering, u"SpinButtonChannel"_s}}) {
        auto *arrows = open(which)->findChild<zelapp::SpinButton *>(spin);
        ASSERT_NE(arrows, nullptr) << spin.toStdString();
        EXPECT_EQ(accessibleName(arrows->findChild<QToolButton *>(u"up"_s)), u"Next"_s);
        EXPECT_EQ(accessibleName(arrows->findChild<QToolButton *>(u"down"_s)), u"Previous"_s);
    }
}

TEST_F(AccessibilityTest, ACheckBoxToggledWithoutAClickRunsItsHandler) {
    f.defineEveryChannel();
    f.fakeUnit.channelValue[1] = 1.5f;
    f.fakeUnit.lvdtValue[1] = 1.5f;
    f.fakeUnit.analogValue[1] = 1.5f;
    for (const auto &[which, live] :
         {std::tuple{CommandDialog::SetupChan, u"TextChannelValue"_s},
          std::tuple{CommandDialog::SetupLvdt, u"TextCLvdtValue"_s},
          std::tuple{CommandDialog::SetupAnalog, u"TextCAnalogValue"_s}}) {
        SCOPED_TRACE(live.toStdString());
        zelapp::HostedDialog *form = open(which);
        auto *show = form->findChild<QCheckBox *>(u"CheckShowCurrentValue"_s);
        toggleAsAnAssistiveTool(show);
        EXPECT_TRUE(show->isChecked());
        w->Timer1_Timer();
        EXPECT_TRUE(form->findChild<QLineEdit *>(live)->text().contains(u"1.5"_s));
        toggleAsAnAssistiveTool(show);
        w->Timer1_Timer();
        EXPECT_TRUE(form->findChild<QLineEdit *>(live)->text().isEmpty());
        form->reject();
    }

    // The form showing a box's state again is no toggle: a channel with two masters, shown on
    // the way, is not an edit that asks when it is left.
    f.app->setup().channel(2)->UseTwoMasters = true;
    zelapp::HostedDialog *channels = open(CommandDialog::SetupChan);
    auto *next = channels->findChild<QAbstractButton *>(u"CommandNext"_s);
    next->click();
    EXPECT_TRUE(channels->findChild<QCheckBox *>(u"CheckUse2Masters"_s)->isChecked());
    next->click();
    EXPECT_EQ(channels->findChild<QLineEdit *>(u"TextCurrentChannel"_s)->text(), u"3"_s);
    EXPECT_TRUE(f.prompter.shown.empty());
    toggleAsAnAssistiveTool(channels->findChild<QCheckBox *>(u"CheckUse2Masters"_s));
    next->click();
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Channel 3 has been modified\rSave changes"_s});
}

}  // namespace
