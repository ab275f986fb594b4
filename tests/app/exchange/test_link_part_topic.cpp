// The live-value service's topic "Part" over its real socket, with a topic of the test's own
// behind it: items in any case, results of channels the setup lacks, pushes in the order the
// program gives, EXECUTE and its answers, and the service's limits on the new topic.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "exchange/link_server.h"
#include "exchange/part_topic.h"
#include "link_line_client.h"
#include "setup/channel_labels.h"
#include "temp_folder.h"

namespace zelapp {
namespace {

using Client = zeltest::LinkLineClient;

// Items by the program's names; a command answers `refusal` after running `onExecute`.
class FakePartTopic : public PartTopic {
  public:
    std::map<QString, QString> items{{QStringLiteral("state"), QStringLiteral("READY")},
                                     {QStringLiteral("verdict"), QString()},
                                     {QStringLiteral("count"), QStringLiteral("0")},
                                     {QStringLiteral("reason"), QString()},
                                     {QStringLiteral("id"), QString()},
                                     {QStringLiteral("result(1)"), QString()},
                                     {QStringLiteral("result(2)"), QString()}};
    std::vector<QString> executed;
    QString refusal;
    std::function<void()> onExecute;

    std::optional<QString> item(const QString &name) const override {
        const auto found = items.find(name);
        return found != items.end() ? std::optional(found->second) : std::nullopt;
    }
    QString execute(const QString &command) override {
        executed.push_back(command);
        if (onExecute) {
            onExecute();
        }
        return refusal;
    }
};

class LinkPartTopicTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(start()); }

