#include "dfq_reader.h"

#include <QRegularExpression>
#include <map>

namespace zeltest {

namespace {

QString decode(const QByteArray &bytes, zelapp::DfqEncoding encoding) {
    if (encoding == zelapp::DfqEncoding::Utf8) {
        return QString::fromUtf8(bytes);
    }
    // Windows-1252's characters at 0x80-0x9F; U+FFFD where it has none.
    static const QString high = QStringLiteral(
        "\u20AC\uFFFD\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\uFFFD"
        "\u017D\uFFFD\uFFFD\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A"
        "\u0153\uFFFD\u017E\u0178");
    QString text;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text += b >= 0x80 && b <= 0x9F ? high[b - 0x80] : QChar(char16_t(b));
    }
    return text;
}

struct Reader {
    DfqContent content;
    std::map<int, std::size_t> valuesOf;  // K0001 lines seen per characteristic

    bool fail(const QString &error) {
        content.error = error;
        return false;
    }

    bool characteristicField(int key, int i, const QString &value) {
        if (i < 1 || i > content.count) {
            return fail(QStringLiteral("K%1/%2 beyond K0100").arg(key).arg(i));
        }
        DfqCharacteristic &c = content.characteristics[static_cast<std::size_t>(i - 1)];
        const std::map<int, std::optional<QString> *> fields = {
            {2002, &c.description}, {2022, &c.decimals}, {2101, &c.nominal},
            {2110, &c.lower},       {2111, &c.upper},    {2142, &c.units}};
        if (key == 2001) {
            c.number = value;
        } else if (fields.count(key) != 0) {
            *fields.at(key) = value;
        } else {
            return fail(QStringLiteral("unknown key K%1").arg(key));
        }
        return true;
    }

    bool valueField(int key, int i, const QString &value) {
        if (i < 1 || i > content.count) {
            return fail(
                QStringLiteral("K%1/%2 beyond K0100").arg(key, 4, 10, QLatin1Char('0')).arg(i));
        }
        std::size_t &seen = valuesOf[i];
        if (key == 1) {
            // A repeated K0001/i starts the next part's value of i.
            if (content.parts.size() <= seen) {
                content.parts.emplace_back(static_cast<std::size_t>(content.count));
            }
            content.parts[seen++][static_cast<std::size_t>(i - 1)].value = value;
            return true;
        }
        if (seen == 0) {
            return fail(
                QStringLiteral("K%1/%2 before K0001/%2").arg(key, 4, 10, QLatin1Char('0')).arg(i));
        }
        DfqValue &v = content.parts[seen - 1][static_cast<std::size_t>(i - 1)];
        if (key == 2) {
            bool ok = false;
            v.attribute = value.toInt(&ok);
            return ok || fail(QStringLiteral("attribute \"%1\"").arg(value));
        }
        if (key == 4) {
            v.time = value;
        } else if (key == 14) {
            v.identifier = value;
        } else {
            return fail(QStringLiteral("unknown key K%1").arg(key, 4, 10, QLatin1Char('0')));
        }
        return true;
    }

    bool line(const QString &text) {
        static const QRegularExpression field(QStringLiteral("^K(\\d{4})(?:/(\\d+))? (.*)$"));
        const QRegularExpressionMatch match = field.match(text);
        if (!match.hasMatch()) {
            return fail(QStringLiteral("not a field: \"%1\"").arg(text));
        }
        const int key = match.captured(1).toInt();
        const int index = match.hasCaptured(2) ? match.captured(2).toInt() : 0;
        const QString value = match.captured(3);
        if (key == 100 && index == 0) {
            content.count = value.toInt();
            content.characteristics.resize(static_cast<std::size_t>(std::max(0, content.count)));
            return true;
        }
        if ((key == 1001 || key == 1002) && index == 1) {
            (key == 1001 ? content.partNumber : content.partDescription) = value;
            return true;
        }
        if (index == 0) {
            return fail(QStringLiteral("K%1 without its index").arg(key));
        }
        return key >= 2000 ? characteristicField(key, index, value) : valueField(key, index, value);
    }

    void read(const QString &text) {
        if (!text.isEmpty() && !text.endsWith(u"\r\n")) {
            fail(QStringLiteral("the last line does not end in CR LF"));
            return;
        }
        QStringList lines = text.split(QStringLiteral("\r\n"));
        lines.removeLast();
        for (const QString &l : lines) {
            if (l.contains(QLatin1Char('\r')) || l.contains(QLatin1Char('\n'))) {
                fail(QStringLiteral("a line break inside \"%1\"").arg(l));
                return;
            }
            if (!line(l)) {
                return;
            }
        }
        for (const auto &[i, seen] : valuesOf) {
            if (seen != content.parts.size()) {
                fail(QStringLiteral("characteristic %1 has %2 values for %3 parts")
                         .arg(i)
                         .arg(seen)
                         .arg(content.parts.size()));
                return;
            }
        }
    }
};

}  // namespace

DfqContent readDfq(const QByteArray &bytes, zelapp::DfqEncoding encoding) {
    Reader reader;
    reader.read(decode(bytes, encoding));
    return reader.content;
}

std::optional<double> dfqNumber(const QString &text) {
    static const QRegularExpression fixed(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    if (!fixed.match(text).hasMatch()) {
        return std::nullopt;
    }
    return text.toDouble();
}

}  // namespace zeltest
