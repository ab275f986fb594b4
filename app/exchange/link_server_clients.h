// What the live-value service keeps of each connection and each hot link; shared by the
// files of LinkServer, nothing else.
#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QPointer>
#include <optional>

#include "exchange/link_protocol.h"
#include "exchange/link_server.h"

namespace zelapp {

struct LinkServer::Client {
    QPointer<QLocalSocket> socket;
    std::optional<qint64> peer;  // the client program's process id, where the system tells
    qint64 connectedAtMs = 0;
    bool inConversation = false;
    link::Topic topic = link::Topic::None;  // of the conversation
    bool closing = false;
    QByteArray pending;  // replies and pushes not yet handed to the socket
};

struct LinkServer::Link {
    Client *client;
    QByteArray head;  // "DATA<TAB>item<TAB>", the item as the client spelled it
};

}  // namespace zelapp
