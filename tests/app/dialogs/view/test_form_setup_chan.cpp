// The channel setup window over the whole program: the keyboard (accelerators reach their
// boxes, Enter programs, Escape asks), the Setup menu's modeless opening, and a pick in a
// display opening it modally on the picked channel.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialogs/view/dialog_host.h"
#include "dialogs/view/form_setup_chan.h"
#include "started_app_test.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;
using zelapp::PromptAnswer;

namespace {

class FormSetupChanTest : public zeltest::StartedAppTest {
  protected:
    zelapp::HostedDialog *form() const { return w->dialogs().dialog(CommandDialog::SetupChan); }
    QLineEdit *box(const char *name) const {
        return form()->findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    // Setup > Channels, and waits until the dialog can take keys.
    void openFromMenu() {
        w->findChild<QAction *>(u"SetupChannels"_s)->trigger();
        ASSERT_NE(form(), nullptr);
        form()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form()));
    }
};

TEST_F(FormSetupChanTest, EveryLabelsAcceleratorReachesItsBox) {
    openFromMenu();
    EXPECT_FALSE(form()->isModal());
    form()->findChild<QAbstractButton *>(u"CheckUse2Masters"_s)->click();  // Master 2 takes input
    for (int i = 0; i < zelapp::kChanBoxCount; ++i) {
        const auto &info = zelapp::chanBoxInfo(static_cast<zelapp::ChanBox>(i));
        QLineEdit *edit = box(info.name);
        ASSERT_NE(edit, nullptr) << info.name;
        const QString caption = QString::fromLatin1(info.label);
        QLabel *label = nullptr;
        for (QLabel *l : form()->findChildren<QLabel *>()) {
            label = l->text() == caption ? l : label;
        }
        ASSERT_NE(label, nullptr) << info.label;
        EXPECT_EQ(label->buddy(), edit) << info.label;

        // The letter after "&" moves the focus there (two boxes sharing a letter take turns).
        // Bar Top's letter belongs to "Use Two Masters" (see the test below).
        const QChar letter = caption.at(caption.indexOf(u'&') + 1).toUpper();
        if (letter == u'T') {
            continue;
        }
        for (int press = 0; press < 2 && QApplication::focusWidget() != edit; ++press) {
            QTest::keyClick(form(), static_cast<Qt::Key>(letter.unicode()), Qt::AltModifier);
        }
        EXPECT_EQ(QApplication::focusWidget(), edit) << info.label;
    }
}

// "Use &Two Masters" / "Bar &Top" and "&Reset MAX/MIN" / "P&rev" keep their captions; the
// shared letters act at the first press on the box and the button the keyboard wants.
TEST_F(FormSetupChanTest, SharedLettersActAtTheFirstPress) {
    openFromMenu();
    auto *twoMasters = form()->findChild<QAbstractButton *>(u"CheckUse2Masters"_s);
    auto *current = form()->findChild<QLineEdit *>(u"TextCurrentChannel"_s);
    auto *next = form()->findChild<QPushButton *>(u"CommandNext"_s);
    ASSERT_NE(twoMasters, nullptr);
    ASSERT_NE(current, nullptr);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(twoMasters->text(), u"Use &Two Masters"_s);
    EXPECT_EQ(form()->findChild<QPushButton *>(u"CommandPrev"_s)->text(), u"P&rev"_s);
    EXPECT_EQ(form()->findChild<QPushButton *>(u"CommandResetMM"_s)->text(), u"&Reset MAX/MIN"_s);
    EXPECT_EQ(form()->findChild<QLabel *>(u"LabelBarTopValue"_s)->text(), u"Bar &Top"_s);

    // Prev first: toggling the box is an edit, which a step would ask about.
    next->click();
    const QString second = current->text();
    f.fakeUnit.clearCalls();
    QTest::keyClick(form(), Qt::Key_R, Qt::AltModifier);
    EXPECT_NE(current->text(), second) << "Alt+R stepped back with Prev";
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM("), 0) << "and did not clear MAX/MIN";
    next->click();
    EXPECT_EQ(current->text(), second);
    QTest::keyClick(form(), Qt::Key_R, Qt::AltModifier);
    EXPECT_NE(current->text(), second) << "again at the first press";
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM("), 0);

    const bool wasChecked = twoMasters->isChecked();
    QTest::keyClick(form(), Qt::Key_T, Qt::AltModifier);
    EXPECT_NE(twoMasters->isChecked(), wasChecked);
    EXPECT_EQ(QApplication::focusWidget(), twoMasters);
    QTest::keyClick(form(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(twoMasters->isChecked(), wasChecked);
}

TEST_F(FormSetupChanTest, EnterProgramsFromABoxAndEscapeClosesThroughTheQuestion) {
    openFromMenu();
    box("TextDescription")->setFocus();
    box("TextDescription")->clear();
    QTest::keyClicks(box("TextDescription"), u"Bore"_s);
    QTest::keyClick(box("TextDescription"), Qt::Key_Return);
    EXPECT_EQ(f.app->setup().channel(1)->Description, u"Bore"_s);
    EXPECT_TRUE(f.state().SetupModified);

    QTest::keyClicks(box("TextDescription"), u" 2"_s);
    f.prompter.answers = {PromptAnswer::Cancel};
    QTest::keyClick(form(), Qt::Key_Escape);
    EXPECT_TRUE(form()->isVisible());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text, u"Channel 1 has been modified\rSave changes"_s);

    f.prompter.answers = {PromptAnswer::No};
    QTest::keyClick(form(), Qt::Key_Escape);
    EXPECT_FALSE(form()->isVisible());
}

TEST_F(FormSetupChanTest, APickOpensTheDialogModallyOnThePickedChannel) {
    f.state().ViewType = zelapp::VIEWTYPECHANNELS;
    QString shownChannel;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget *open = QApplication::activeModalWidget();
        ASSERT_NE(open, nullptr);
        modal = open->objectName() == u"FormSetupChan"_s;
        shownChannel = open->findChild<QLineEdit *>(u"TextCurrentChannel"_s)->text();
        open->findChild<QPushButton *>(u"CommandDone"_s)->click();
    });
    w->GotoSetupFromView(3);
    EXPECT_TRUE(modal);
    EXPECT_EQ(shownChannel, u"3"_s);
    EXPECT_FALSE(form()->isVisible());
}

}  // namespace

// A part cycle clears MAX/MIN itself: the dialog's Reset waits while one runs.
TEST_F(FormSetupChanTest, ResetMaxMinIsOffWhileAPartCycleRuns) {
    openFromMenu();
    auto *reset = form()->findChild<QPushButton *>(u"CommandResetMM"_s);
    EXPECT_TRUE(reset->isEnabled());
    zelapp::PartCycle &cycle = f.app->session().partCycle();
    f.defineEveryChannel();  // something for the part to measure
    ASSERT_EQ(cycle.measure(), QString());
    EXPECT_FALSE(reset->isEnabled());
    ASSERT_EQ(cycle.cancel(), QString());
    EXPECT_TRUE(reset->isEnabled());
}
