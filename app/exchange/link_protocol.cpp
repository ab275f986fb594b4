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

int itemChannel(const QByteArray &item) {
    static constexpr char prefix[] = "labelchan(";
    constexpr qsizetype prefixSize = sizeof(prefix) - 1;
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

bool isServedTopic(const QByteArray &topic) {
    return topic.compare(kTopic, Qt::CaseInsensitive) == 0;
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
