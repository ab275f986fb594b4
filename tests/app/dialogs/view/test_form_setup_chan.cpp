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
        const QChar letter = caption.at(caption.indexOf(u'&') + 1).toUpper();
        for (int press = 0; press < 2 && QApplication::focusWidget() != edit; ++press) {
            QTest::keyClick(form(), static_cast<Qt::Key>(letter.unicode()), Qt::AltModifier);
        }
        EXPECT_EQ(QApplication::focusWidget(), edit) << info.label;
    }
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
