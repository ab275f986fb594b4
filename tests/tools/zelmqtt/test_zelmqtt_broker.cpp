// The real zelmqtt against a real Mosquitto on a private port: parts in order with their
// payload, the broker away and back, the publisher killed and restarted, the retained status
// and the last will, TLS, and a refused password.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <map>
#include <set>

#include "mosquitto_broker.h"
#include "mqtt_subscriber.h"
#include "part_filler.h"
#include "part_samples.h"
#include "temp_folder.h"
#include "zelmqtt_process.h"

namespace {

using zeltest::MosquittoBroker;
using zeltest::MqttSubscriber;
using zeltest::ZelmqttProcess;

const QString kStation = QStringLiteral("Gauge2");
const QString kPartTopic = QStringLiteral("zel8/Gauge2/part");
const QString kStatusTopic = QStringLiteral("zel8/Gauge2/status");

QJsonObject json(const QByteArray &payload) {
    return QJsonDocument::fromJson(payload).object();
}

qint64 idOf(const MqttSubscriber::Message &message) {
    return qint64(json(message.payload).value(u"id").toDouble());
}

std::vector<qint64> idsOf(const std::vector<MqttSubscriber::Message> &messages) {
    std::vector<qint64> ids;
    for (const auto &message : messages) {
        ids.push_back(idOf(message));
    }
    return ids;
}

// The ids in the order they first came.
std::vector<qint64> firstArrivals(const std::vector<qint64> &ids) {
    std::vector<qint64> firsts;
    std::set<qint64> seen;
    for (const qint64 id : ids) {
        if (seen.insert(id).second) {
            firsts.push_back(id);
        }
    }
    return firsts;
}

std::vector<qint64> range(qint64 from, qint64 to) {
    std::vector<qint64> ids;
    for (qint64 id = from; id <= to; ++id) {
        ids.push_back(id);
    }
    return ids;
}

bool hasIds(const std::vector<MqttSubscriber::Message> &messages, qint64 from, qint64 to) {
    std::set<qint64> seen;
    for (const auto &message : messages) {
        seen.insert(idOf(message));
    }
    for (qint64 id = from; id <= to; ++id) {
        if (!seen.count(id)) {
            return false;
        }
    }
    return true;
}

bool run(const QString &program, const QStringList &args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

class ZelmqttWithBroker : public ::testing::Test {
  protected:
    void SetUp() override {
        if (MosquittoBroker::program().isEmpty()) {
            GTEST_SKIP() << "mosquitto is not installed (make deps installs it): the publisher's "
                            "tests against a broker are skipped";
        }
        root_ = QString::fromStdString(folder_.path());
        db_ = root_ + QStringLiteral("/parts.db");
    }

    QStringList args(const QString &broker, const QString &state = QStringLiteral("state")) const {
        return {QStringLiteral("--broker"),     broker,
                QStringLiteral("--db"),         db_,
                QStringLiteral("--state-file"), root_ + QLatin1Char('/') + state,
                QStringLiteral("--station"),    kStation};
    }

    // Appends parts as zelapp does; the writer stays open, as zelapp's does.
    void addParts(int count, const zelapp::PartResult &part = zeltest::goodPart()) {
        if (!writer_.isOpen()) {
            ASSERT_TRUE(writer_.open(db_).ok());
        }
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(writer_.append(part, zeltest::snapshot()).ok());
        }
    }

    zeltest::TempFolder folder_;
    QString root_;
    QString db_;
    zelapp::PartStore writer_;
};

TEST_F(ZelmqttWithBroker, PublishesEachPartOnceInOrderWithItsPayload) {
    MosquittoBroker broker(root_);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    zelapp::PartResult cancelled = zeltest::goodPart(QStringLiteral("B-7"));
    cancelled.completed = false;
    cancelled.verdict = zelapp::ToleranceVerdict::NotValid;
    cancelled.reason = zelapp::part_reason::cancelled();
    cancelled.id = QStringLiteral("SN-0042");
    cancelled.characteristics[1].value.reset();
    cancelled.characteristics[1].verdict = zelapp::ToleranceVerdict::NotValid;
    addParts(1);
    addParts(1, cancelled);

    MqttSubscriber subscriber(broker.uri(), QStringLiteral("test-sub"));
    ASSERT_TRUE(subscriber.subscribe(kPartTopic));
    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    ASSERT_TRUE(subscriber.waitForCount(2)) << publisher.log().toStdString();
    addParts(3);
    ASSERT_TRUE(subscriber.waitForCount(5)) << publisher.log().toStdString();
    EXPECT_EQ(idsOf(subscriber.messages()), range(1, 5));

    const QJsonObject second = json(subscriber.messages()[1].payload);
    EXPECT_EQ(second.value(u"db").toString(), writer_.uuid());
    EXPECT_EQ(second.value(u"station").toString(), kStation);
    EXPECT_EQ(second.value(u"setup").toString(), QStringLiteral("/setups/shaft.zel"));
    EXPECT_EQ(second.value(u"part_number").toString(), QStringLiteral("B-7"));
    EXPECT_EQ(second.value(u"part_id").toString(), QStringLiteral("SN-0042"));
    EXPECT_EQ(second.value(u"verdict").toString(), QStringLiteral("NV"));
    EXPECT_EQ(second.value(u"reason").toString(), QStringLiteral("cancelled"));
    EXPECT_FALSE(second.value(u"completed").toBool());
    EXPECT_EQ(second.value(u"time").toString(), QStringLiteral("2026-03-04T10:00:01.234+01:00"));
    const QJsonArray values = second.value(u"characteristics").toArray();
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].toObject().value(u"value").toDouble(), 0.0012);
    EXPECT_TRUE(values[1].toObject().value(u"value").isNull());
    EXPECT_TRUE(subscriber.messages()[0].payload.contains("\"hi_appr\":0.01,"));
    EXPECT_TRUE(json(subscriber.messages()[0].payload).value(u"part_id").isNull());

    EXPECT_EQ(publisher.stop(), 0);
}

