#include "exchange/link_server.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <utility>

#include "exchange/link_address.h"
#include "exchange/link_protocol.h"
#include "exchange/link_server_clients.h"
#include "exchange/peer_process.h"
#include "setup/channel_labels.h"

namespace zelapp {

namespace {
// Reads are taken in slices of this size so that a flood of input cannot grow our memory.
constexpr qint64 kReadBufferBytes = 64 * 1024;
// A socket that accepts a connection within this time belongs to a running service.
constexpr int kProbeTimeoutMs = 500;
// How often connections without a conversation are looked at: they close at most this late.
constexpr int kIdleCheckMs = 1000;
// The start of a push line, made once per link.
QByteArray dataHead(const QByteArray &item) {
    return link::fields(link::kData, item).append('\t');
}

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A connection beyond the limits is told why, as a refused INITIATE would be, and closed before
// it is ever served. The line fits the system's buffer of a new socket; if it does not go out at
// once the socket is cut all the same.
void refuse(QLocalSocket *socket) {
    socket->write(link::reply(link::kNack, link::kInitiate, "too many connections"));
    socket->flush();
    if (socket->bytesToWrite() > 0) {
        socket->abort();
    } else {
        socket->disconnectFromServer();
    }
    socket->deleteLater();
}

}  // namespace

LinkServer::LinkServer(ChannelLabels &labels, LinkLimits limits, MonotonicMs now)
    : labels_(labels), limits_(limits), now_(now ? std::move(now) : MonotonicMs(steadyMs)) {
    connect(&labels_, &ChannelLabels::textChanged, this, &LinkServer::pushChange);
    idleCheck_.setInterval(kIdleCheckMs);
    connect(&idleCheck_, &QTimer::timeout, this, &LinkServer::closeIdleConnections);
}

LinkServer::~LinkServer() {
    // No conversation reports from here: the window that counts them is going away too.
    for (auto *list : {&clients_, &dead_}) {
        for (auto &client : *list) {
            if (client->socket) {
                client->socket->disconnect(this);
                delete client->socket;
            }
        }
    }
    if (server_) {
        server_->close();
    }
}

bool LinkServer::listen(const QString &service, const QString &folder, QString *error) {
    close();
    if (!preparePrivateFolder(folder, error)) {
        return false;
    }
    const QString path = linkSocketPath(folder, service);
    if (QFileInfo::exists(path)) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(kProbeTimeoutMs)) {
            *error =
                QStringLiteral("another program already serves \"%1\" at %2").arg(service, path);
            return false;
        }
        // Left by a program that ended without closing it.
        QLocalServer::removeServer(path);
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(limits_.connections);
    server_->setListenBacklogSize(limits_.connections);
    connect(server_.get(), &QLocalServer::newConnection, this, &LinkServer::acceptConnections);
    if (!server_->listen(path)) {
        *error = QStringLiteral("cannot listen at %1: %2").arg(path, server_->errorString());
        server_.reset();
        return false;
    }
    socketPath_ = path;
    idleCheck_.start();
    return true;
}

void LinkServer::close() {
    idleCheck_.stop();
    const std::vector<Client *> open = snapshot();
    for (Client *client : open) {
        drop(*client, false);
    }
    if (server_) {
        server_->close();
        server_.reset();
    }
    socketPath_.clear();
}

bool LinkServer::isListening() const {
    return server_ && server_->isListening();
}

std::vector<LinkServer::Client *> LinkServer::snapshot() const {
    std::vector<Client *> clients;
    clients.reserve(clients_.size());
    for (const auto &client : clients_) {
        clients.push_back(client.get());
    }
    return clients;
}

