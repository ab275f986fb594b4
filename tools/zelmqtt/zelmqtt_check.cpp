#include "zelmqtt_check.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <limits>

#include "history/revision_cache.h"
#include "zelmqtt_broker.h"
#include "zelmqtt_payload.h"
#include "zelmqtt_state.h"

namespace zelmqtt {

namespace {

constexpr int kCheckTimeoutMs = 15000;
constexpr qint64 kStatusTag = -1;

// What the history holds for the publisher: where it stands and the next part's message.
QString historyReport(const Settings &settings, Status *status) {
    if (!QFileInfo(settings.dbFile).isFile()) {
        return QStringLiteral("history: %1 (not there yet: zelapp has recorded no part)\n")
            .arg(settings.dbFile);
    }
    zelapp::PartStore store;
    zelapp::OpenOptions options;
    options.readOnly = true;
    if (const zelapp::OpenOutcome opened = store.open(settings.dbFile, options); !opened.ok()) {
        return QStringLiteral("history: %1 cannot be read: %2\n")
            .arg(settings.dbFile, opened.message);
    }
    const zelapp::PartSummary summary = store.summarize();
    const qint64 first = firstToPublish(readPublishState(settings.stateFile), store.uuid());
    QString text = QStringLiteral("history: %1 (%2 parts, db %3)\n")
                       .arg(settings.dbFile)
                       .arg(summary.count)
                       .arg(store.uuid());
    const zelapp::PartPage newest = store.newestBefore(0, 1);
    if (!newest.parts.empty()) {
        status->setup = newest.parts.front().setupFile;
        status->partNumber = newest.parts.front().number;
    }
    const zelapp::PartPage next = store.range(first, std::numeric_limits<qint64>::max(), 1);
    if (next.parts.empty()) {
        return text + QStringLiteral("nothing waiting: every part has been acknowledged\n");
    }
    const zelapp::PartSummary waiting = store.summarize();
    std::optional<zelapp::StoreFailure> failure;
    const auto revision = store.revision(next.parts.front().revision, &failure);
    text += QStringLiteral("waiting from part %1 (%2 in the history after it)\n")
                .arg(first)
                .arg(waiting.lastId - next.parts.front().id);
    text += QStringLiteral("next message on %1:\n%2\n")
                .arg(settings.topic(QStringLiteral("part")),
                     QString::fromUtf8(partPayload(next.parts.front(), revision, store.uuid(),
                                                   settings.station)));
    return text;
}

}  // namespace

int runCheck(const Settings &settings, QIODevice &out, QIODevice &err) {
    Status status;
    status.version = settings.version;
    const QString report = historyReport(settings, &status);
    const QString clientId = settings.clientId + QStringLiteral("-check");
    BrokerLink link(settings, clientId, QString(), QByteArray());
    QEventLoop loop;
    int result = kExitBroker;
    QString problem = QStringLiteral("no answer from %1 within %2 s")
                          .arg(settings.options.broker)
                          .arg(kCheckTimeoutMs / 1000);
    QObject::connect(&link, &BrokerLink::connected, &loop, [&] {
        if (!link.publish(settings.topic(QStringLiteral("status")), statusPayload(status), 1, true,
                          kStatusTag)) {
            problem = QStringLiteral("cannot publish the status");
            loop.quit();
        }
    });
    QObject::connect(&link, &BrokerLink::acknowledged, &loop, [&](qint64 tag) {
        if (tag == kStatusTag) {
            result = kExitOk;
            loop.quit();
        }
    });
    auto fail = [&](const QString &why) {
        problem = why;
        loop.quit();
    };
    QObject::connect(&link, &BrokerLink::connectFailed, &loop, fail);
    QObject::connect(&link, &BrokerLink::lost, &loop, fail);
    QObject::connect(&link, &BrokerLink::failed, &loop,
                     [&] { fail(QStringLiteral("the broker did not take the status")); });
    QTimer::singleShot(kCheckTimeoutMs, &loop, &QEventLoop::quit);
    link.connectNow();
    loop.exec();
    link.disconnect(2000);
    if (result != kExitOk) {
        err.write(QStringLiteral("zelmqtt: %1\n").arg(problem).toUtf8());
        return result;
    }
    out.write(QStringLiteral("connected to %1 as %2\n"
                             "published on %3 (retained):\n%4\n")
                  .arg(settings.options.broker, clientId, settings.topic(QStringLiteral("status")),
                       QString::fromUtf8(statusPayload(status)))
                  .toUtf8());
    out.write(report.toUtf8());
    return kExitOk;
}

}  // namespace zelmqtt
