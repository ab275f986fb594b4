// The probe and analog setup windows over the whole program: the keyboard (accelerators reach
// their boxes, the current number cannot be typed over, Enter programs, Escape goes through the
// question or the refusal).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <tuple>
#include <utility>
#include <vector>

#include "dialogs/setup_analog.h"
#include "dialogs/view/dialog_host.h"
#include "model/inputs.h"
#include "started_app_test.h"
#include "view/hosted_dialog.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;
using zelapp::PromptAnswer;

namespace {

class FormSetupInputsTest : public zeltest::StartedAppTest {
  protected:
    zelapp::HostedDialog *form(CommandDialog which) const { return w->dialogs().dialog(which); }
    QLineEdit *box(CommandDialog which, const QString &name) const {
        return form(which)->findChild<QLineEdit *>(name);
    }
    // Opens the dialog modeless and waits until it can take keys.
    void open(CommandDialog which) {
        if (which == CommandDialog::SetupLvdt) {
            w->findChild<QAction *>(u"SetupLVDTs"_s)->trigger();
        } else {
            w->dialogs().showDialog(which, false);  // Setup > Analog is hidden
        }
        ASSERT_NE(form(which), nullptr);
        form(which)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form(which)));
    }
};

TEST_F(FormSetupInputsTest, EveryAcceleratorReachesItsBoxAndTheNumberCannotBeTyped) {
    for (const auto &[which, numberLabel, number] :
         {std::tuple{CommandDialog::SetupLvdt, u"P&robe"_s, u"TextCurrentLvdt"_s},
          std::tuple{CommandDialog::SetupAnalog, u"&Analog"_s, u"TextCurrentAnalog"_s}}) {
        open(which);
        std::vector<std::pair<QString, QString>> buddies{{numberLabel, number}};
        for (int i = 0; i < zelapp::kInputBoxCount; ++i) {
            const auto &info = zelapp::inputBoxInfo(static_cast<zelapp::InputBox>(i));
            buddies.emplace_back(QString::fromLatin1(info.label), QString::fromLatin1(info.name));
        }
        for (const auto &[caption, name] : buddies) {
            QLabel *label = nullptr;
            for (QLabel *l : form(which)->findChildren<QLabel *>()) {
                label = l->text() == caption ? l : label;
            }
            ASSERT_NE(label, nullptr) << caption.toStdString();
            EXPECT_EQ(label->buddy(), box(which, name)) << caption.toStdString();
            const QChar letter = caption.at(caption.indexOf(u'&') + 1).toUpper();
            QTest::keyClick(form(which), static_cast<Qt::Key>(letter.unicode()), Qt::AltModifier);
            EXPECT_EQ(QApplication::focusWidget(), box(which, name)) << caption.toStdString();
        }

        // The tick reads the input from this box: typing into it changes nothing.
        QTest::keyClicks(box(which, number), u"99"_s);
        EXPECT_EQ(box(which, number)->text(), u"1"_s);
        form(which)->reject();
    }
}

TEST_F(FormSetupInputsTest, EnterProgramsAndEscapeAsksOrRefuses) {
    open(CommandDialog::SetupLvdt);
    QLineEdit *fullScale = box(CommandDialog::SetupLvdt, u"TextFullScale"_s);
    fullScale->setFocus();
    fullScale->selectAll();
    QTest::keyClicks(fullScale, u"0.2"_s);
    QTest::keyClick(fullScale, Qt::Key_Return);
    EXPECT_FLOAT_EQ(f.app->setup().lvdt(1)->FullScale(), 0.2f);
    EXPECT_FLOAT_EQ(f.fakeUnit.tfsv[1], 0.05f);

    QTest::keyClicks(box(CommandDialog::SetupLvdt, u"TextZeroOffset"_s), u"1"_s);
    f.prompter.answers = {PromptAnswer::Cancel};
    QTest::keyClick(form(CommandDialog::SetupLvdt), Qt::Key_Escape);
    EXPECT_TRUE(form(CommandDialog::SetupLvdt)->isVisible());
    ASSERT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Lvdt 1 has been modified\rSave changes"_s});
    f.prompter.answers = {PromptAnswer::No};
    QTest::keyClick(form(CommandDialog::SetupLvdt), Qt::Key_Escape);
    EXPECT_FALSE(form(CommandDialog::SetupLvdt)->isVisible());

    open(CommandDialog::SetupAnalog);
    f.prompter.shown.clear();
    QTest::keyClicks(box(CommandDialog::SetupAnalog, u"TextZeroOffset"_s), u"5"_s);
    QTest::keyClick(form(CommandDialog::SetupAnalog), Qt::Key_Escape);
    EXPECT_TRUE(form(CommandDialog::SetupAnalog)->isVisible());
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{zelapp::SetupAnalogTool::changedText()});
    QTest::keyClick(box(CommandDialog::SetupAnalog, u"TextZeroOffset"_s), Qt::Key_Return);
    QTest::keyClick(form(CommandDialog::SetupAnalog), Qt::Key_Escape);
    EXPECT_FALSE(form(CommandDialog::SetupAnalog)->isVisible());
}

}  // namespace
