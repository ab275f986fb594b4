#include "core/ini_file.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <limits>
#include <optional>

#include "base/runtime_text.h"
#include "base/text_lines.h"
#include "base/whole_file.h"
#include "model/single_range.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

struct IntegerKey {
    QLatin1StringView key;
    int AppState::*setting;
    bool count;  // a number of items, 0..kMaxItemCount
};

// "MoxBaseAdr" and "DDEEnabled" are accepted too, with nothing to set; "MoxFirmware" names the
// firmware file the about window shows, and is never written back.
constexpr IntegerKey kIntegerKeys[] = {
    {"MaxChannel"_L1, &AppState::MaxChannel, true}, {"MaxLVDT"_L1, &AppState::MaxLvdt, true},
    {"MaxAnalog"_L1, &AppState::MaxAnalog, true},   {"MaxDigital"_L1, &AppState::MaxDigital, true},
    {"MaxStrain"_L1, &AppState::MaxStrain, true},   {"Decimals"_L1, &AppState::Decimals, false},
    {"ScanTime"_L1, &AppState::ScanTime, false},    {"ADCAverage"_L1, &AppState::ADCAverage, false},
    {"RunAvg"_L1, &AppState::RunAvg, false},
};

const IntegerKey *integerKey(QStringView key) {
    for (const IntegerKey &entry : kIntegerKeys) {
        if (key == entry.key) {
            return &entry;
        }
    }
    return nullptr;
}

void applyLine(const QString &line, AppState &state) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return;
    }
    const QStringView key = QStringView(line).left(equals);
    const double number = rt::leadingNumber(line.mid(equals + 1));

    if (const IntegerKey *entry = integerKey(key)) {
        // A wrapped number would silently be some other setup, and a count the unit cannot
        // number is no setup at all; keeping the setting is safer.
        const std::optional<int> value = rt::toInteger16(number);
        if (value && (!entry->count || isItemCount(*value))) {
            state.*entry->setting = *value;
        }
    } else if (key == u"MoxFirmware") {
        state.FirmwareFileName = line.mid(equals + 1).trimmed();
    } else if (key == u"LvdtFSV") {
        if (fitsSingle(number)) {
            state.LvdtFSV = static_cast<float>(number);
        }
    }
}

}  // namespace

void readIniText(const QByteArray &text, AppState &state) {
    for (const QString &line : textLines(text)) {
        applyLine(line, state);
    }
}

ReadOutcome readIniFile(const QString &path, AppState &state) {
    const WholeFile file = readWholeFile(path, std::numeric_limits<qint64>::max());
    if (file.outcome == ReadOutcome::Read) {
        readIniText(file.bytes, state);
    }
    return file.outcome;
}

QByteArray iniFileText(const AppState &state) {
    const QChar point = QLatin1Char('.');
    const QString lines[] = {
        u"[ZELAPP Version 6.01]"_s,
        u"[General Setup]"_s,
        u"MaxChannel="_s + rt::listOutput(state.MaxChannel),
        u"MaxLVDT="_s + rt::listOutput(state.MaxLvdt),
        u"MaxAnalog="_s + rt::listOutput(state.MaxAnalog),
        u"LvdtFSV= "_s + rt::listOutput(state.LvdtFSV, point),
        u"Decimals= "_s + rt::listOutput(state.Decimals),
        u"ScanTime= "_s + rt::listOutput(state.ScanTime),
        u"ADCAverage= "_s + rt::listOutput(state.ADCAverage),
        u"RunAvg= "_s + rt::listOutput(state.RunAvg),
        QString(),
    };
    QByteArray text;
    for (const QString &line : lines) {
        text += line.toLatin1();
        text += "\r\n";
    }
    return text;
}

bool writeIniFile(const QString &path, const AppState &state, QString *error) {
    // As every file of the program: through a temporary copy, which also clears the copies a
    // killed write left beside it.
    const QString reason = saveWholeFile(path, iniFileText(state));
    if (reason.isEmpty()) {
        return true;
    }
    if (error != nullptr) {
        *error = u"Cannot write "_s + path + u": "_s + reason;
    }
    return false;
}

}  // namespace zelapp
