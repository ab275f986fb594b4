#include "part/part_settings.h"

#include <limits>

#include <QDir>

#include "base/settings_store.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

const QString kSection = u"Parts"_s;
const QString kResults = u"Results"_s;

// The stored value as a whole number in 16 bits; false when it is not one.
bool readInteger16(const SettingsStore &store, const QString &key, int &out) {
    bool ok = false;
    const int value = store.value(kSection, key).trimmed().toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max()) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

PartSettings readPartSettings(const SettingsStore &store) {
    PartSettings settings;
    const QString palette = store.value(kSection, u"Palette"_s).trimmed().toLower();
    if (palette == u"okabe-ito"_s) {
        settings.palette = ResultPalette::OkabeIto;
    }
    const QString beep = store.value(kSection, u"Beep"_s).trimmed().toLower();
    if (beep == u"false"_s) {
        settings.beep = false;
    }
    return settings;
}

void writePartSettings(SettingsStore &store, const PartSettings &settings) {
    store.setValue(kSection, u"Palette"_s,
                   settings.palette == ResultPalette::OkabeIto ? u"okabe-ito"_s : u"standard"_s);
    store.setValue(kSection, u"Beep"_s, settings.beep ? u"true"_s : u"false"_s);
    store.sync();
}

ResultsSettings readResultsSettings(const SettingsStore &store) {
    return {store.value(kResults, u"Database"_s).trimmed(),
            store.value(kResults, u"Station"_s).trimmed()};
}

void writeResultsSettings(SettingsStore &store, const ResultsSettings &settings) {
    store.setValue(kResults, u"Database"_s, settings.database.trimmed());
    store.setValue(kResults, u"Station"_s, settings.station.trimmed());
    store.sync();
}

DfqSettings readDfqSettings(const SettingsStore &store) {
    DfqSettings settings;
    settings.folder = store.value(kResults, u"DfqFolder"_s).trimmed();
    const QString encoding = store.value(kResults, u"DfqEncoding"_s).trimmed().toLower();
    if (encoding == u"utf-8"_s) {
        settings.encoding = DfqEncoding::Utf8;
    }
    const QString files = store.value(kResults, u"DfqFiles"_s).trimmed().toLower();
    if (files == u"hour"_s) {
        settings.files = DfqFiles::PerHour;
    }
    return settings;
}

void writeDfqSettings(SettingsStore &store, const DfqSettings &settings) {
    store.setValue(kResults, u"DfqFolder"_s, settings.folder.trimmed());
    store.setValue(kResults, u"DfqEncoding"_s,
                   settings.encoding == DfqEncoding::Utf8 ? u"utf-8"_s : u"windows-1252"_s);
    store.setValue(kResults, u"DfqFiles"_s,
                   settings.files == DfqFiles::PerHour ? u"hour"_s : u"part"_s);
    store.sync();
}

ResultsHints resultsHints(const PartsLocation &found, const QString &hostName,
                          const QString &defaultFile) {
    ResultsHints hints{hostName, QDir::toNativeSeparators(defaultFile), {}};
    const bool option = found.source == PartsLocation::Source::Option;
    if (option || found.source == PartsLocation::Source::Environment) {
        hints.overruled = u"Used now: %1 (from %2)"_s.arg(QDir::toNativeSeparators(found.file),
                                                          option ? u"--db"_s : u"ZEL_PARTS_DB"_s);
    }
    return hints;
}

bool partBeeps(const PartResult &part, const PartSettings &settings) {
    const VerdictKind kind = verdictKind(part.verdict);
    return settings.beep && (kind == VerdictKind::Reject || kind == VerdictKind::NotValid);
}

ResultWindowPlace readResultWindowPlace(const SettingsStore &store) {
    ResultWindowPlace out;
    WindowGeometry place;
    if (readInteger16(store, u"ResultTop"_s, place.Top) &&
        readInteger16(store, u"ResultLeft"_s, place.Left) &&
        readInteger16(store, u"ResultHeight"_s, place.Height) &&
        readInteger16(store, u"ResultWidth"_s, place.Width) && place.Height > 0 &&
        place.Width > 0) {
        out.place = place;
    }
    const QString show = store.value(kSection, u"ResultShow"_s).trimmed().toLower();
    if (show == u"maximized"_s) {
        out.show = ResultWindowShow::Maximized;
    } else if (show == u"fullscreen"_s) {
        out.show = ResultWindowShow::FullScreen;
    }
    return out;
}

void writeResultWindowPlace(SettingsStore &store, const ResultWindowPlace &place) {
    if (place.place.Height > 0 && place.place.Width > 0) {
        store.setValue(kSection, u"ResultTop"_s, QString::number(place.place.Top));
        store.setValue(kSection, u"ResultLeft"_s, QString::number(place.place.Left));
        store.setValue(kSection, u"ResultHeight"_s, QString::number(place.place.Height));
        store.setValue(kSection, u"ResultWidth"_s, QString::number(place.place.Width));
    }
    const QString show = place.show == ResultWindowShow::Maximized    ? u"maximized"_s
                         : place.show == ResultWindowShow::FullScreen ? u"fullscreen"_s
                                                                      : u"normal"_s;
    store.setValue(kSection, u"ResultShow"_s, show);
    store.sync();
}

}  // namespace zelapp
