// The library's messages on screen: warning boxes, and no second copy of a box that is still
// open when the next scan tick fails the same way.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <thread>

#include "scripted_prompter.h"
#include "unit/library_messages.h"

namespace {

// A screen whose box runs `whileOpen` before it is answered, as a modal box's event loop
// runs the scan timer.
class ReentrantScreen : public zeltest::ScriptedPrompter {
  public:
    std::function<void()> whileOpen;
    zelapp::PromptAnswer ask(const QString &text, const QString &title, zelapp::PromptIcon icon,
                             zelapp::PromptButtons buttons) override {
        auto answer = ScriptedPrompter::ask(text, title, icon, buttons);
        if (whileOpen) {
            auto run = std::move(whileOpen);
            whileOpen = nullptr;
            run();
        }
        return answer;
    }
};

TEST(LibraryMessages, AreWarningBoxesWithTheLibrarysCaption) {
    zeltest::ScriptedPrompter screen;
    zelapp::LibraryMessagePrompter messages(screen);
    messages.ask(QStringLiteral("Unit not responding"), QStringLiteral("ZEL Diagnostic"),
                 zelapp::PromptIcon::None, zelapp::PromptButtons::Ok);
    messages.ask(QStringLiteral("Timeout"), QString(), zelapp::PromptIcon::Critical,
                 zelapp::PromptButtons::Ok);
    ASSERT_EQ(screen.shown.size(), 2u);
    EXPECT_EQ(screen.shown[0].title, QStringLiteral("ZEL Diagnostic"));
    EXPECT_EQ(screen.shown[0].icon, zelapp::PromptIcon::Warning);
    EXPECT_EQ(screen.shown[1].title, QStringLiteral("Error"));
    EXPECT_EQ(screen.shown[1].icon, zelapp::PromptIcon::Warning);
}

TEST(LibraryMessages, TheSameMessageWhileItsBoxIsOpenIsNotStacked) {
    ReentrantScreen screen;
    zelapp::LibraryMessagePrompter messages(screen);
    zelapp::PromptAnswer inner = zelapp::PromptAnswer::Cancel;
    int openDuringTick = 0;
    screen.whileOpen = [&] {
        openDuringTick = messages.openMessages();
        inner = messages.ask(QStringLiteral("Timeout"), QString(), zelapp::PromptIcon::None,
                             zelapp::PromptButtons::Ok);
        // A different message is a box of its own.
        messages.ask(QStringLiteral("Checksum"), QString(), zelapp::PromptIcon::None,
                     zelapp::PromptButtons::Ok);
    };
    messages.ask(QStringLiteral("Timeout"), QString(), zelapp::PromptIcon::None,
                 zelapp::PromptButtons::Ok);
    EXPECT_EQ(openDuringTick, 1);
    EXPECT_EQ(inner, zelapp::PromptAnswer::Ok);
    EXPECT_EQ(screen.texts(),
              (std::vector<QString>{QStringLiteral("Timeout"), QStringLiteral("Checksum")}));
    EXPECT_EQ(messages.openMessages(), 0);
    // Once closed, the message may be shown again.
    messages.ask(QStringLiteral("Timeout"), QString(), zelapp::PromptIcon::None,
                 zelapp::PromptButtons::Ok);
    EXPECT_EQ(screen.shown.size(), 3u);
}

TEST(LibraryMessages, ASuppressedQuestionGetsTheCautiousAnswer) {
    ReentrantScreen screen;
    zelapp::LibraryMessagePrompter messages(screen);
    zelapp::PromptAnswer inner = zelapp::PromptAnswer::Ok;
    screen.whileOpen = [&] {
        inner = messages.ask(QStringLiteral("Retry?"), QString(), zelapp::PromptIcon::None,
                             zelapp::PromptButtons::YesNo);
    };
    messages.ask(QStringLiteral("Retry?"), QString(), zelapp::PromptIcon::None,
                 zelapp::PromptButtons::YesNo);
    EXPECT_EQ(inner, zelapp::PromptAnswer::No);
}

TEST(LibraryMessages, TheDemoMessageIsNoBoxAndOtherThreadsHandTheirsToTheOwner) {
    zeltest::ScriptedPrompter screen;
    zelapp::LibraryMessagePrompter messages(screen);
    const QString demo = zelapp::LibraryMessagePrompter::demoModeText();
    messages.ask(demo, QString(), zelapp::PromptIcon::None, zelapp::PromptButtons::Ok);
    zelapp::PromptAnswer answer = zelapp::PromptAnswer::Cancel;
    std::thread attempt([&] {
        messages.ask(demo, QString(), zelapp::PromptIcon::None, zelapp::PromptButtons::Ok);
        answer = messages.ask(QStringLiteral("Zel driver NOT found Port:1"), QString(),
                              zelapp::PromptIcon::None, zelapp::PromptButtons::YesNo);
    });
    attempt.join();
    EXPECT_EQ(answer, zelapp::PromptAnswer::No);
    EXPECT_TRUE(screen.shown.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(screen.texts(), std::vector<QString>{QStringLiteral("Zel driver NOT found Port:1")});
}

}  // namespace

// While the program has the boxes off, a message the library still raises (a diagnostic) never
// waits: each text is one notice.
TEST(LibraryMessages, WhileTheBoxesAreOffAMessageIsANoticeOnce) {
    zeltest::ScriptedPrompter screen;
    zelapp::LibraryMessagePrompter messages(screen);
    bool quiet = true;
    messages.setQuiet([&quiet] { return quiet; });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(messages.ask(QStringLiteral("Port 1 timeout"), QStringLiteral("Diag"),
                               zelapp::PromptIcon::None, zelapp::PromptButtons::YesNo),
                  zelapp::PromptAnswer::No);
    }
    EXPECT_TRUE(screen.shown.empty());
    ASSERT_EQ(screen.notices.size(), 1u);
    EXPECT_EQ(screen.notices[0].title, QStringLiteral("Diag"));
    quiet = false;
    messages.ask(QStringLiteral("Port 1 timeout"), QStringLiteral("Diag"), zelapp::PromptIcon::None,
                 zelapp::PromptButtons::Ok);
    EXPECT_EQ(screen.shown.size(), 1u);
}
