// The main window from the keyboard: the File keys, Reset in the View menu and on the button,
// the last setups in the File menu, and the bars' menu on the Menu key and Shift+F10.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "display/view/form_lin_gage.h"
#include "display/view/lgauge.h"
#include "started_app_test.h"

using namespace Qt::StringLiterals;

namespace {

class MainKeysTest : public zeltest::StartedAppTest {
  protected:
    QAction *action(const QString &name) const { return w->findChild<QAction *>(name); }

    // The object name of the modal window that `press` opens, closed again at once.
    QString modalOpenedBy(const std::function<void()> &press) {
        QString opened;
        press();
        // The bars open their menu from the event loop, after the key's handler.
        QTimer::singleShot(0, [&opened] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = modal->objectName();
                modal->hide();
            }
        });
        QCoreApplication::processEvents();
        return opened;
    }
};

TEST_F(MainKeysTest, FileResetAndBarMenusAnswerTheirKeys) {
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    for (const auto &[name, keys] :
         std::vector<std::pair<QString, QString>>{{u"NewFile"_s, u"Ctrl+N"_s},
                                                  {u"OpenFile"_s, u"Ctrl+O"_s},
                                                  {u"SaveFile"_s, u"Ctrl+S"_s},
                                                  {u"SaveAsFile"_s, u"Ctrl+Shift+S"_s},
                                                  {u"ViewResetMM"_s, u"Ctrl+R"_s}}) {
        ASSERT_NE(action(name), nullptr) << name.toStdString();
        EXPECT_EQ(action(name)->shortcut(), QKeySequence(keys)) << name.toStdString();
    }
    EXPECT_EQ(action(u"ViewResetMM"_s)->text(), u"&Reset MAX/MIN"_s);
    EXPECT_EQ(w->findChild<QPushButton *>(u"CommandResetMM"_s)->text(), u"R&eset"_s);

    // The keys reach their commands (the file dialogs answer Cancel).
    QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(f.chooser.openRequests.size(), 1u);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.chooser.saveRequests.size(), 1u);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);  // no name yet: Save As
    EXPECT_EQ(f.chooser.saveRequests.size(), 2u);
    f.state().SetupModified = true;
    QTest::keyClick(w, Qt::Key_N, Qt::ControlModifier);
    ASSERT_FALSE(f.prompter.shown.empty());
    EXPECT_EQ(f.prompter.shown.back().text, u"Setup has been modified\rSave changes"_s);
    f.state().SetupModified = false;
    QTest::keyClick(w, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM("), 1);
    // A button's letter presses it as a click the eye can follow: shown down, then released.
    QTest::keyClick(w, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return f.fakeUnit.count("ZelResetMM(") == 2; }));

    // A setup saved is the File menu's first last setup, and choosing it opens it.
    f.chooser.answer = QDir(f.programFolder()).filePath(u"keys.zel"_s);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QAction *recent = action(u"RecentSetup1"_s);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->text(), u"&1 keys.zel"_s);
    EXPECT_EQ(recent->statusTip(), QDir::toNativeSeparators(f.chooser.answer));
    EXPECT_EQ(recent->toolTip(), recent->statusTip());
    const QList<QAction *> file = w->findChild<QMenu *>(u"File"_s)->actions();
    const qsizetype at = file.indexOf(recent);
    ASSERT_GT(at, 0);
    EXPECT_TRUE(file[at - 1]->isSeparator());
    EXPECT_TRUE(file[at + 1]->isSeparator());
    EXPECT_EQ(file[at + 2], action(u"ExitProgram"_s));
    f.state().SetupFileName.clear();
    recent->trigger();
    EXPECT_EQ(f.state().SetupFileName, f.chooser.answer);

    // The bars take the focus, and the Menu key or Shift+F10 opens a bar's Copy pop-up.
    action(u"EnableBarGraphs"_s)->trigger();
    zelapp::FormLinGage *bars = w->barWindow();
    ASSERT_NE(bars, nullptr);
    zelapp::LGauge *bar = bars->gauge(0);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(modalOpenedBy([bar] { QTest::keyClick(bar, Qt::Key_Menu); }), u"dlgCopyLink"_s);
    EXPECT_EQ(modalOpenedBy([bar] { QTest::keyClick(bar, Qt::Key_F10, Qt::ShiftModifier); }),
              u"dlgCopyLink"_s);
    EXPECT_TRUE(modalOpenedBy([bar] { QTest::keyClick(bar, Qt::Key_F10); }).isEmpty());
}

}  // namespace
