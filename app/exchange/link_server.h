// The program's live-value service: other programs open conversations over a local socket on
// the topic "Display", request channel values and hold hot links that push every change of a
// value text, or on the topic "Part", where they read and follow the part cycle's items and
// start or cancel a cycle (see link_protocol.h for the lines). It runs on the operator's thread and
// never blocks it: replies and pushes are queued per client and written without waiting; a client
// that stops reading is disconnected once its queue passes a bound. So that no program can take
// every place, one program holds only so many connections, and a connection that opens no
// conversation in time is closed.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace zelapp {

class ChannelLabels;
class PartTopic;

struct LinkLimits {
    int conversations = 64;           // open conversations; the next INITIATE is refused
    int connections = 128;            // sockets, with or without a conversation
    int perPeer = 16;                 // sockets of one client program, where the system tells
    int initiateTimeoutMs = 10000;    // from connecting to INITIATE before the socket is closed
    qint64 unreadBytes = 256 * 1024;  // queued output of one client before it is dropped
};

// Milliseconds on a clock that never goes back; its origin does not matter.
using MonotonicMs = std::function<qint64()>;

class LinkServer : public QObject {
    Q_OBJECT
  public:
    // Without a clock the server reads the system's steady clock.
    explicit LinkServer(ChannelLabels &labels, LinkLimits limits = {}, MonotonicMs now = {});
    ~LinkServer() override;

    // Listens as a service in the folder (made private to the user when needed). A socket left
    // by a program that is gone is replaced; one that still answers is not. False with the
    // reason in *error when the service cannot be offered.
    bool listen(const QString &service, const QString &folder, QString *error);
    // Ends every conversation and removes the socket.
    void close();

    // What stands behind the topic "Part"; none: the topic is not offered. The topic is unset
    // before it goes.
    void setPartTopic(PartTopic *topic) { partTopic_ = topic; }
    // Part items whose text may have changed (as link::partItemName names them), in the order
    // their pushes go out. A hot link is pushed a text only when it differs from the last one
    // its item had.
    void partItemsChanged(const QStringList &items);

    bool isListening() const;
    QString socketPath() const { return socketPath_; }
    int conversationCount() const { return conversations_; }
    int connectionCount() const { return static_cast<int>(clients_.size()); }

    // Writes what is queued for the clients. Runs by itself once per pass of the event loop
    // after values have changed; benchmarks call it to time it.
    void flushPending();
    // Closes every connection that has held no conversation for the limit's time since it
    // connected. Runs by itself every second while listening.
    void closeIdleConnections();

  signals:
    // A conversation began or ended.
    void conversationOpened();
    void conversationClosed();

  private:
    struct Client;
    struct Link;

    void acceptConnections();
    // True when the new socket is within the limits on connections in all and per program.
    bool admits(const std::optional<qint64> &peer) const;
    void readLines(Client &client);
    void handleLine(Client &client, const QByteArray &line);
    void initiate(Client &client, const QByteArray &topic);
    void request(Client &client, const QByteArray &item);
    void advise(Client &client, const QByteArray &item);
    void unadvise(Client &client, const QByteArray &item);
    void requestPart(Client &client, const QByteArray &item);
    void advisePart(Client &client, const QByteArray &item);
    void unadvisePart(Client &client, const QByteArray &item);
    // `given`: the line named a command at all.
    void execute(Client &client, const QByteArray &command, bool given);
    // The text of a Part item as the program names it; none when the topic has no such item.
    std::optional<QString> partText(const QString &name) const;
    void send(Client &client, const QByteArray &line);
    void scheduleFlush();
    // Hands the client's queue to its socket; false when its unread output passes the bound.
    bool writePending(Client &client);
    bool removeLink(Client &client, int channel);
    static bool removeLink(std::vector<Link> &links, Client &client);
    static void holdLink(std::vector<Link> &links, Client &client, const QByteArray &item);
    std::vector<Client *> snapshot() const;
    void pushChange(int channel, const QString &text);
    // Ends a client's conversation (if any) and lets its socket go; after the queued output
    // when graceful, at once otherwise.
    void drop(Client &client, bool graceful);
    void forget(Client &client);
    bool itemExists(int channel) const;

    ChannelLabels &labels_;
    LinkLimits limits_;
    MonotonicMs now_;
    QTimer idleCheck_;
    std::unique_ptr<QLocalServer> server_;
    QString socketPath_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<std::unique_ptr<Client>> dead_;  // disconnected, deleted on the next pass
    // links_[n]: the hot links on channel n's item.
    std::vector<std::vector<Link>> links_;
    PartTopic *partTopic_ = nullptr;
    // The hot links on each Part item, and the item's text as they were last told it.
    std::map<QString, std::vector<Link>> partLinks_;
    std::map<QString, QString> partTexts_;
    int conversations_ = 0;
    bool flushScheduled_ = false;
    bool reapScheduled_ = false;
};

}  // namespace zelapp