void LinkServer::acceptConnections() {
    while (server_ && server_->hasPendingConnections()) {
        QLocalSocket *socket = server_->nextPendingConnection();
        const std::optional<qint64> peer = peerProcessId(socket->socketDescriptor());
        if (!admits(peer)) {
            refuse(socket);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        client->peer = peer;
        client->connectedAtMs = now_();
        socket->setReadBufferSize(kReadBufferBytes);
        Client *c = client.get();
        clients_.push_back(std::move(client));
        connect(socket, &QLocalSocket::readyRead, this, [this, c] { readLines(*c); });
        connect(socket, &QLocalSocket::disconnected, this, [this, c] { forget(*c); });
        // Data may have arrived with the connection.
        if (socket->bytesAvailable() > 0) {
            readLines(*c);
        }
    }
}

bool LinkServer::admits(const std::optional<qint64> &peer) const {
    if (static_cast<int>(clients_.size()) >= limits_.connections) {
        return false;
    }
    if (!peer) {
        return true;  // the system cannot tell: bounded in all only
    }
    const auto held = std::count_if(clients_.begin(), clients_.end(),
                                    [&peer](const auto &c) { return c->peer == peer; });
    return held < limits_.perPeer;
}

void LinkServer::closeIdleConnections() {
    const qint64 now = now_();
    for (Client *client : snapshot()) {
        if (client->inConversation || now - client->connectedAtMs < limits_.initiateTimeoutMs) {
            continue;
        }
        if (!client->closing) {
            drop(*client, false);
            continue;
        }
        // Refused or terminated, its last reply still unread: it has had its time.
        if (client->socket) {
            client->socket->abort();
        }
        forget(*client);
    }
}

void LinkServer::readLines(Client &client) {
    QLocalSocket *socket = client.socket;
    while (socket != nullptr && !client.closing) {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() >= link::kMaxLineBytes) {
                drop(client, false);  // a line longer than we accept
            }
            return;
        }
        QByteArray line = socket->readLine(link::kMaxLineBytes + 1);
        if (!line.endsWith('\n') || line.size() > link::kMaxLineBytes) {
            drop(client, false);
            return;
        }
        line.chop(1);
        handleLine(client, line);
    }
}

void LinkServer::handleLine(Client &client, const QByteArray &line) {
    const link::Line l = link::splitLine(line);
    if (l.verb == link::kInitiate) {
        initiate(client, l.argument);
    } else if (!client.inConversation) {
        send(client, link::reply(link::kNack, l.verb));
    } else if (l.verb == link::kRequest) {
        request(client, l.argument);
    } else if (l.verb == link::kAdvise) {
        advise(client, l.argument);
    } else if (l.verb == link::kUnadvise) {
        unadvise(client, l.argument);
    } else if (l.verb == link::kExecute) {
        execute(client, l.argument, l.hasArgument);
    } else if (l.verb == link::kTerminate) {
        send(client, link::reply(link::kAck, link::kTerminate));
        drop(client, true);
    } else {
        send(client, link::reply(link::kNack, l.verb));
    }
}

void LinkServer::initiate(Client &client, const QByteArray &topic) {
    if (client.inConversation) {
        send(client, link::reply(link::kNack, link::kInitiate, "conversation already open"));
        return;
    }
    const link::Topic named = link::topicNamed(topic);
    const char *refusal = nullptr;
    if (named == link::Topic::None || (named == link::Topic::Part && partTopic_ == nullptr)) {
        refusal = "unknown topic";
    } else if (conversations_ >= limits_.conversations) {
        refusal = "too many conversations";
    }
    if (refusal != nullptr) {
        send(client, link::reply(link::kNack, link::kInitiate, refusal));
        drop(client, true);
        return;
    }
    client.inConversation = true;
    client.topic = named;
    ++conversations_;
    send(client, link::reply(link::kAck, link::kInitiate));
    emit conversationOpened();
}

bool LinkServer::itemExists(int channel) const {
    return channel >= 1 && channel < labels_.count();
}

void LinkServer::request(Client &client, const QByteArray &item) {
    if (client.topic == link::Topic::Part) {
        requestPart(client, item);
        return;
    }
    const int channel = link::itemChannel(item);
    if (!itemExists(channel)) {
        send(client, link::reply(link::kNack, link::kRequest, item));
        return;
    }
    send(client, link::dataLine(item, link::toWire(labels_.text(channel))));
}

void LinkServer::advise(Client &client, const QByteArray &item) {
    if (client.topic == link::Topic::Part) {
        advisePart(client, item);
        return;
    }
    const int channel = link::itemChannel(item);
    if (!itemExists(channel)) {
        send(client, link::reply(link::kNack, link::kAdvise, item));
        return;
    }
    if (static_cast<int>(links_.size()) <= channel) {
        links_.resize(channel + 1);
    }
    holdLink(links_[channel], client, item);
    send(client, link::reply(link::kAck, link::kAdvise, item));
}

