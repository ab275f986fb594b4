// The live-value protocol: lines of 8-bit text ending in LF (a CR before the LF is dropped),
// fields separated by one TAB. A client opens a conversation on a topic, then requests items,
// or advises them to have every change pushed:
//
//   INITIATE<TAB>topic     ACK<TAB>INITIATE | NACK<TAB>INITIATE<TAB>reason (then closed)
//   REQUEST<TAB>item       DATA<TAB>item<TAB>text | NACK<TAB>REQUEST<TAB>item
//   ADVISE<TAB>item        ACK<TAB>ADVISE<TAB>item, later DATA<TAB>item<TAB>text on each change
//   UNADVISE<TAB>item      ACK<TAB>UNADVISE<TAB>item | NACK<TAB>UNADVISE<TAB>item
//   TERMINATE              ACK<TAB>TERMINATE (then closed)
//   anything else          NACK<TAB>verb
//
// Items are named as the client spelled them in every reply. A connection beyond the service's
// limits gets NACK<TAB>INITIATE<TAB>too many connections before it sends anything, then closes.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelapp::link {

inline constexpr char kInitiate[] = "INITIATE";
inline constexpr char kRequest[] = "REQUEST";
inline constexpr char kAdvise[] = "ADVISE";
inline constexpr char kUnadvise[] = "UNADVISE";
inline constexpr char kTerminate[] = "TERMINATE";
inline constexpr char kAck[] = "ACK";
inline constexpr char kNack[] = "NACK";
inline constexpr char kData[] = "DATA";

// The one topic the program serves.
inline constexpr char kTopic[] = "Display";

// Longest line accepted, LF included; a longer line ends the connection.
inline constexpr int kMaxLineBytes = 4096;

// A received line split at its first TAB: the verb, and the rest (the topic or item, which
// may itself hold TABs) when there is a TAB at all.
struct Line {
    QByteArray verb;
    QByteArray argument;
    bool hasArgument = false;
};

// Splits a line without its LF; a CR at its end is dropped.
Line splitLine(QByteArray line);

// Fields joined by TAB, as a line reads without its LF.
QByteArray fields(const QByteArray &first, const QByteArray &second);
QByteArray fields(const QByteArray &first, const QByteArray &second, const QByteArray &third);

// A reply or push line, LF included.
QByteArray reply(const QByteArray &first, const QByteArray &second);
QByteArray reply(const QByteArray &first, const QByteArray &second, const QByteArray &third);
QByteArray dataLine(const QByteArray &item, const QByteArray &text);

// Text travels as 8-bit bytes (Latin-1); characters beyond it become "?".
QByteArray toWire(const QString &text);
QString fromWire(const QByteArray &bytes);

// The item of channel n: "labelChan(" + n + ")".
QString itemName(int channel);
// The channel an item names ("labelChan(" + n + ")", without regard to case, n in plain
// decimal from 1); 0 when it names none.
int itemChannel(const QByteArray &item);
// True when a topic is the program's topic, without regard to case.
bool isServedTopic(const QByteArray &topic);

// A link as the clipboard and clients write it: "app|topic!item".
struct LinkName {
    QString service;
    QString topic;
    QString item;
};
// Reads "app|topic!item"; false when the text is not such a link (any part empty).
bool parseLinkName(const QString &text, LinkName *link);
QString linkNameText(const LinkName &link);

}  // namespace zelapp::link
