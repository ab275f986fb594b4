// The live-value service over its real socket: conversations and their count, requests, hot
// links, and what malformed, flooding, slow, idle or greedy clients get. The service's clock is
// the test's: idle time passes when a test says so.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <vector>

#include "exchange/link_server.h"
#include "link_line_client.h"
#include "setup/channel_labels.h"
#include "temp_folder.h"

namespace zelapp {
namespace {

constexpr int kDeadlineMs = 10000;  // only ever reached when a test fails

using Client = zeltest::LinkLineClient;

class LinkServerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(start()); }

    bool start(LinkLimits limits = {}) {
        server_ = std::make_unique<LinkServer>(labels_, limits, [this] { return nowMs_; });
        QObject::connect(server_.get(), &LinkServer::conversationOpened, [this] { ++opened_; });
        QObject::connect(server_.get(), &LinkServer::conversationClosed, [this] { ++closed_; });
        QString error;
        const bool ok = server_->listen(QStringLiteral("ZelApp"), folder(), &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }

    QString folder() const { return QString::fromStdString(temp_.path()) + QStringLiteral("/dde"); }

    std::unique_ptr<Client> client() {
        auto c = std::make_unique<Client>(server_->socketPath());
        EXPECT_TRUE(c->waitConnected());
        return c;
    }
    std::unique_ptr<Client> conversation() {
        auto c = client();
        EXPECT_EQ(c->ask("INITIATE\tDisplay"), "ACK\tINITIATE");
        return c;
    }
    void makeChannels(int n) {
        while (labels_.count() <= n) {
            labels_.addLabel();
        }
    }
    bool waitOpened(int n) {
        return QTest::qWaitFor([&] { return opened_ == n; }, kDeadlineMs);
    }
    bool waitClosedCount(int n) {
        return QTest::qWaitFor([&] { return closed_ == n; }, kDeadlineMs);
    }
    // Until the service has taken (or let go of) the connections.
    bool waitConnections(int n) {
        return QTest::qWaitFor([&] { return server_->connectionCount() == n; }, kDeadlineMs);
    }

    zeltest::TempFolder temp_;
    ChannelLabels labels_;
    std::unique_ptr<LinkServer> server_;
    int opened_ = 0;
    int closed_ = 0;
    qint64 nowMs_ = 0;
};

TEST_F(LinkServerTest, ListensOnTheLowerCaseServiceInAPrivateFolder) {
    EXPECT_TRUE(server_->isListening());
    EXPECT_EQ(server_->socketPath(), folder() + QStringLiteral("/zelapp"));
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(folder()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(QFile::encodeName(server_->socketPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
}

TEST_F(LinkServerTest, AStaleSocketIsReplacedAndALiveOneIsNot) {
    const QString path = server_->socketPath();
    server_.reset();

    // What a crashed program leaves: a bound socket file nobody listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::strncpy(address.sun_path, encoded.constData(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));

    ASSERT_TRUE(start());
    auto c = conversation();

    LinkServer second(labels_);
    QString error;
    EXPECT_FALSE(second.listen(QStringLiteral("zelapp"), folder(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("already serves"))) << error.toStdString();
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(0)"), "NACK\tREQUEST\tlabelChan(0)");
}

TEST_F(LinkServerTest, ConversationsCountFromTheAckUntilTerminateOrClose) {
    auto first = client();
    auto second = client();
    EXPECT_EQ(opened_, 0);  // connected, no conversation yet
    EXPECT_EQ(first->ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    EXPECT_EQ(second->ask("INITIATE\tDISPLAY"), "ACK\tINITIATE");
    EXPECT_EQ(opened_, 2);
    EXPECT_EQ(server_->conversationCount(), 2);

    EXPECT_EQ(first->ask("TERMINATE"), "ACK\tTERMINATE");
    EXPECT_TRUE(first->waitClosed());
    EXPECT_EQ(closed_, 1);
    EXPECT_EQ(server_->conversationCount(), 1);

    second->socket().abort();
    EXPECT_TRUE(waitClosedCount(2));
    EXPECT_EQ(server_->conversationCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server_->connectionCount() == 0; }, kDeadlineMs));
}

TEST_F(LinkServerTest, AnUnknownTopicIsRefusedWithAReasonAndClosed) {
    auto c = client();
    EXPECT_EQ(c->ask("INITIATE\tSystem"), "NACK\tINITIATE\tunknown topic");
    EXPECT_TRUE(c->waitClosed());
    auto bare = client();
    EXPECT_EQ(bare->ask("INITIATE"), "NACK\tINITIATE\tunknown topic");
    EXPECT_TRUE(bare->waitClosed());
    EXPECT_EQ(opened_, 0);
    EXPECT_EQ(closed_, 0);
}

TEST_F(LinkServerTest, VerbsOutsideAConversationAndUnknownVerbsGetNacks) {
    auto c = client();
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(1)"), "NACK\tREQUEST");
    EXPECT_EQ(c->ask("TERMINATE"), "NACK\tTERMINATE");
    EXPECT_EQ(c->ask("ACK\tINITIATE"), "NACK\tACK");
    EXPECT_EQ(c->ask("INITIATE\tdisplay"), "ACK\tINITIATE");
    EXPECT_EQ(c->ask("POKE\tlabelChan(1)\t5"), "NACK\tPOKE");
    EXPECT_EQ(c->ask("EXECUTE\t[Reset]"), "NACK\tEXECUTE");
    EXPECT_EQ(c->ask("request\tlabelChan(1)"), "NACK\trequest");
    EXPECT_EQ(c->ask(""), "NACK\t");
    EXPECT_EQ(c->ask("INITIATE\tDisplay"), "NACK\tINITIATE\tconversation already open");
    EXPECT_EQ(server_->conversationCount(), 1);
    EXPECT_FALSE(c->closed());
}

TEST_F(LinkServerTest, BinaryGarbageGetsNacksAndTheConversationGoesOn) {
    auto c = conversation();
    makeChannels(1);
    const QByteArray garbage("\x00\x01\xff\xfe\x7f", 5);
    EXPECT_EQ(c->ask(garbage), QByteArray("NACK\t") + garbage);
    EXPECT_EQ(c->ask(QByteArray("REQUEST\t\x00\xff", 10)),
              QByteArray("NACK\tREQUEST\t\x00\xff", 15));
    EXPECT_EQ(c->ask("\t\t\t"), "NACK\t");
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(1)\r"), "DATA\tlabelChan(1)\tDDE");
}

TEST_F(LinkServerTest, ALineLongerThan4KiBEndsThatConnectionOnly) {
    auto other = conversation();
    auto c = conversation();
    // 4096 bytes with its LF is the longest line taken.
    const QByteArray longest = "REQUEST\t" + QByteArray(4096 - 9, 'x');
    EXPECT_EQ(c->ask(longest), "NACK\tREQUEST\t" + QByteArray(4096 - 9, 'x'));
    c->sendLine(longest + 'x');
    EXPECT_TRUE(c->waitClosed());
    EXPECT_TRUE(waitClosedCount(1));

    // Without any LF at all.
    auto endless = conversation();
    endless->send(QByteArray(64 * 1024, 'y'));
    EXPECT_TRUE(endless->waitClosed());
    EXPECT_TRUE(waitClosedCount(2));

    EXPECT_EQ(other->ask("REQUEST\tlabelChan(0)"), "NACK\tREQUEST\tlabelChan(0)");
}

TEST_F(LinkServerTest, LinesSplitAcrossWritesAndSeveralInOneWriteAreAllAnswered) {
    makeChannels(2);
    auto c = conversation();
    c->send("REQU");
    QCoreApplication::processEvents();
    c->send("EST\tlabelChan(1)\nREQUEST\tlabelChan(2)\r\nREQUEST\tlabelChan(3)\n");
    EXPECT_EQ(c->next(), "DATA\tlabelChan(1)\tDDE");
    EXPECT_EQ(c->next(), "DATA\tlabelChan(2)\tDDE");
    EXPECT_EQ(c->next(), "NACK\tREQUEST\tlabelChan(3)");
}

TEST_F(LinkServerTest, RequestsAnswerTheValueTextAsSpelledAndRefuseMissingItems) {
    makeChannels(3);
    auto c = conversation();
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(2)"), "DATA\tlabelChan(2)\tDDE");  // no reading yet
    labels_.setText(2, QStringLiteral(" 0.01250"));
    labels_.setText(3, QStringLiteral("-1.5"));
    EXPECT_EQ(c->ask("REQUEST\tLABELCHAN(2)"), "DATA\tLABELCHAN(2)\t 0.01250");
    EXPECT_EQ(c->ask("REQUEST\tlabelchan(3)"), "DATA\tlabelchan(3)\t-1.5");
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(0)"), "NACK\tREQUEST\tlabelChan(0)");
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(4)"), "NACK\tREQUEST\tlabelChan(4)");
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(02)"), "NACK\tREQUEST\tlabelChan(02)");
    EXPECT_EQ(c->ask("REQUEST"), "NACK\tREQUEST\t");
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(1)\tx"), "NACK\tREQUEST\tlabelChan(1)\tx");

    // A smaller channel count removes the item.
    labels_.removeLabel(3);
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(3)"), "NACK\tREQUEST\tlabelChan(3)");
    EXPECT_EQ(c->ask("ADVISE\tlabelChan(3)"), "NACK\tADVISE\tlabelChan(3)");
    EXPECT_EQ(c->ask("UNADVISE\tlabelChan(3)"), "NACK\tUNADVISE\tlabelChan(3)");
}

TEST_F(LinkServerTest, HotLinksPushEveryChangeAndNothingWhileTheTextStays) {
    makeChannels(3);
    auto c = conversation();
    EXPECT_EQ(c->ask("ADVISE\tLabelChan(3)"), "ACK\tADVISE\tLabelChan(3)");

    labels_.setText(3, QStringLiteral(" 1.000"));
    EXPECT_EQ(c->next(), "DATA\tLabelChan(3)\t 1.000");
    labels_.setText(3, QStringLiteral(" 1.000"));  // the same text: nothing to push
    labels_.setText(2, QStringLiteral(" 7.000"));  // not linked
    // A reply queued after those would come behind any push they caused.
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(1)"), "DATA\tlabelChan(1)\tDDE");
    labels_.setText(3, QStringLiteral("-1.000"));
    labels_.setText(3, QStringLiteral(" 2.000"));
    EXPECT_EQ(c->next(), "DATA\tLabelChan(3)\t-1.000");
    EXPECT_EQ(c->next(), "DATA\tLabelChan(3)\t 2.000");

    EXPECT_EQ(c->ask("UNADVISE\tlabelchan(3)"), "ACK\tUNADVISE\tlabelchan(3)");
    labels_.setText(3, QStringLiteral(" 3.000"));
    EXPECT_EQ(c->ask("REQUEST\tlabelChan(3)"), "DATA\tlabelChan(3)\t 3.000");
    EXPECT_EQ(c->ask("UNADVISE\tlabelChan(3)"), "ACK\tUNADVISE\tlabelChan(3)");  // no link: fine
    EXPECT_EQ(c->ask("ADVISE\tlabelChan(9)"), "NACK\tADVISE\tlabelChan(9)");
    EXPECT_EQ(c->ask("UNADVISE\tlabelChan(9)"), "NACK\tUNADVISE\tlabelChan(9)");
}

TEST_F(LinkServerTest, EachClientGetsItsOwnSpellingAndOneLinkPerItem) {
    makeChannels(2);
    auto a = conversation();
    auto b = conversation();
    EXPECT_EQ(a->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    EXPECT_EQ(a->ask("ADVISE\tLABELCHAN(1)"), "ACK\tADVISE\tLABELCHAN(1)");
    EXPECT_EQ(b->ask("ADVISE\tlabelchan(1)"), "ACK\tADVISE\tlabelchan(1)");
    labels_.setText(1, QStringLiteral(" 5"));
    EXPECT_EQ(a->next(), "DATA\tLABELCHAN(1)\t 5");
    EXPECT_EQ(b->next(), "DATA\tlabelchan(1)\t 5");
    EXPECT_EQ(a->ask("REQUEST\tlabelChan(2)"), "DATA\tlabelChan(2)\tDDE");  // no second push
}

TEST_F(LinkServerTest, LinksSurviveASetupReloadAndResumeWithTheItem) {
    makeChannels(2);
    auto c = conversation();
    EXPECT_EQ(c->ask("ADVISE\tlabelChan(2)"), "ACK\tADVISE\tlabelChan(2)");
    labels_.setText(2, QStringLiteral(" 1"));
    EXPECT_EQ(c->next(), "DATA\tlabelChan(2)\t 1");
    // Clearing the setup takes the holders away and makes them anew.
    labels_.removeLabel(2);
    labels_.removeLabel(1);
    labels_.setText(2, QStringLiteral(" 9"));  // no such holder: nothing happens
    makeChannels(2);
    labels_.setText(2, QStringLiteral(" 2"));
    EXPECT_EQ(c->next(), "DATA\tlabelChan(2)\t 2");
}

TEST_F(LinkServerTest, AClientThatLeavesTakesItsLinksAlong) {
    makeChannels(1);
    auto a = conversation();
    auto b = conversation();
    EXPECT_EQ(a->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    EXPECT_EQ(b->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    a->socket().abort();
    EXPECT_TRUE(waitClosedCount(1));
    labels_.setText(1, QStringLiteral(" 4"));
    EXPECT_EQ(b->next(), "DATA\tlabelChan(1)\t 4");
    a.reset();
    QCoreApplication::processEvents();
    labels_.setText(1, QStringLiteral(" 5"));
    EXPECT_EQ(b->next(), "DATA\tlabelChan(1)\t 5");
}

TEST_F(LinkServerTest, ConversationsAndConnectionsAreBounded) {
    server_.reset();
    ASSERT_TRUE(start(LinkLimits{.conversations = 2, .connections = 3}));
    auto a = conversation();
    auto b = conversation();
    auto c = client();
    EXPECT_EQ(c->ask("INITIATE\tDisplay"), "NACK\tINITIATE\ttoo many conversations");
    EXPECT_TRUE(c->waitClosed());
    EXPECT_EQ(opened_, 2);

    auto idle = client();  // third connection, no conversation
    auto refused = std::make_unique<Client>(server_->socketPath());
    EXPECT_EQ(refused->next(), "NACK\tINITIATE\ttoo many connections");
    EXPECT_TRUE(refused->waitClosed());

    // A place freed is a place taken.
    EXPECT_EQ(a->ask("TERMINATE"), "ACK\tTERMINATE");
    EXPECT_TRUE(a->waitClosed());
    EXPECT_EQ(idle->ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    EXPECT_EQ(server_->conversationCount(), 2);
}

TEST_F(LinkServerTest, AClientThatStopsReadingIsDroppedAndOthersKeepTheirUpdates) {
    server_.reset();
    ASSERT_TRUE(start(LinkLimits{.unreadBytes = 16 * 1024}));
    makeChannels(1);
    auto reader = conversation();
    auto sleeper = conversation();
    EXPECT_EQ(reader->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    EXPECT_EQ(sleeper->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    sleeper->socket().setReadBufferSize(1);  // takes one byte at a time, never reads it

    // Long texts fill the socket's own buffer first, then our queue passes the bound.
    const QString filler(2000, QLatin1Char('9'));
    int changes = 0;
    for (; changes < 100000 && closed_ == 0; ++changes) {
        labels_.setText(1, filler + QString::number(changes));
        server_->flushPending();
        reader->socket().waitForReadyRead(0);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(closed_, 1);
    EXPECT_EQ(server_->conversationCount(), 1);
    // The sleeper cannot notice: it reads nothing, not even the end.
    EXPECT_TRUE(QTest::qWaitFor([&] { return server_->connectionCount() == 1; }, kDeadlineMs));

    // The reader saw every change, in order.
    for (int i = 0; i < changes; ++i) {
        ASSERT_EQ(reader->next(),
                  "DATA\tlabelChan(1)\t" + filler.toLatin1() + QByteArray::number(i));
    }
}

// Every client here is this test's own process.
TEST_F(LinkServerTest, OneProgramHoldsSixteenConnectionsAndTheNextIsRefusedAtOnce) {
    std::vector<std::unique_ptr<Client>> held;
    for (int i = 0; i < 16; ++i) {
        held.push_back(client());
    }
    ASSERT_TRUE(waitConnections(16));
    auto seventeenth = std::make_unique<Client>(server_->socketPath());
    EXPECT_EQ(seventeenth->next(), "NACK\tINITIATE\ttoo many connections");
    EXPECT_TRUE(seventeenth->waitClosed());

    // The sixteen stay, and each can still open its conversation.
    EXPECT_EQ(server_->connectionCount(), 16);
    for (auto &c : held) {
        EXPECT_EQ(c->ask("INITIATE\tDisplay"), "ACK\tINITIATE");
    }
    EXPECT_EQ(server_->conversationCount(), 16);

    // Only connections held count: one let go makes room for one more.
    held.front()->socket().abort();
    ASSERT_TRUE(waitConnections(15));
    held.front() = conversation();
    EXPECT_EQ(server_->connectionCount(), 16);
    auto another = std::make_unique<Client>(server_->socketPath());
    EXPECT_EQ(another->next(), "NACK\tINITIATE\ttoo many connections");
}

TEST_F(LinkServerTest, AConnectionWithoutAConversationIsClosedTenSecondsAfterConnecting) {
    makeChannels(1);
    auto talker = conversation();
    EXPECT_EQ(talker->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    auto silent = client();
    auto refusedVerb = client();  // talks, but opens no conversation
    EXPECT_EQ(refusedVerb->ask("REQUEST\tlabelChan(1)"), "NACK\tREQUEST");
    ASSERT_TRUE(waitConnections(3));
    nowMs_ = 5000;
    auto late = client();
    ASSERT_TRUE(waitConnections(4));

    nowMs_ = 9999;
    server_->closeIdleConnections();
    EXPECT_EQ(server_->connectionCount(), 4);
    nowMs_ = 10000;
    server_->closeIdleConnections();
    EXPECT_TRUE(silent->waitClosed());
    EXPECT_TRUE(refusedVerb->waitClosed());
    EXPECT_TRUE(waitConnections(2));
    EXPECT_EQ(closed_, 0);  // no conversation was among them

    // Counted from its own connecting: still in time at 14.999 s.
    nowMs_ = 14999;
    server_->closeIdleConnections();
    EXPECT_EQ(late->ask("INITIATE\tDisplay"), "ACK\tINITIATE");

    // Conversations and their links stay as long as they like.
    nowMs_ = 24LL * 3600 * 1000;
    server_->closeIdleConnections();
    EXPECT_EQ(server_->connectionCount(), 2);
    labels_.setText(1, QStringLiteral(" 3.5"));
    EXPECT_EQ(talker->next(), "DATA\tlabelChan(1)\t 3.5");
    EXPECT_EQ(late->ask("REQUEST\tlabelChan(1)"), "DATA\tlabelChan(1)\t 3.5");

    // The service looks by itself too.
    auto idle = client();
    ASSERT_TRUE(waitConnections(3));
    nowMs_ += 10000;
    EXPECT_TRUE(idle->waitClosed());
    EXPECT_EQ(server_->connectionCount(), 2);
}

TEST_F(LinkServerTest, IdleConnectionsHoardedByOneProgramGoAndConversationsCarryOn) {
    makeChannels(1);
    auto talker = conversation();
    EXPECT_EQ(talker->ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
    std::vector<std::unique_ptr<Client>> hoard;
    for (int i = 0; i < 20; ++i) {
        hoard.push_back(std::make_unique<Client>(server_->socketPath()));
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::count_if(hoard.begin(), hoard.end(), [](auto &c) { return c->closed(); }) ==
                   5;
        },
        kDeadlineMs));
    EXPECT_EQ(server_->connectionCount(), 16);  // the talker and 15 of the hoard

    // The conversation carries on meanwhile.
    labels_.setText(1, QStringLiteral(" 1"));
    EXPECT_EQ(talker->next(), "DATA\tlabelChan(1)\t 1");

    nowMs_ = 10000;
    server_->closeIdleConnections();
    for (auto &c : hoard) {
        EXPECT_TRUE(c->waitClosed());
    }
    EXPECT_TRUE(waitConnections(1));
    auto newcomer = conversation();
    EXPECT_EQ(newcomer->ask("REQUEST\tlabelChan(1)"), "DATA\tlabelChan(1)\t 1");
    labels_.setText(1, QStringLiteral(" 2"));
    EXPECT_EQ(talker->next(), "DATA\tlabelChan(1)\t 2");
}

TEST_F(LinkServerTest, ClosingTheServiceEndsEveryConversationAndRemovesTheSocket) {
    auto a = conversation();
    auto b = conversation();
    const QString path = server_->socketPath();
    server_->close();
    EXPECT_EQ(closed_, 2);
    EXPECT_EQ(server_->conversationCount(), 0);
    EXPECT_FALSE(server_->isListening());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(a->waitClosed());
    EXPECT_TRUE(b->waitClosed());
}

}  // namespace
}  // namespace zelapp
