// The dialogs as an assistive tool sees them: every control it can reach has a name.
#include <gtest/gtest.h>

#include <QAccessible>
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

}  // namespace