    bool start(LinkLimits limits = {}, bool withTopic = true) {
        server_ = std::make_unique<LinkServer>(labels_, limits, [] { return qint64(0); });
        if (withTopic) {
            server_->setPartTopic(&topic_);
        }
        QObject::connect(server_.get(), &LinkServer::conversationClosed, [this] { ++closed_; });
        QString error;
        const bool ok =
            server_->listen(QStringLiteral("zelapp"),
                            QString::fromStdString(temp_.path()) + QStringLiteral("/dde"), &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }
    std::unique_ptr<Client> conversation(const QByteArray &topic = "Part") {
        auto c = std::make_unique<Client>(server_->socketPath());
        EXPECT_TRUE(c->waitConnected());
        EXPECT_EQ(c->ask("INITIATE\t" + topic), "ACK\tINITIATE");
        return c;
    }
    // A part ended as the program tells it: every item in its one pass.
    void partEnded(const QString &result1, const QString &reason, const QString &verdict,
                   const QString &count) {
        topic_.items[QStringLiteral("result(1)")] = result1;
        topic_.items[QStringLiteral("reason")] = reason;
        topic_.items[QStringLiteral("verdict")] = verdict;
        topic_.items[QStringLiteral("count")] = count;
        topic_.items[QStringLiteral("state")] = QStringLiteral("RESULT");
        server_->partItemsChanged({QStringLiteral("result(1)"), QStringLiteral("result(2)"),
                                   QStringLiteral("id"), QStringLiteral("reason"),
                                   QStringLiteral("verdict"), QStringLiteral("count"),
                                   QStringLiteral("state")});
    }

    zeltest::TempFolder temp_;
    ChannelLabels labels_;
    FakePartTopic topic_;
    std::unique_ptr<LinkServer> server_;
    int closed_ = 0;
};

TEST_F(LinkPartTopicTest, ThePartTopicIsOfferedInAnyCaseOnlyWithAProgramBehindIt) {
    conversation("PART");
    conversation("part");
    server_.reset();
    ASSERT_TRUE(start({}, false));
    Client c(server_->socketPath());
    EXPECT_EQ(c.ask("INITIATE\tPart"), "NACK\tINITIATE\tunknown topic");
    EXPECT_TRUE(c.waitClosed());
}

TEST_F(LinkPartTopicTest, RequestsAnswerEveryItemAsSpelledAndRefuseWhatTheTopicLacks) {
    auto c = conversation();
    EXPECT_EQ(c->ask("REQUEST\tSTATE"), "DATA\tSTATE\tREADY");
    EXPECT_EQ(c->ask("REQUEST\tVerdict"), "DATA\tVerdict\t");  // before the first part
    EXPECT_EQ(c->ask("REQUEST\tcount"), "DATA\tcount\t0");
    EXPECT_EQ(c->ask("REQUEST\treason"), "DATA\treason\t");
    EXPECT_EQ(c->ask("REQUEST\tId"), "DATA\tId\t");
    topic_.items[QStringLiteral("result(2)")] = QStringLiteral("-0.012");
    EXPECT_EQ(c->ask("REQUEST\tRESULT(2)"), "DATA\tRESULT(2)\t-0.012");
    // Channel 3 is not in the setup: refused like labelChan(3) would be.
    for (const QByteArray item :
         {"result(3)", "result(0)", "result(02)", "labelChan(1)", "", "states", "state\tx"}) {
        EXPECT_EQ(c->ask("REQUEST\t" + item), "NACK\tREQUEST\t" + item);
        EXPECT_EQ(c->ask("ADVISE\t" + item), "NACK\tADVISE\t" + item);
        EXPECT_EQ(c->ask("UNADVISE\t" + item), "NACK\tUNADVISE\t" + item);
    }
    // The topics keep their items apart.
    labels_.addLabel();
    auto display = conversation("Display");
    EXPECT_EQ(display->ask("REQUEST\tlabelChan(1)"), "DATA\tlabelChan(1)\tDDE");
    EXPECT_EQ(display->ask("REQUEST\tstate"), "NACK\tREQUEST\tstate");
    EXPECT_EQ(display->ask("ADVISE\tresult(1)"), "NACK\tADVISE\tresult(1)");
}

TEST_F(LinkPartTopicTest, HotLinksArePushedInTheProgramsOrderAndOnlyWhatChanged) {
    auto c = conversation();
    // Advised in another order than the pushes come.
    for (const QByteArray item : {"State", "COUNT", "verdict", "Reason", "result(1)"}) {
        EXPECT_EQ(c->ask("ADVISE\t" + item), "ACK\tADVISE\t" + item);
    }
    partEnded(QStringLiteral(" 0.0083"), QString(), QStringLiteral("G"), QStringLiteral("1"));
    EXPECT_EQ(c->next(), "DATA\tresult(1)\t 0.0083");
    EXPECT_EQ(c->next(), "DATA\tverdict\tG");  // reason stays empty: no push
    EXPECT_EQ(c->next(), "DATA\tCOUNT\t1");
    EXPECT_EQ(c->next(), "DATA\tState\tRESULT");

    // A second good part of the same size changes only the count.
    partEnded(QStringLiteral(" 0.0083"), QString(), QStringLiteral("G"), QStringLiteral("2"));
    EXPECT_EQ(c->next(), "DATA\tCOUNT\t2");
    // A cancelled part: no value, its reason, Not valid.
    partEnded(QString(), QStringLiteral("cancelled"), QStringLiteral("NV"), QStringLiteral("3"));
    EXPECT_EQ(c->next(), "DATA\tresult(1)\t");
    EXPECT_EQ(c->next(), "DATA\tReason\tcancelled");
    EXPECT_EQ(c->next(), "DATA\tverdict\tNV");
    EXPECT_EQ(c->next(), "DATA\tCOUNT\t3");

    // Unadvised items are no longer pushed; nothing else came in between.
    EXPECT_EQ(c->ask("UNADVISE\tcount"), "ACK\tUNADVISE\tcount");
    EXPECT_EQ(c->ask("UNADVISE\tid"), "ACK\tUNADVISE\tid");  // no link held: fine
    partEnded(QString(), QStringLiteral("cancelled"), QStringLiteral("NV"), QStringLiteral("4"));
    EXPECT_EQ(c->ask("REQUEST\tcount"), "DATA\tcount\t4");
}

TEST_F(LinkPartTopicTest, AResultOfAChannelGoneWaitsForItsChannelAndAnItemNobodyFollowsIsFresh) {
    auto c = conversation();
    EXPECT_EQ(c->ask("ADVISE\tresult(2)"), "ACK\tADVISE\tresult(2)");
    topic_.items.erase(QStringLiteral("result(2)"));
    server_->partItemsChanged({QStringLiteral("result(2)")});
    EXPECT_EQ(c->ask("REQUEST\tresult(2)"), "NACK\tREQUEST\tresult(2)");
    topic_.items[QStringLiteral("result(2)")] = QStringLiteral(" 1.5");
    server_->partItemsChanged({QStringLiteral("result(2)")});
    EXPECT_EQ(c->next(), "DATA\tresult(2)\t 1.5");

    // Followed again after a change nobody was told of, it is pushed its next change only.
    EXPECT_EQ(c->ask("UNADVISE\tresult(2)"), "ACK\tUNADVISE\tresult(2)");
    topic_.items[QStringLiteral("result(2)")] = QStringLiteral(" 2.5");
    server_->partItemsChanged({QStringLiteral("result(2)")});
    EXPECT_EQ(c->ask("ADVISE\tresult(2)"), "ACK\tADVISE\tresult(2)");
    server_->partItemsChanged({QStringLiteral("result(2)")});
    topic_.items[QStringLiteral("result(2)")] = QStringLiteral(" 1.5");
    server_->partItemsChanged({QStringLiteral("result(2)")});
    EXPECT_EQ(c->next(), "DATA\tresult(2)\t 1.5");
}

TEST_F(LinkPartTopicTest, ExecuteRunsMeasureAndCancelInAnyCaseAndAnswersAckOrNackWithTheReason) {
    auto c = conversation();
    EXPECT_EQ(c->ask("EXECUTE\tmeasure"), "ACK\tEXECUTE\tmeasure");
    EXPECT_EQ(c->ask("EXECUTE\tCANCEL"), "ACK\tEXECUTE\tCANCEL");
    for (const char *reason : {"cycle running", "no cycle", "unit lost", "busy"}) {
        topic_.refusal = QString::fromLatin1(reason);
        EXPECT_EQ(c->ask("EXECUTE\tMeasure"), QByteArray("NACK\tEXECUTE\tMeasure\t") + reason);
    }
    EXPECT_EQ(topic_.executed,
              (std::vector<QString>{QStringLiteral("Measure"), QStringLiteral("Cancel"),
                                    QStringLiteral("Measure"), QStringLiteral("Measure"),
                                    QStringLiteral("Measure"), QStringLiteral("Measure")}));

    // Commands the topic does not have never reach it.
    topic_.executed.clear();
    EXPECT_EQ(c->ask("EXECUTE\tReset"), "NACK\tEXECUTE\tReset\tunknown command");
    EXPECT_EQ(c->ask("EXECUTE\t[Measure]"), "NACK\tEXECUTE\t[Measure]\tunknown command");
    EXPECT_EQ(c->ask("EXECUTE\t"), "NACK\tEXECUTE\t\tunknown command");
    EXPECT_EQ(c->ask("EXECUTE"), "NACK\tEXECUTE");
    EXPECT_EQ(c->ask("execute\tMeasure"), "NACK\texecute");  // verbs are upper case

    // The topic Display runs no command.
    auto display = conversation("Display");
    EXPECT_EQ(display->ask("EXECUTE\tMeasure"), "NACK\tEXECUTE");
    // Nor does a connection without a conversation.
    Client bare(server_->socketPath());
    EXPECT_EQ(bare.ask("EXECUTE\tMeasure"), "NACK\tEXECUTE");
    EXPECT_TRUE(topic_.executed.empty());
}

TEST_F(LinkPartTopicTest, TheAnswerComesBeforeThePushesItsCommandCauses) {
    auto c = conversation();
    EXPECT_EQ(c->ask("ADVISE\tstate"), "ACK\tADVISE\tstate");
    topic_.onExecute = [this] {
        topic_.items[QStringLiteral("state")] = QStringLiteral("MEASURING");
        server_->partItemsChanged({QStringLiteral("state")});
    };
    EXPECT_EQ(c->ask("EXECUTE\tMeasure"), "ACK\tEXECUTE\tMeasure");
    EXPECT_EQ(c->next(), "DATA\tstate\tMEASURING");
}

TEST_F(LinkPartTopicTest, PartConversationsKeepTheServicesLimits) {
    server_.reset();
    ASSERT_TRUE(start(LinkLimits{.conversations = 3, .unreadBytes = 16 * 1024}));
    auto reader = conversation();
    auto sleeper = conversation("pArT");
    auto display = conversation("Display");
    Client fourth(server_->socketPath());
    EXPECT_EQ(fourth.ask("INITIATE\tPart"), "NACK\tINITIATE\ttoo many conversations");
    EXPECT_EQ(reader->ask("ADVISE\tid"), "ACK\tADVISE\tid");
    EXPECT_EQ(sleeper->ask("ADVISE\tid"), "ACK\tADVISE\tid");
    sleeper->socket().setReadBufferSize(1);  // never reads what comes

    // Long identifiers fill the sleeper's socket, then its queue passes the bound.
    const QString filler(2000, QLatin1Char('7'));
    int changes = 0;
    for (; changes < 100000 && closed_ == 0; ++changes) {
        topic_.items[QStringLiteral("id")] = filler + QString::number(changes);
        server_->partItemsChanged({QStringLiteral("id")});
        server_->flushPending();
        reader->socket().waitForReadyRead(0);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(closed_, 1);
    for (int i = 0; i < changes; ++i) {
        ASSERT_EQ(reader->next(), "DATA\tid\t" + filler.toLatin1() + QByteArray::number(i));
    }
    // The dropped client's links went with it; a new conversation has its place.
    topic_.items[QStringLiteral("id")] = QStringLiteral("A-1");
    server_->partItemsChanged({QStringLiteral("id")});
    EXPECT_EQ(reader->next(), "DATA\tid\tA-1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server_->conversationCount() == 2; }, 10000));
    auto newcomer = conversation();
    EXPECT_EQ(newcomer->ask("REQUEST\tid"), "DATA\tid\tA-1");
}

}  // namespace
}  // namespace zelapp