TEST_F(ZelmqttWithBroker, PartsAddedWhileTheBrokerIsAwayArriveInOrderAfterIt) {
    MosquittoBroker broker(root_);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    addParts(3);
    ZelmqttProcess publisher(root_);
    {
        MqttSubscriber subscriber(broker.uri(), QStringLiteral("test-sub"));
        ASSERT_TRUE(subscriber.subscribe(kPartTopic));
        ASSERT_TRUE(publisher.start(args(broker.uri())));
        ASSERT_TRUE(subscriber.waitForCount(3)) << publisher.log().toStdString();
    }
    broker.stop();
    ASSERT_TRUE(publisher.waitForLog(QStringLiteral("lost the broker")));
    addParts(4);
    // Held still while the subscriber is back first, so that it sees every message.
    publisher.pause();
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    MqttSubscriber subscriber(broker.uri(), QStringLiteral("test-sub"));
    ASSERT_TRUE(subscriber.subscribe(kPartTopic));
    publisher.resume();
    ASSERT_TRUE(subscriber.waitFor([](const auto &m) { return hasIds(m, 4, 7); }))
        << publisher.log().toStdString();
    const std::vector<qint64> firsts = firstArrivals(idsOf(subscriber.messages()));
    // Only a part in flight when the broker went may come again.
    ASSERT_FALSE(firsts.empty());
    EXPECT_EQ(firsts, range(firsts.front(), 7));
    EXPECT_LE(firsts.front(), 4);
    EXPECT_EQ(publisher.stop(), 0);
}

