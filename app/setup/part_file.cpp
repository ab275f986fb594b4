#include "setup/part_file.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <vector>

#include "base/runtime_text.h"
#include "base/whole_file.h"
#include "setup/ini_section.h"

namespace zelapp {

namespace {
constexpr qint64 kMostPartFileBytes = 1024 * 1024;
const QString kSection = QStringLiteral("[Mastered]");
const QString kInterval = QStringLiteral("Interval");
const QString kUnsavedSuffix = QStringLiteral(".unsaved");

// The channel of a "C<n>" key; 0 for any other key.
int channelOfKey(const QString &key) {
    if (key.size() < 2 || key.size() > 6 || key[0].toUpper() != QLatin1Char('C')) {
        return 0;
    }
    bool ok = false;
    const int n = key.mid(1).toInt(&ok);
    return ok && n >= 1 && key[1] != QLatin1Char('+') ? n : 0;
}

// Whether a line of the section is one this file writes (and so replaces).
bool isOurs(const QString &line) {
    const std::optional<IniKeyValue> kv = iniKeyValueOf(line);
    return kv &&
           (channelOfKey(kv->key) > 0 || kv->key.compare(kInterval, Qt::CaseInsensitive) == 0);
}

void readMasteredLine(const IniKeyValue &kv, PartMastering &result) {
    if (kv.key.compare(kInterval, Qt::CaseInsensitive) == 0) {
        const std::optional<double> hours = rt::localeReal(kv.value, QLocale::c());
        if (hours && *hours > 0) {
            result.intervalHours = *hours;
        }
        return;
    }
    const int channel = channelOfKey(kv.key);
    const QDateTime when = QDateTime::fromString(kv.value, Qt::ISODateWithMs);
    if (channel > 0 && when.isValid()) {
        result.mastered[channel] = when;
    }
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
    const QFileInfo info(
        setupPath.endsWith(kUnsavedSuffix) ? setupPath.chopped(kUnsavedSuffix.size()) : setupPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".zpart"));
}

QString unsavedSetupPath(const QString &setupPath) {
    return setupPath.endsWith(kUnsavedSuffix) ? setupPath : setupPath + kUnsavedSuffix;
}

PartMastering parsePartMastering(const QByteArray &bytes) {
    PartMastering result;
    forEachIniLine(bytes, kSection,
                   [&result](int, const QString &, const std::optional<IniKeyValue> &kv) {
                       if (kv) {
                           readMasteredLine(*kv, result);
                       }
                   });
    return result;
}

QByteArray mergePartMastering(const QByteArray &existing, const PartMastering &mastering) {
    return mergeIniSection(existing, kSection, isOurs, sectionBody(mastering));
}

PartFileBytes readPartFile(const QString &setupPath) {
    const QString path = partFilePath(setupPath);
    WholeFile file = readWholeFile(path, kMostPartFileBytes);
    switch (file.outcome) {
        case ReadOutcome::Read:
            return {std::move(file.bytes), {}, true};
        case ReadOutcome::Missing:
            return {};
        case ReadOutcome::NotAFile:
            return {{}, notAFileMessage(path)};
        case ReadOutcome::TooLarge:
            return {{}, QStringLiteral("It is too large to be a part file.")};
        case ReadOutcome::Failed:
            break;
    }
    return {{}, file.reason};
}

QString updatePartFile(const QString &setupPath,
                       const std::function<QByteArray(const QByteArray &)> &merge) {
    const PartFileBytes file = readPartFile(setupPath);
    // A file that cannot be read is not replaced: the sections of others would be lost.
    if (!file.error.isEmpty()) {
        return file.error;
    }
    const QByteArray merged = merge(file.bytes);
    // Nothing to keep makes no file.
    if (!file.exists && merged.isEmpty()) {
        return {};
    }
    return saveWholeFile(partFilePath(setupPath), merged);
}

PartMastering readPartMastering(const QString &setupPath, QString *error) {
    const PartFileBytes file = readPartFile(setupPath);
    if (error != nullptr) {
        *error = file.error;
    }
    return parsePartMastering(file.bytes);
}

QString writePartMastering(const QString &setupPath, const PartMastering &mastering) {
    return updatePartFile(setupPath, [&mastering](const QByteArray &bytes) {
        return mergePartMastering(bytes, mastering);
    });
}

}  // namespace zelapp
