// F1 in every dialog of the program, and in the bars' link pop-up, with the manual it ships in
// the program's own help window: each shows its own section.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <functional>

#include "app_fixture.h"
#include "dialogs/view/dialog_host.h"
#include "dialogs/view/help_window.h"
#include "exchange/view/dlg_copy_link.h"
#include "group_list.h"
#include "view/hosted_dialog.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;

namespace {

class DialogHelpTest : public ::testing::Test {
  protected:
    zelapp::HelpWindowViewer help;  // outlives the program, which shows help through it
    zeltest::AppFixture f;
    zelapp::FormMain *w = nullptr;

    void SetUp() override {
        // The manual next to the program, where start-up looks for it.
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(ZELAPP_HELP_FILE),
                                QDir(f.programFolder()).filePath(u"zelapp.html"_s)));
        f.viewer = &help;
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        w = f.window();
    }

    QString topLine() const {
        if (help.window() == nullptr) {
            return {};
        }
        auto *browser = help.window()->findChild<QTextBrowser *>(u"HelpBrowser"_s);
        return browser->cursorForPosition(QPoint(1, 1)).block().text();
    }

    // Opens a window (modal ones return once closed), presses F1 in it once it is up, notes
    // the heading the help shows, and closes the window.
    QString headingAfterF1(const std::function<void()> &open,
                           const std::function<QWidget *()> &window) {
        QString shown;
        bool pressed = false;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget *up = window();
            if (up == nullptr || !up->isVisible()) {
                return;
            }
            poll.stop();
            // A pop-up takes the keys without being the active window.
            if (!up->windowFlags().testFlag(Qt::Popup)) {
                up->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(up));
            }
            QTest::keyClick(up, Qt::Key_F1);
            shown = topLine();
            if (auto *dialog = qobject_cast<QDialog *>(up); dialog != nullptr && up->isVisible()) {
                dialog->reject();
            }
            up->hide();
            pressed = true;
        });
        poll.start();
        open();
        EXPECT_TRUE(QTest::qWaitFor([&] { return pressed; }));
        return shown;
    }
};

TEST_F(DialogHelpTest, F1InEachDialogShowsItsSection) {
    zeltest::addGroup(f.app->setup(), u"Front"_s, {1, 2});
    const auto hosted = [this](CommandDialog which) {
        return [this, which]() -> QWidget * { return w->dialogs().dialog(which); };
    };
    const auto modeless = [this](CommandDialog which) {
        return [this, which] { w->dialogs().showDialog(which, false); };
    };
    const auto modal = [this](CommandDialog which) {
        return [this, which] { w->dialogs().showDialog(which, true); };
    };
    struct Case {
        std::function<void()> open;
        std::function<QWidget *()> window;
        QString heading;
    };
    const Case cases[] = {
        {modeless(CommandDialog::SetupChan), hosted(CommandDialog::SetupChan),
         u"Setting up a channel"_s},
        {modeless(CommandDialog::SetupGroup), hosted(CommandDialog::SetupGroup), u"Groups"_s},
        {modal(CommandDialog::SelectGroup), hosted(CommandDialog::SelectGroup),
         u"Choosing a group"_s},
        {modeless(CommandDialog::SetupLvdt), hosted(CommandDialog::SetupLvdt), u"Probe setup"_s},
        {modeless(CommandDialog::SetupAnalog), hosted(CommandDialog::SetupAnalog),
         u"Analog setup"_s},
        {modeless(CommandDialog::SetupSystem), hosted(CommandDialog::SetupSystem),
         u"System setup"_s},
        {modeless(CommandDialog::Mastering), hosted(CommandDialog::Mastering),
         u"Zeroing and mastering"_s},
        {modal(CommandDialog::About), hosted(CommandDialog::About), u"The About window"_s},
        {[this] { w->ShowCalibrateAt(1, 0, 0); }, hosted(CommandDialog::Calibrate),
         u"Amplifier calibration"_s},
        {[this] { w->ShowLinkPopupAt(1, 0, 0); },
         [this]() -> QWidget * { return w->copyLinkDialog(); },
         u"Live values for other programs"_s},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(headingAfterF1(c.open, c.window), c.heading);
    }
}

}  // namespace
