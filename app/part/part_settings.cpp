#include "part/part_settings.h"

#include <limits>

#include "base/settings_store.h"
#include "model/palette_setting.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

const QString kSection = u"Parts"_s;

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
    settings.palette = storedPalette(store).value_or(ResultPalette::Standard);
    const QString beep = store.value(kSection, u"Beep"_s).trimmed().toLower();
    if (beep == u"false"_s) {
        settings.beep = false;
    }
    return settings;
}

void writePartSettings(SettingsStore &store, const PartSettings &settings) {
    storePalette(store, settings.palette);
    store.setValue(kSection, u"Beep"_s, settings.beep ? u"true"_s : u"false"_s);
    store.sync();
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