TEST_F(ZelmqttWithBroker, AKilledPublisherRestartedLosesNoPartAndRepeatsOnlyThoseInFlight) {
    constexpr qint64 kParts = 10000;
    ASSERT_TRUE(zeltest::fillParts(db_, zeltest::goodPart(), zeltest::snapshot(), kParts));
    MosquittoBroker broker(root_);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    MqttSubscriber subscriber(broker.uri(), QStringLiteral("test-sub"));
    ASSERT_TRUE(subscriber.subscribe(kPartTopic));
    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    ASSERT_TRUE(subscriber.waitForCount(500)) << publisher.log().toStdString();
    publisher.kill();
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    ASSERT_TRUE(subscriber.waitFor([](const auto &m) { return hasIds(m, 1, kParts); }))
        << publisher.log().toStdString();

    const std::vector<qint64> ids = idsOf(subscriber.messages());
    EXPECT_EQ(firstArrivals(ids), range(1, kParts));
    std::map<qint64, int> times;
    for (const qint64 id : ids) {
        ++times[id];
    }
    int repeated = 0;
    for (const auto &[id, count] : times) {
        EXPECT_LE(count, 2) << id;
        repeated += count - 1;
    }
    // In flight: the 64 unacknowledged and at most 64 acknowledged but not yet on disk.
    EXPECT_LE(repeated, 128);
    EXPECT_EQ(publisher.stop(), 0);
}

TEST_F(ZelmqttWithBroker, ALateSubscriberSeesTheRetainedStatusAndTheLastWill) {
    MosquittoBroker broker(root_);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    addParts(1, zeltest::goodPart(QStringLiteral("C-3")));
    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    const auto state = [](const QString &value) {
        return [value](const std::vector<MqttSubscriber::Message> &messages) {
            return !messages.empty() &&
                   json(messages.back().payload).value(u"state").toString() == value;
        };
    };
    {
        MqttSubscriber late(broker.uri(), QStringLiteral("late-1"));
        ASSERT_TRUE(late.subscribe(kStatusTopic));
        ASSERT_TRUE(late.waitFor(state(QStringLiteral("online")))) << publisher.log().toStdString();
        const QJsonObject status = json(late.messages().back().payload);
        EXPECT_EQ(status.value(u"setup").toString(), QStringLiteral("/setups/shaft.zel"));
        EXPECT_EQ(status.value(u"part_number").toString(), QStringLiteral("C-3"));
        EXPECT_EQ(status.value(u"unit").toString(), QStringLiteral("unknown"));
        EXPECT_EQ(status.value(u"cycle").toString(), QStringLiteral("unknown"));
        EXPECT_FALSE(status.value(u"version").toString().isEmpty());
    }
    // Killed: the broker sends the last will, and keeps it for whoever comes later.
    publisher.kill();
    {
        MqttSubscriber late(broker.uri(), QStringLiteral("late-2"));
        ASSERT_TRUE(late.subscribe(kStatusTopic));
        ASSERT_TRUE(late.waitFor(state(QStringLiteral("offline"))));
        EXPECT_EQ(late.messages().back().payload, "{\"state\":\"offline\"}");
    }
    {
        MqttSubscriber late(broker.uri(), QStringLiteral("late-3"));
        ASSERT_TRUE(late.subscribe(kStatusTopic));
        ASSERT_TRUE(late.waitFor(state(QStringLiteral("offline"))));
        EXPECT_TRUE(late.messages().back().retained);
    }
    // Online again, then stopped as a service is: it says offline itself.
    MqttSubscriber watcher(broker.uri(), QStringLiteral("watcher"));
    ASSERT_TRUE(watcher.subscribe(kStatusTopic));
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    ASSERT_TRUE(watcher.waitFor(state(QStringLiteral("online"))));
    EXPECT_EQ(publisher.stop(), 0);
    ASSERT_TRUE(watcher.waitFor(state(QStringLiteral("offline"))));
}

