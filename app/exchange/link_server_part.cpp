// The topic "Part" of the live-value service: its items, their hot links and its commands.
#include <algorithm>

#include "exchange/link_server.h"
#include "exchange/link_server_clients.h"
#include "exchange/part_topic.h"

namespace zelapp {

std::optional<QString> LinkServer::partText(const QString &name) const {
    if (partTopic_ == nullptr || name.isEmpty()) {
        return std::nullopt;
    }
    return partTopic_->item(name);
}

void LinkServer::requestPart(Client &client, const QByteArray &item) {
    const std::optional<QString> text = partText(link::partItemName(item));
    if (!text) {
        send(client, link::reply(link::kNack, link::kRequest, item));
        return;
    }
    send(client, link::dataLine(item, link::toWire(*text)));
}

void LinkServer::advisePart(Client &client, const QByteArray &item) {
    const QString name = link::partItemName(item);
    const std::optional<QString> text = partText(name);
    if (!text) {
        send(client, link::reply(link::kNack, link::kAdvise, item));
        return;
    }
    // Pushes start from the present text, as for Display: a new link is pushed the next change.
    // The text stays only while someone follows the item (partItemsChanged lets it go).
    partTexts_.try_emplace(name, *text);
    holdLink(partLinks_[name], client, item);
    send(client, link::reply(link::kAck, link::kAdvise, item));
}

void LinkServer::unadvisePart(Client &client, const QByteArray &item) {
    const QString name = link::partItemName(item);
    const auto links = partLinks_.find(name);
    const bool removed = links != partLinks_.end() && removeLink(links->second, client);
    if (removed || partText(name)) {
        send(client, link::reply(link::kAck, link::kUnadvise, item));
    } else {
        send(client, link::reply(link::kNack, link::kUnadvise, item));
    }
}

void LinkServer::execute(Client &client, const QByteArray &command, bool given) {
    if (client.topic != link::Topic::Part || partTopic_ == nullptr || !given) {
        send(client, link::reply(link::kNack, link::kExecute));
        return;
    }
    const QString name = link::partCommandName(command);
    if (name.isEmpty()) {
        send(client, link::reply(link::kNack, link::kExecute, command, link::kUnknownCommand));
        return;
    }
    // The answer goes before the pushes the command causes (the state a started cycle is in).
    const qsizetype answerAt = client.pending.size();
    const QString refusal = partTopic_->execute(name);
    const QByteArray answer = refusal.isEmpty() ? link::reply(link::kAck, link::kExecute, command)
                                                : link::reply(link::kNack, link::kExecute, command,
                                                              link::toWire(refusal));
    client.pending.insert(std::min(answerAt, client.pending.size()), answer);
    scheduleFlush();
}

void LinkServer::partItemsChanged(const QStringList &items) {
    bool pushed = false;
    for (const QString &name : items) {
        const auto links = partLinks_.find(name);
        if (links == partLinks_.end() || links->second.empty()) {
            partTexts_.erase(name);
            continue;
        }
        const std::optional<QString> text = partText(name);
        if (!text) {
            continue;  // a result of a channel gone: its links wait for it to come back
        }
        QString &last = partTexts_[name];
        if (*text == last) {
            continue;
        }
        last = *text;
        QByteArray tail = link::toWire(*text);
        tail.append('\n');
        for (const Link &l : links->second) {
            l.client->pending.append(l.head).append(tail);
        }
        pushed = true;
    }
    if (pushed) {
        scheduleFlush();
    }
}

}  // namespace zelapp
