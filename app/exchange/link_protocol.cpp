#include "exchange/link_protocol.h"

namespace zelapp::link {

Line splitLine(QByteArray line) {
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    Line result;
    const qsizetype tab = line.indexOf('\t');
    if (tab < 0) {
        result.verb = line;
        return result;
    }
    result.verb = line.left(tab);
    result.argument = line.mid(tab + 1);
    result.hasArgument = true;
    return result;
}

QByteArray fields(const QByteArray &first, const QByteArray &second) {
    QByteArray line;
    line.reserve(first.size() + second.size() + 2);
    line.append(first).append('\t').append(second);
    return line;
}

QByteArray fields(const QByteArray &first, const QByteArray &second, const QByteArray &third) {
    QByteArray line;
    line.reserve(first.size() + second.size() + third.size() + 3);
    line.append(first).append('\t').append(second).append('\t').append(third);
    return line;
}

QByteArray reply(const QByteArray &first, const QByteArray &second) {
    return fields(first, second).append('\n');
}

QByteArray reply(const QByteArray &first, const QByteArray &second, const QByteArray &third) {
    return fields(first, second, third).append('\n');
}

QByteArray reply(const QByteArray &first, const QByteArray &second, const QByteArray &third,
                 const QByteArray &fourth) {
    return fields(first, second, third).append('\t').append(fourth).append('\n');
}

QByteArray dataLine(const QByteArray &item, const QByteArray &text) {
    return reply(kData, item, text);
}

QByteArray toWire(const QString &text) {
    return text.toLatin1();
}

QString fromWire(const QByteArray &bytes) {
    return QString::fromLatin1(bytes);
}

QString itemName(int channel) {
    return QStringLiteral("labelChan(%1)").arg(channel);
}

namespace {

// The n of "prefix(n)", the prefix in lower case and matched without regard to case; 0 when the
// item is not of that form.
int indexedItem(const QByteArray &item, const char *prefix) {
    const qsizetype prefixSize = qstrlen(prefix);
    if (item.size() < prefixSize + 2 || !item.endsWith(')') ||
        item.left(prefixSize).toLower() != prefix) {
        return 0;
    }
    const QByteArray digits = item.mid(prefixSize, item.size() - prefixSize - 1);
    // Plain decimal as the program writes it: no sign, blank or leading zero.
    if (digits.size() > 5 || digits.front() == '0') {
        return 0;
    }
    int channel = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        channel = channel * 10 + (c - '0');
    }
    return channel <= 32767 ? channel : 0;
}

bool sameName(const QByteArray &text, const char *name) {
    return text.compare(name, Qt::CaseInsensitive) == 0;
}

}  // namespace

int itemChannel(const QByteArray &item) {
    return indexedItem(item, "labelchan(");
}

Topic topicNamed(const QByteArray &topic) {
    if (sameName(topic, kTopic)) {
        return Topic::Display;
    }
    return sameName(topic, kPartTopic) ? Topic::Part : Topic::None;
}

QString resultItemName(int channel) {
    return QStringLiteral("result(%1)").arg(channel);
}

int resultChannel(const QByteArray &item) {
    return indexedItem(item, "result(");
}

QString partItemName(const QByteArray &item) {
    for (const char *name :
         {kStateItem, kVerdictItem, kCountItem, kReasonItem, kIdItem, kRecordedItem}) {
        if (sameName(item, name)) {
            return QString::fromLatin1(name);
        }
    }
    const int channel = resultChannel(item);
    return channel > 0 ? resultItemName(channel) : QString();
}

QString partCommandName(const QByteArray &command) {
    for (const char *name : {kMeasure, kCancel}) {
        if (sameName(command, name)) {
            return QString::fromLatin1(name);
        }
    }
    return {};
}

bool parseLinkName(const QString &text, LinkName *link) {
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar <= 0) {
        return false;
    }
    const qsizetype bang = text.indexOf(QLatin1Char('!'), bar + 1);
    if (bang < 0 || bang == bar + 1 || bang == text.size() - 1) {
        return false;
    }
    link->service = text.left(bar);
    link->topic = text.mid(bar + 1, bang - bar - 1);
    link->item = text.mid(bang + 1);
    return true;
}

QString linkNameText(const LinkName &link) {
    return link.service + QLatin1Char('|') + link.topic + QLatin1Char('!') + link.item;
}

}  // namespace zelapp::link
