// The help window on the offscreen platform, with the manual the program ships: the contents,
// a topic scrolled to the top, links, Back and Forward, finding on the page from the topic
// shown, the keys, closing, a file that cannot be read, and help asked for from a modal dialog.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include "dialogs/view/help_window.h"

namespace {

const QString kCalibration = QStringLiteral("Amplifier calibration");
const QString kTitle = QStringLiteral("ZEL-32 operator's manual");

class HelpWindowTest : public ::testing::Test {
  protected:
    zelapp::HelpWindowViewer viewer;
    const QString file = QString::fromUtf8(ZELAPP_HELP_FILE);
    QString error;

    template <typename T>
    T *child(const char *name) {
        return viewer.window()->findChild<T *>(QString::fromLatin1(name));
    }
    QTextBrowser *browser() { return child<QTextBrowser>("HelpBrowser"); }
    void press(const char *name) { child<QPushButton>(name)->click(); }
    // The block at the top of the page as the operator sees it.
    QString topLine() { return browser()->cursorForPosition(QPoint(1, 1)).block().text(); }
    QString status() { return child<QLabel>("LabelHelpStatus")->text(); }
};

TEST_F(HelpWindowTest, ShowsTheContentsGoesToTopicsAndBack) {
    EXPECT_EQ(viewer.window(), nullptr);  // made when help is first asked for
    ASSERT_TRUE(viewer.showTopic(file, 0, &error)) << error.toStdString();
    zelapp::HelpWindow *window = viewer.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ZEL-32 Help"));
    EXPECT_EQ(topLine(), kTitle);
    EXPECT_FALSE(child<QPushButton>("HelpBack")->isEnabled());

    ASSERT_TRUE(viewer.showTopic(file, 98496, &error));
    EXPECT_EQ(viewer.window(), window);  // the same window again
    EXPECT_EQ(topLine(), kCalibration);
    press("HelpBack");
    EXPECT_EQ(topLine(), kTitle);
    press("HelpForward");
    EXPECT_EQ(topLine(), kCalibration);
    press("HelpContents");
    EXPECT_EQ(topLine(), kTitle);

    // A link of the contents: the entry that names the calibration.
    const QTextCursor entry = browser()->document()->find(kCalibration);
    ASSERT_FALSE(entry.isNull());
    ASSERT_TRUE(entry.charFormat().isAnchor());
    QTest::mouseClick(browser()->viewport(), Qt::LeftButton, {},
                      browser()->cursorRect(entry).center());
    EXPECT_EQ(topLine(), kCalibration);

    // A topic the manual has no page for: its contents, and a word about it.
    ASSERT_TRUE(viewer.showTopic(file, 4711, &error));
    EXPECT_EQ(topLine(), kTitle);
    EXPECT_TRUE(status().contains(QStringLiteral("4711"))) << status().toStdString();
}

TEST_F(HelpWindowTest, FindsAWordOnThePageFromTheKeyboard) {
    ASSERT_TRUE(viewer.showTopic(file, 0, &error));
    zelapp::HelpWindow *window = viewer.window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto *box = child<QLineEdit>("HelpFindText");

    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("Reconnect"));
    QTest::keyClick(box, Qt::Key_Return);
    const QTextCursor first = browser()->textCursor();
    EXPECT_EQ(first.selectedText(), QStringLiteral("Reconnect"));

    QTest::keyClick(window, Qt::Key_F3);
    EXPECT_GT(browser()->textCursor().position(), first.position());
    QTest::keyClick(window, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(browser()->textCursor().position(), first.position());
    // Backwards from the first place goes round to the last one.
    QTest::keyClick(window, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_GT(browser()->textCursor().position(), first.position());
    EXPECT_FALSE(status().isEmpty());

    box->setText(QStringLiteral("Zyzzyva"));
    const int before = browser()->textCursor().position();
    EXPECT_FALSE(window->findNext());
    EXPECT_EQ(browser()->textCursor().position(), before);
    EXPECT_TRUE(status().contains(QStringLiteral("is not on this page")));

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(HelpWindowTest, FindingStartsAtTheTopicShown) {
    const QString word = QStringLiteral("probe");
    ASSERT_TRUE(viewer.showTopic(file, 0, &error));
    child<QLineEdit>("HelpFindText")->setText(word);
    ASSERT_TRUE(viewer.window()->findNext());
    const int first = browser()->textCursor().selectionStart();

    // After the calibration's topic: its first mention of the word, not the page's first.
    ASSERT_TRUE(viewer.showTopic(file, 98496, &error));
    int topic = -1;
    for (QTextBlock block = browser()->document()->begin(); topic < 0 && block.isValid();
         block = block.next()) {
        topic = block.text() == kCalibration ? block.position() : -1;
    }
    const QTextCursor expected = browser()->document()->find(word, topic);
    ASSERT_GT(expected.selectionStart(), first);
    EXPECT_EQ(topLine(), kCalibration);  // showing the topic did not scroll it away
    ASSERT_TRUE(viewer.window()->findNext());
    EXPECT_EQ(browser()->textCursor().selectionStart(), expected.selectionStart());

    // The contents again: from the top; Back to the topic: from the topic.
    press("HelpContents");
    ASSERT_TRUE(viewer.window()->findNext());
    EXPECT_EQ(browser()->textCursor().selectionStart(), first);
    press("HelpBack");
    ASSERT_TRUE(viewer.window()->findNext());
    EXPECT_EQ(browser()->textCursor().selectionStart(), expected.selectionStart());
}

TEST_F(HelpWindowTest, CloseHidesItAndAnUnreadableFileIsDescribed) {
    const QString missing = QStringLiteral("/nonexistent/zelapp.html");
    EXPECT_FALSE(viewer.showTopic(missing, 0, &error));
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();
    EXPECT_EQ(viewer.window(), nullptr);
    EXPECT_TRUE(viewer.close(missing, &error));  // nothing open: nothing to do

    ASSERT_TRUE(viewer.showTopic(file, 0, &error));
    EXPECT_TRUE(viewer.close(file, &error));
    EXPECT_FALSE(viewer.window()->isVisible());
    // Opened again, it shows what it is asked for.
    ASSERT_TRUE(viewer.showTopic(file, 98496, &error));
    EXPECT_TRUE(viewer.window()->isVisible());
    EXPECT_EQ(topLine(), kCalibration);
}

TEST_F(HelpWindowTest, AskedForFromAModalDialogItTakesTheKeys) {
    // A modal dialog blocks every other window: the help must not be one of them.
    QDialog dialog;
    QString typed;
    QTimer::singleShot(0, &dialog, [&] {
        if (viewer.showTopic(file, 98496, &error)) {
            auto *box = child<QLineEdit>("HelpFindText");
            box->setFocus();
            QTest::keyClick(viewer.window()->windowHandle(), 'z');
            typed = box->text();
        }
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(typed, QStringLiteral("z"));
}

}  // namespace
