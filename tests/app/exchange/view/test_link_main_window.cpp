// The main window as the live-value service: it serves from the moment it loads, values reach
// linked clients with the scan, open conversations make the exit ask, and closing the window
// ends them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include "app_fixture.h"
#include "exchange/link_address.h"
#include "link_line_client.h"
#include "setup/channel_labels.h"
#include "setup/setup.h"

using zelapp::PromptAnswer;

namespace {

using LineClient = zeltest::LinkLineClient;

class LinkMainWindowTest : public ::testing::Test {
  protected:
    zelapp::FormMain *start() {
        EXPECT_EQ(f.start(), zelapp::StartupResult::Running);
        // Start-up's own messages (zelapp.ini not found) are not what these tests look at.
        f.prompter.shown.clear();
        return f.window();
    }
    QString socketPath() const {
        return zelapp::linkSocketPath(
            QString::fromStdString(f.linkFolder.path()),
            zelapp::serviceNameOf(QCoreApplication::applicationFilePath()));
    }
    zeltest::AppFixture f;
};

TEST_F(LinkMainWindowTest, ServesTheChannelsUnderTheProgramsName) {
    auto *w = start();
    EXPECT_EQ(w->linkServer().socketPath(), socketPath());
    LineClient c(socketPath());
    EXPECT_EQ(c.ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    EXPECT_EQ(c.ask("REQUEST\tlabelChan(1)"), "DATA\tlabelChan(1)\tDDE");
    EXPECT_EQ(c.ask("ADVISE\tlabelChan(2)"), "ACK\tADVISE\tlabelChan(2)");

    f.fakeUnit.channelValue[2] = 1.25f;
    w->Timer1_Timer();
    const QString shown = f.app->labels().text(2);
    ASSERT_NE(shown, QStringLiteral("DDE"));
    EXPECT_EQ(c.next(), "DATA\tlabelChan(2)\t" + shown.toLatin1());
    EXPECT_EQ(c.ask("REQUEST\tlabelChan(8)"),
              "DATA\tlabelChan(8)\t" + f.app->labels().text(8).toLatin1());
    const int channels = f.app->setup().channelCount();
    EXPECT_EQ(c.ask("REQUEST\tlabelChan(" + QByteArray::number(channels + 1) + ")"),
              "NACK\tREQUEST\tlabelChan(" + QByteArray::number(channels + 1) + ")");
}

TEST_F(LinkMainWindowTest, TwoConversationsOneClosedCountOneAndTheExitAsks) {
    auto *w = start();
    LineClient first(socketPath());
    LineClient second(socketPath());
    EXPECT_EQ(first.ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    EXPECT_EQ(second.ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    EXPECT_EQ(w->linkServer().conversationCount(), 2);
    EXPECT_EQ(first.ask("TERMINATE"), "ACK\tTERMINATE");
    EXPECT_TRUE(first.waitClosed());
    EXPECT_EQ(w->linkServer().conversationCount(), 1);

    f.prompter.answers = {PromptAnswer::No};
    EXPECT_FALSE(w->close());
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text,
              QStringLiteral("Other applications are using this application\r"
                             "Do you really want to exit the application?"));
    EXPECT_EQ(second.ask("REQUEST\tlabelChan(1)"), "DATA\tlabelChan(1)\tDDE");

    // Going on ends the remaining conversation and takes the socket away.
    f.prompter.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(second.waitClosed());
    EXPECT_EQ(w->linkServer().conversationCount(), 0);
    EXPECT_FALSE(QFile::exists(socketPath()));
}

TEST_F(LinkMainWindowTest, ExitWithoutConversationsDoesNotAsk) {
    auto *w = start();
    LineClient c(socketPath());
    EXPECT_EQ(c.ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    EXPECT_EQ(c.ask("TERMINATE"), "ACK\tTERMINATE");
    EXPECT_TRUE(c.waitClosed());
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST_F(LinkMainWindowTest, AFolderThatCannotBeUsedIsReportedAndTheProgramRuns) {
    QFile blocker(QString::fromStdString(f.linkFolder.path()) + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    zeltest::ScopedEnv env("ZEL_DDE_DIR", QFile::encodeName(blocker.fileName()).constData());
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    EXPECT_FALSE(f.window()->linkServer().isListening());
    ASSERT_FALSE(f.prompter.shown.empty());
    EXPECT_TRUE(f.prompter.shown.back().text.startsWith(
        QStringLiteral("Live values cannot be offered to other programs: ")));
    EXPECT_EQ(f.prompter.shown.back().icon, zelapp::PromptIcon::Warning);
}

}  // namespace
