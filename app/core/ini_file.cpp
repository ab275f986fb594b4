#include "core/ini_file.h"

#include <QFile>
#include <QLatin1StringView>
#include <QSaveFile>
#include <QString>
#include <QStringView>
#include <cmath>
#include <limits>
#include <optional>

#include "core/runtime_text.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

struct IntegerKey {
    QLatin1StringView key;
    int AppState::*setting;
};

// "MoxBaseAdr", "MoxFirmware" and "DDEEnabled" are accepted too, with nothing to set.
constexpr IntegerKey kIntegerKeys[] = {
    {"MaxChannel"_L1, &AppState::MaxChannel}, {"MaxLVDT"_L1, &AppState::MaxLvdt},
    {"MaxAnalog"_L1, &AppState::MaxAnalog},   {"MaxDigital"_L1, &AppState::MaxDigital},
    {"MaxStrain"_L1, &AppState::MaxStrain},   {"Decimals"_L1, &AppState::Decimals},
    {"ScanTime"_L1, &AppState::ScanTime},     {"ADCAverage"_L1, &AppState::ADCAverage},
    {"RunAvg"_L1, &AppState::RunAvg},
};

int *integerSetting(QStringView key, AppState &state) {
    for (const IntegerKey &entry : kIntegerKeys) {
        if (key == entry.key) {
            return &(state.*entry.setting);
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

    if (int *setting = integerSetting(key, state)) {
        // A wrapped count would silently be some other setup; keeping the setting is safer.
        if (const std::optional<int> value = rt::toInteger16(number)) {
            *setting = *value;
        }
    } else if (key == u"LvdtFSV") {
        if (std::isfinite(number) && std::fabs(number) <= std::numeric_limits<float>::max()) {
            state.LvdtFSV = static_cast<float>(number);
        }
    }
}

}  // namespace

void readIniText(const QByteArray &text, AppState &state) {
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            end = text.size();
        }
        qsizetype length = end - start;
        if (length > 0 && text.at(start + length - 1) == '\r') {
            --length;
        }
        applyLine(QString::fromLatin1(text.constData() + start, length), state);
        start = end + 1;
    }
}

bool readIniFile(const QString &path, AppState &state) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    readIniText(file.readAll(), state);
    return true;
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
    QSaveFile file(path);
    const QByteArray text = iniFileText(state);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error != nullptr) {
            *error = u"Cannot write "_s + path + u": "_s + file.errorString();
        }
        file.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace zelapp
