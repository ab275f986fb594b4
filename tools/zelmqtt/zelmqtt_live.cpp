#include "zelmqtt_live.h"

#include "exchange/link_address.h"
#include "exchange/link_protocol.h"

namespace zelmqtt {

namespace link = zelapp::link;

namespace {
// How often a missing program is looked for again.
constexpr int kRetryMs = 2000;
}  // namespace

LiveReader::LiveReader(const QString &service, QObject *parent)
    : QObject(parent), path_(zelapp::linkSocketPath(service)) {
    retryTimer_.setInterval(kRetryMs);
    connect(&retryTimer_, &QTimer::timeout, this, &LiveReader::retry);
    for (auto *conversation : {&display_, &part_}) {
        const bool display = conversation == &display_;
        connect(&conversation->socket, &QLocalSocket::readyRead, this,
                [this, conversation, display] { read(*conversation, display); });
        connect(&conversation->socket, &QLocalSocket::disconnected, this,
                [this, conversation, display] {
                    conversation->open = false;
                    if (!display) {
                        items_.clear();
                        cycleChanged_ = true;
                        emit cycleChanged();
                    }
                    emit unitChanged();
                });
    }
}

LiveReader::~LiveReader() {
    // The sockets close as they go; their signals must not reach a reader half gone.
    display_.socket.disconnect(this);
    part_.socket.disconnect(this);
}

void LiveReader::start() {
    retry();
    retryTimer_.start();
}

void LiveReader::retry() {
    if (display_.socket.state() == QLocalSocket::UnconnectedState) {
        open(display_, link::kTopic);
    }
    if (part_.socket.state() == QLocalSocket::UnconnectedState) {
        open(part_, link::kPartTopic);
    }
}

void LiveReader::open(Conversation &conversation, const QByteArray &topic) {
    conversation.socket.connectToServer(path_);
    if (!conversation.socket.waitForConnected(0) &&
        conversation.socket.state() == QLocalSocket::UnconnectedState) {
        return;
    }
    QByteArray lines = link::reply(link::kInitiate, topic);
    if (topic == link::kTopic) {
        for (int channel = 1; channel <= kMaxChannels; ++channel) {
            lines += link::reply(link::kAdvise, link::toWire(link::itemName(channel)));
        }
    } else {
        for (const char *item : {link::kStateItem, link::kVerdictItem, link::kCountItem,
                                 link::kReasonItem, link::kIdItem}) {
            lines += link::reply(link::kAdvise, item);
        }
    }
    conversation.socket.write(lines);
}

void LiveReader::read(Conversation &conversation, bool display) {
    bool cycle = false;
    while (conversation.socket.canReadLine()) {
        QByteArray line = conversation.socket.readLine(link::kMaxLineBytes);
        line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 2 && fields[0] == link::kAck && fields[1] == link::kInitiate) {
            conversation.open = true;
            emit unitChanged();
            continue;
        }
        if (fields.size() < 3 || fields[0] != link::kData) {
            continue;
        }
        const QString text = link::fromWire(fields.mid(2).join('\t'));
        if (display) {
            const int channel = link::itemChannel(fields[1]);
            if (channel > 0) {
                values_[channel] = text;
                changedValues_.insert(channel);
            }
        } else if (const QString item = link::partItemName(fields[1]); !item.isEmpty()) {
            items_[item] = text;
            cycleChanged_ = true;
            cycle = true;
        }
    }
    if (cycle) {
        emit cycleChanged();
        emit unitChanged();
    }
}

QString LiveReader::unit() const {
    if (!display_.open && !part_.open) {
        return QStringLiteral("unknown");
    }
    const auto reason = items_.find(QString::fromLatin1(link::kReasonItem));
    const auto state = items_.find(QString::fromLatin1(link::kStateItem));
    const bool lostLast = reason != items_.end() && reason->second == u"unit lost";
    const bool cycling = state != items_.end() && state->second == u"MEASURING";
    return lostLast && !cycling ? QStringLiteral("lost") : QStringLiteral("communicating");
}

QString LiveReader::cycle() const {
    const auto state = items_.find(QString::fromLatin1(link::kStateItem));
    return part_.open && state != items_.end() && !state->second.isEmpty()
               ? state->second
               : QStringLiteral("unknown");
}

std::map<int, QString> LiveReader::takeChangedValues() {
    std::map<int, QString> changed;
    for (const int channel : changedValues_) {
        changed[channel] = values_[channel];
    }
    changedValues_.clear();
    return changed;
}

bool LiveReader::takeCycleChanged() {
    const bool changed = cycleChanged_;
    cycleChanged_ = false;
    return changed;
}

}  // namespace zelmqtt