class Certificates {
  public:
    explicit Certificates(const QString &folder) : folder_(folder) {}
    QString file(const char *name) const {
        return folder_ + QLatin1Char('/') + QString::fromLatin1(name);
    }
    // A CA and a server certificate it signed for 127.0.0.1 and localhost; another CA.
    bool make() {
        const QString openssl = QStringLiteral("openssl");
        const QStringList key = {
            QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        QFile ext(file("server.ext"));
        if (!ext.open(QIODevice::WriteOnly) ||
            ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n") < 0) {
            return false;
        }
        ext.close();
        for (const char *ca : {"ca", "other-ca"}) {
            const QString name = QString::fromLatin1(ca);
            if (!run(openssl,
                     QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + key +
                         QStringList{QStringLiteral("-keyout"), file(ca) + QStringLiteral(".key"),
                                     QStringLiteral("-out"), file(ca) + QStringLiteral(".crt"),
                                     QStringLiteral("-days"), QStringLiteral("2"),
                                     QStringLiteral("-subj"),
                                     QStringLiteral("/CN=Zel test ") + name})) {
                return false;
            }
        }
        return run(openssl,
                   QStringList{QStringLiteral("req")} + key +
                       QStringList{QStringLiteral("-keyout"), file("server.key"),
                                   QStringLiteral("-out"), file("server.csr"),
                                   QStringLiteral("-subj"), QStringLiteral("/CN=localhost")}) &&
               run(openssl,
                   {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                    file("server.csr"), QStringLiteral("-CA"), file("ca.crt"),
                    QStringLiteral("-CAkey"), file("ca.key"), QStringLiteral("-CAcreateserial"),
                    QStringLiteral("-out"), file("server.crt"), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-extfile"), file("server.ext")});
    }

  private:
    QString folder_;
};

TEST_F(ZelmqttWithBroker, PublishesOverTlsAndReportsACertificateItCannotTrust) {
    Certificates certificates(root_);
    ASSERT_TRUE(certificates.make());
    MosquittoBroker broker(root_,
                           {QStringLiteral("certfile %1").arg(certificates.file("server.crt")),
                            QStringLiteral("keyfile %1").arg(certificates.file("server.key"))});
    broker.addPlainListener();
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    addParts(2);
    MqttSubscriber subscriber(QStringLiteral("tcp://127.0.0.1:%1").arg(broker.extraPort()),
                              QStringLiteral("test-sub"));
    ASSERT_TRUE(subscriber.subscribe(kPartTopic));
    const QString tls = QStringLiteral("ssl://127.0.0.1:%1").arg(broker.port());
    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(
        publisher.start(args(tls) << QStringLiteral("--ca-file") << certificates.file("ca.crt")));
    ASSERT_TRUE(subscriber.waitForCount(2)) << publisher.log().toStdString();
    EXPECT_EQ(idsOf(subscriber.messages()), range(1, 2));
    EXPECT_EQ(publisher.stop(), 0);

    // A broker whose certificate another CA signed is refused, and tried again ever later.
    ZelmqttProcess doubting(root_);
    ASSERT_TRUE(doubting.start(args(tls, QStringLiteral("other-state"))
                               << QStringLiteral("--client-id") << QStringLiteral("doubter")
                               << QStringLiteral("--ca-file")
                               << certificates.file("other-ca.crt")));
    ASSERT_TRUE(doubting.waitForLog(QStringLiteral("next attempt in 2 s")))
        << doubting.log().toStdString();
    EXPECT_EQ(doubting.log().count(QStringLiteral("next attempt in 1 s")), 1);
    EXPECT_FALSE(doubting.log().contains(QStringLiteral("connected to")));
    EXPECT_TRUE(doubting.log().contains(QStringLiteral("cannot connect to %1: the TLS handshake "
                                                       "failed")
                                            .arg(tls)))
        << doubting.log().toStdString();
    EXPECT_EQ(doubting.stop(), 0);
}

TEST_F(ZelmqttWithBroker, AWrongPasswordIsReportedAndNotRetriedInATightLoop) {
    const QString passwords = root_ + QStringLiteral("/passwords");
    const QString passwd = QStandardPaths::findExecutable(QStringLiteral("mosquitto_passwd"));
    ASSERT_FALSE(passwd.isEmpty());
    ASSERT_TRUE(run(passwd, {QStringLiteral("-b"), QStringLiteral("-c"), passwords,
                             QStringLiteral("plant"), QStringLiteral("right")}));
    MosquittoBroker broker(root_, {QStringLiteral("password_file %1").arg(passwords)});
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    QFile wrong(root_ + QStringLiteral("/wrong"));
    ASSERT_TRUE(wrong.open(QIODevice::WriteOnly));
    wrong.write("wrong\n");
    wrong.close();
    wrong.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(publisher.start(args(broker.uri())
                                << QStringLiteral("--wait-for-db") << QStringLiteral("--user")
                                << QStringLiteral("plant") << QStringLiteral("--password-file")
                                << wrong.fileName()));
    ASSERT_TRUE(publisher.waitForLog(QStringLiteral("next attempt in 2 s")))
        << publisher.log().toStdString();
    // Up to the second refusal: two attempts, the second a second after the first.
    const QString log =
        publisher.log().left(publisher.log().indexOf(QStringLiteral("next attempt in 2 s")));
    EXPECT_TRUE(log.contains(QStringLiteral("refused"))) << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("next attempt in 1 s")), 1);
    EXPECT_EQ(log.count(QStringLiteral("connecting to")), 2);
    EXPECT_EQ(publisher.stop(), 0);
}

TEST_F(ZelmqttWithBroker, CheckConnectsBesideTheRunningPublisherAndShowsTheNextPart) {
    MosquittoBroker broker(root_);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    addParts(2);
    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    ASSERT_TRUE(publisher.waitForLog(QStringLiteral("connected to")));
    ZelmqttProcess check(root_);
    ASSERT_TRUE(check.start(args(broker.uri(), QStringLiteral("check-state"))
                            << QStringLiteral("--check")));
    ASSERT_TRUE(check.waitForLog(QStringLiteral("next message on zel8/Gauge2/part")))
        << check.log().toStdString();
    EXPECT_EQ(check.waitExit(), 0);
    EXPECT_TRUE(check.log().contains(QStringLiteral("as zel8-Gauge2-check")));
    EXPECT_TRUE(check.log().contains(QStringLiteral("\"id\":1,")));
    // The running publisher was not pushed off the broker.
    EXPECT_FALSE(broker.log().contains(QStringLiteral("already connected")));
    EXPECT_FALSE(publisher.log().contains(QStringLiteral("lost the broker")));
    EXPECT_EQ(publisher.stop(), 0);
}

}  // namespace