void LinkServer::holdLink(std::vector<Link> &links, Client &client, const QByteArray &item) {
    const auto held = std::find_if(links.begin(), links.end(),
                                   [&client](const Link &l) { return l.client == &client; });
    if (held != links.end()) {
        held->head = dataHead(item);  // one link per item; the latest spelling names it
    } else {
        links.push_back(Link{&client, dataHead(item)});
    }
}

void LinkServer::unadvise(Client &client, const QByteArray &item) {
    if (client.topic == link::Topic::Part) {
        unadvisePart(client, item);
        return;
    }
    const int channel = link::itemChannel(item);
    if (removeLink(client, channel) || itemExists(channel)) {
        send(client, link::reply(link::kAck, link::kUnadvise, item));
    } else {
        send(client, link::reply(link::kNack, link::kUnadvise, item));
    }
}

bool LinkServer::removeLink(Client &client, int channel) {
    if (channel < 1 || channel >= static_cast<int>(links_.size())) {
        return false;
    }
    return removeLink(links_[channel], client);
}

bool LinkServer::removeLink(std::vector<Link> &links, Client &client) {
    const auto held = std::find_if(links.begin(), links.end(),
                                   [&client](const Link &l) { return l.client == &client; });
    if (held == links.end()) {
        return false;
    }
    links.erase(held);
    return true;
}

void LinkServer::pushChange(int channel, const QString &text) {
    if (channel < 1 || channel >= static_cast<int>(links_.size()) || links_[channel].empty()) {
        return;
    }
    QByteArray tail = link::toWire(text);
    tail.append('\n');
    for (const Link &l : links_[channel]) {
        l.client->pending.append(l.head).append(tail);
    }
    scheduleFlush();
}

void LinkServer::send(Client &client, const QByteArray &line) {
    client.pending.append(line);
    scheduleFlush();
}

void LinkServer::scheduleFlush() {
    if (flushScheduled_) {
        return;
    }
    flushScheduled_ = true;
    QMetaObject::invokeMethod(this, &LinkServer::flushPending, Qt::QueuedConnection);
}

void LinkServer::flushPending() {
    flushScheduled_ = false;
    std::vector<Client *> overflowing;
    // A write may report the peer gone at once; clients are only deleted later, so the
    // snapshot stays valid.
    for (Client *client : snapshot()) {
        if (!writePending(*client)) {
            overflowing.push_back(client);
        }
    }
    for (Client *client : overflowing) {
        drop(*client, false);
    }
}

bool LinkServer::writePending(Client &client) {
    QLocalSocket *socket = client.socket;
    if (socket == nullptr || client.pending.isEmpty()) {
        return true;
    }
    socket->write(client.pending);
    client.pending.truncate(0);
    socket->flush();
    return socket->bytesToWrite() <= limits_.unreadBytes;
}

void LinkServer::drop(Client &client, bool graceful) {
    if (client.inConversation) {
        client.inConversation = false;
        --conversations_;
        emit conversationClosed();
    }
    for (auto &links : links_) {
        std::erase_if(links, [&client](const Link &l) { return l.client == &client; });
    }
    for (auto &[name, links] : partLinks_) {
        std::erase_if(links, [&client](const Link &l) { return l.client == &client; });
    }
    if (client.closing) {
        return;
    }
    client.closing = true;
    QLocalSocket *socket = client.socket;
    if (socket == nullptr) {
        return;
    }
    if (graceful && writePending(client)) {
        socket->disconnectFromServer();  // after the last reply has gone out
    } else {
        client.pending.clear();
        socket->abort();
    }
    if (socket->state() == QLocalSocket::UnconnectedState) {
        forget(client);
    }
}

void LinkServer::forget(Client &client) {
    drop(client, false);
    const auto it = std::find_if(clients_.begin(), clients_.end(),
                                 [&client](const auto &c) { return c.get() == &client; });
    if (it == clients_.end()) {
        return;  // already forgotten
    }
    if (client.socket) {
        client.socket->disconnect(this);
        client.socket->deleteLater();
    }
    // Deleted on the next pass of the event loop: callers up the stack may still hold it.
    dead_.push_back(std::move(*it));
    clients_.erase(it);
    if (!reapScheduled_) {
        reapScheduled_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                reapScheduled_ = false;
                dead_.clear();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace zelapp
