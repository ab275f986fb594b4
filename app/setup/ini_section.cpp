#include "setup/ini_section.h"

#include "base/text_lines.h"

namespace zelapp {

QString iniSectionOf(const QString &line) {
    const QString t = line.trimmed();
    return t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))
               ? t
               : QString();
}

std::optional<IniKeyValue> iniKeyValueOf(const QString &line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0 || line.left(eq).trimmed().isEmpty()) {
        return std::nullopt;
    }
    return IniKeyValue{line.left(eq).trimmed(), line.mid(eq + 1).trimmed()};
}

void forEachIniLine(const QByteArray &bytes, const QString &header,
                    const std::function<void(int lineNumber, const QString &line,
                                             const std::optional<IniKeyValue> &keyValue)> &visit) {
    bool inSection = false;
    int number = 0;
    for (const QString &line : textLines(bytes)) {
        ++number;
        const QString section = iniSectionOf(line);
        if (!section.isEmpty()) {
            inSection = section.compare(header, Qt::CaseInsensitive) == 0;
            continue;
        }
        const QString t = line.trimmed();
        if (!inSection || t.isEmpty() || t.startsWith(QLatin1Char(';')) ||
            t.startsWith(QLatin1Char('#'))) {
            continue;
        }
        visit(number, line, iniKeyValueOf(line));
    }
}

QByteArray mergeIniSection(const QByteArray &existing, const QString &header,
                           const std::function<bool(const QString &line)> &isOurs,
                           const QByteArray &body) {
    QByteArray out;
    bool inSection = false;
    bool written = false;
    bool lastEnded = true;
    for (const RawLine &line : rawLines(existing)) {
        const QString text = QString::fromLatin1(line.text);
        const QString section = iniSectionOf(text);
        if (!section.isEmpty()) {
            inSection = section.compare(header, Qt::CaseInsensitive) == 0;
        }
        if (inSection && section.isEmpty() && isOurs(text)) {
            continue;
        }
        out += line.text;
        out += line.end;
        lastEnded = !line.end.isEmpty();
        if (inSection && !section.isEmpty() && !written) {
            if (!lastEnded) {
                out += "\r\n";
                lastEnded = true;
            }
            out += body;
            written = true;
        }
    }
    // Nothing to say adds no empty section.
    if (!written && !body.isEmpty()) {
        if (!lastEnded) {
            out += "\r\n";
        }
        out += header.toLatin1() + "\r\n" + body;
    }
    return out;
}

}  // namespace zelapp