namespace {

TEST_F(ZelmqttWithBroker, AStateOfAnotherHistoryStartsFromThisOnesFirstPart) {
    MosquittoBroker broker(root_);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    addParts(3);
    // Left by a history file since replaced: its position means nothing here.
    QFile state(root_ + QStringLiteral("/state"));
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write("{\"db\":\"another-history\",\"last_acked\":2}\n");
    state.close();
    MqttSubscriber subscriber(broker.uri(), QStringLiteral("test-sub"));
    ASSERT_TRUE(subscriber.subscribe(kPartTopic));
    ZelmqttProcess publisher(root_);
    ASSERT_TRUE(publisher.start(args(broker.uri())));
    ASSERT_TRUE(subscriber.waitForCount(3)) << publisher.log().toStdString();
    EXPECT_EQ(idsOf(subscriber.messages()), range(1, 3));
    EXPECT_EQ(publisher.stop(), 0);
    ASSERT_TRUE(state.open(QIODevice::ReadOnly));
    EXPECT_EQ(json(state.readAll()).value(u"db").toString(), writer_.uuid());
}

// No broker needed: what the command line refuses ends the program with status 1.
TEST(ZelmqttProgram, RefusesAReservedTopicLevelOrAnUnknownOptionWithStatusOne) {
    zeltest::TempFolder folder;
    ZelmqttProcess program(QString::fromStdString(folder.path()));
    for (const QStringList &args :
         {QStringList{QStringLiteral("--station"), QStringLiteral("line/2")},
          QStringList{QStringLiteral("--prefix"), QStringLiteral("plant#")},
          QStringList{QStringLiteral("--broker"), QStringLiteral("mqtt://x")},
          QStringList{QStringLiteral("--broker"), QStringLiteral("tcp://127.0.0.1:65536")},
          QStringList{QStringLiteral("--broker"), QStringLiteral("tcp://127.0.0.1:0")},
          QStringList{QStringLiteral("--bogus")}}) {
        ASSERT_TRUE(program.start(args));
        EXPECT_EQ(program.waitExit(), 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(program.log().startsWith(QStringLiteral("zelmqtt: ")));
    }
    ASSERT_TRUE(program.start({QStringLiteral("--help")}));
    EXPECT_EQ(program.waitExit(), 0);
    EXPECT_TRUE(program.log().contains(QStringLiteral("--password-file")));
}

// No broker needed: a history named and not there ends the program with status 2, unless it is
// to be waited for; the broker that cannot be reached is named with the cause.
TEST(ZelmqttProgram, AHistoryNamedAndNotThereIsRefusedUnlessWaitedFor) {
    zeltest::TempFolder folder;
    const QString root = QString::fromStdString(folder.path());
    const QString db = root + QStringLiteral("/parts.db");
    const QString nobody = QStringLiteral("tcp://127.0.0.1:%1").arg(zeltest::freeLoopbackPort());
    const QStringList args = {QStringLiteral("--broker"),  nobody,  QStringLiteral("--db"), db,
                              QStringLiteral("--station"), kStation};
    ZelmqttProcess program(root);
    ASSERT_TRUE(program.start(args));
    EXPECT_EQ(program.waitExit(), 2);
    EXPECT_TRUE(program.log().contains(QStringLiteral("zelmqtt: no parts history at ") + db))
        << program.log().toStdString();

    ASSERT_TRUE(program.start(args + QStringList{QStringLiteral("--wait-for-db")}));
    ASSERT_TRUE(program.waitForLog(QStringLiteral("waiting for the parts history ") + db))
        << program.log().toStdString();
    ASSERT_TRUE(
        program.waitForLog(QStringLiteral("cannot connect to %1: connection refused").arg(nobody)))
        << program.log().toStdString();
    EXPECT_EQ(program.stop(), 0);
}

TEST(ZelmqttProgram, APasswordOthersMayReadIsRefusedAndOnePlainlySentIsWarnedOf) {
    zeltest::TempFolder folder;
    const QString root = QString::fromStdString(folder.path());
    QFile password(root + QStringLiteral("/password"));
    ASSERT_TRUE(password.open(QIODevice::WriteOnly));
    password.write("secret\n");
    password.close();
    ASSERT_TRUE(password.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadOther));
    const QStringList args = {QStringLiteral("--broker"),
                              QStringLiteral("tcp://127.0.0.1:%1").arg(zeltest::freeLoopbackPort()),
                              QStringLiteral("--user"),
                              QStringLiteral("gauge2"),
                              QStringLiteral("--password-file"),
                              password.fileName(),
                              QStringLiteral("--station"),
                              kStation};
    ZelmqttProcess program(root);
    ASSERT_TRUE(program.start(args));
    EXPECT_EQ(program.waitExit(), 1);
    EXPECT_TRUE(program.log().contains(QStringLiteral("is readable by other users; chmod 600 it")))
        << program.log().toStdString();

    ASSERT_TRUE(password.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(program.start(args));
    ASSERT_TRUE(program.waitForLog(QStringLiteral("zelmqtt: warning: the password")))
        << program.log().toStdString();
    EXPECT_EQ(program.stop(), 0);
}

}  // namespace
