#include "setup/part_file.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <vector>

#include "base/runtime_text.h"
#include "base/text_lines.h"
#include "base/whole_file.h"

namespace zelapp {

namespace {
constexpr qint64 kMostPartFileBytes = 1024 * 1024;
const QString kSection = QStringLiteral("[Mastered]");
const QString kInterval = QStringLiteral("Interval");

// A section header "[Name]", blanks around allowed; empty for any other line.
QString sectionOf(const QString &line) {
    const QString t = line.trimmed();
    return t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))
               ? t
               : QString();
}

bool isMasteredSection(const QString &header) {
    return header.compare(kSection, Qt::CaseInsensitive) == 0;
}

// The channel of a "C<n>" key; 0 for any other key.
int channelOfKey(const QString &key) {
    if (key.size() < 2 || key.size() > 6 || key[0].toUpper() != QLatin1Char('C')) {
        return 0;
    }
    bool ok = false;
    const int n = key.mid(1).toInt(&ok);
    return ok && n >= 1 && key[1] != QLatin1Char('+') ? n : 0;
}

struct KeyValue {
    QString key;
    QString value;
};

std::optional<KeyValue> keyValueOf(const QString &line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) {
        return std::nullopt;
    }
    return KeyValue{line.left(eq).trimmed(), line.mid(eq + 1).trimmed()};
}

// Whether a line of the section is one this file writes (and so replaces).
bool isOurs(const QString &line) {
    const std::optional<KeyValue> kv = keyValueOf(line);
    return kv &&
           (channelOfKey(kv->key) > 0 || kv->key.compare(kInterval, Qt::CaseInsensitive) == 0);
}

QByteArray sectionBody(const PartMastering &mastering) {
    QByteArray out;
    if (mastering.intervalHours) {
        out +=
            (kInterval + QLatin1Char('=') + rt::defaultText(*mastering.intervalHours)).toLatin1() +
            "\r\n";
    }
    for (const auto &[channel, when] : mastering.mastered) {
        if (!when.isValid()) {
            continue;
        }
        // Kept with its offset, so the file reads the same in any time zone.
        const QDateTime stamped = when.toOffsetFromUtc(when.offsetFromUtc());
        out += QStringLiteral("C%1=%2")
                   .arg(channel)
                   .arg(stamped.toString(Qt::ISODateWithMs))
                   .toLatin1() +
               "\r\n";
    }
    return out;
}
}  // namespace

QString partFilePath(const QString &setupPath) {
    const QFileInfo info(setupPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".zpart"));
}

PartMastering parsePartMastering(const QByteArray &bytes) {
    PartMastering result;
    bool inSection = false;
    for (const QString &line : textLines(bytes)) {
        const QString header = sectionOf(line);
        if (!header.isEmpty()) {
            inSection = isMasteredSection(header);
            continue;
        }
        const std::optional<KeyValue> kv = inSection ? keyValueOf(line) : std::nullopt;
        if (!kv) {
            continue;
        }
        if (kv->key.compare(kInterval, Qt::CaseInsensitive) == 0) {
            const std::optional<double> hours = rt::localeReal(kv->value, QLocale::c());
            if (hours && *hours > 0) {
                result.intervalHours = *hours;
            }
            continue;
        }
        const int channel = channelOfKey(kv->key);
        const QDateTime when = QDateTime::fromString(kv->value, Qt::ISODateWithMs);
        if (channel > 0 && when.isValid()) {
            result.mastered[channel] = when;
        }
    }
    return result;
}

QByteArray mergePartMastering(const QByteArray &existing, const PartMastering &mastering) {
    QByteArray out;
    bool inSection = false;
    bool written = false;
    bool lastEnded = true;
    for (const RawLine &line : rawLines(existing)) {
        const QString text = QString::fromLatin1(line.text);
        const QString header = sectionOf(text);
        if (!header.isEmpty()) {
            inSection = isMasteredSection(header);
        }
        if (inSection && isOurs(text)) {
            continue;
        }
        out += line.text;
        out += line.end;
        lastEnded = !line.end.isEmpty();
        if (inSection && !header.isEmpty() && !written) {
            if (!lastEnded) {
                out += "\r\n";
                lastEnded = true;
            }
            out += sectionBody(mastering);
            written = true;
        }
    }
    if (!written) {
        if (!lastEnded) {
            out += "\r\n";
        }
        out += kSection.toLatin1() + "\r\n" + sectionBody(mastering);
    }
    return out;
}

PartMastering readPartMastering(const QString &setupPath, QString *error) {
    const WholeFile file = readWholeFile(partFilePath(setupPath), kMostPartFileBytes);
    if (file.outcome == ReadOutcome::Read) {
        return parsePartMastering(file.bytes);
    }
    if (error != nullptr && file.outcome != ReadOutcome::Missing) {
        *error = file.outcome == ReadOutcome::NotAFile   ? notAFileMessage(partFilePath(setupPath))
                 : file.outcome == ReadOutcome::TooLarge ? QStringLiteral("It is too large.")
                                                         : file.reason;
    }
    return {};
}

QString writePartMastering(const QString &setupPath, const PartMastering &mastering) {
    const QString path = partFilePath(setupPath);
    const WholeFile file = readWholeFile(path, kMostPartFileBytes);
    switch (file.outcome) {
        case ReadOutcome::Read:
        case ReadOutcome::Missing:
            return saveWholeFile(path, mergePartMastering(file.bytes, mastering));
        case ReadOutcome::NotAFile:
            return notAFileMessage(path);
        case ReadOutcome::TooLarge:
            return QStringLiteral("It is too large to be a part file.");
        case ReadOutcome::Failed:
            break;
    }
    // A file that cannot be read is not replaced: the sections of others would be lost.
    return file.reason;
}

}  // namespace zelapp
