// The live-value protocol: lines of 8-bit text ending in LF (a CR before the LF is dropped),
// fields separated by one TAB. A client opens a conversation on a topic ("Display": the
// channels' values; "Part": the part cycle), then requests items, advises them to have every
// change pushed, or (topic Part) has a command run:
//
//   INITIATE<TAB>topic     ACK<TAB>INITIATE | NACK<TAB>INITIATE<TAB>reason (then closed)
//   REQUEST<TAB>item       DATA<TAB>item<TAB>text | NACK<TAB>REQUEST<TAB>item
//   ADVISE<TAB>item        ACK<TAB>ADVISE<TAB>item, later DATA<TAB>item<TAB>text on each change
//   UNADVISE<TAB>item      ACK<TAB>UNADVISE<TAB>item | NACK<TAB>UNADVISE<TAB>item
//   EXECUTE<TAB>command    ACK<TAB>EXECUTE<TAB>command | NACK<TAB>EXECUTE<TAB>command<TAB>reason;
//                          NACK<TAB>EXECUTE on a topic without commands
//   TERMINATE              ACK<TAB>TERMINATE (then closed)
//   anything else          NACK<TAB>verb
//
// Topics, items and commands match without regard to case; items and commands are named as the
// client spelled them in every reply. A connection beyond the service's
// limits gets NACK<TAB>INITIATE<TAB>too many connections before it sends anything, then closes.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelapp::link {

inline constexpr char kInitiate[] = "INITIATE";
inline constexpr char kRequest[] = "REQUEST";
inline constexpr char kAdvise[] = "ADVISE";
inline constexpr char kUnadvise[] = "UNADVISE";
inline constexpr char kExecute[] = "EXECUTE";
inline constexpr char kTerminate[] = "TERMINATE";
inline constexpr char kAck[] = "ACK";
inline constexpr char kNack[] = "NACK";
inline constexpr char kData[] = "DATA";

// The topics the program serves: the channels' values, and the part cycle.
inline constexpr char kTopic[] = "Display";
inline constexpr char kPartTopic[] = "Part";

// The Part topic's items as the program names them, and its commands.
inline constexpr char kStateItem[] = "state";
inline constexpr char kVerdictItem[] = "verdict";
inline constexpr char kCountItem[] = "count";
inline constexpr char kReasonItem[] = "reason";
inline constexpr char kIdItem[] = "id";
inline constexpr char kRecordedItem[] = "recorded";
inline constexpr char kMeasure[] = "Measure";
inline constexpr char kCancel[] = "Cancel";
inline constexpr char kUnknownCommand[] = "unknown command";

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
QByteArray reply(const QByteArray &first, const QByteArray &second, const QByteArray &third,
                 const QByteArray &fourth);
QByteArray dataLine(const QByteArray &item, const QByteArray &text);

// Text travels as 8-bit bytes (Latin-1); characters beyond it become "?".
QByteArray toWire(const QString &text);
QString fromWire(const QByteArray &bytes);

// The item of channel n: "labelChan(" + n + ")".
QString itemName(int channel);
// The channel an item names ("labelChan(" + n + ")", without regard to case, n in plain
// decimal from 1); 0 when it names none.
int itemChannel(const QByteArray &item);
enum class Topic { None, Display, Part };
// Which topic a name means, without regard to case.
Topic topicNamed(const QByteArray &topic);

// The item of channel n on the Part topic: "result(" + n + ")".
QString resultItemName(int channel);
// The channel a "result(n)" item names, read as itemChannel reads "labelChan(n)"; 0 when none.
int resultChannel(const QByteArray &item);
// A Part item as the program names it ("state", "verdict", "count", "reason", "id", "recorded",
// "result(n)"), matched without regard to case; empty when the item is none of them.
QString partItemName(const QByteArray &item);
// A Part command as the program names it ("Measure", "Cancel"), matched without regard to
// case; empty when it is neither.
QString partCommandName(const QByteArray &command);

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
