#include "model/palette_setting.h"

#include "base/settings_store.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {
const QString kSection = u"Parts"_s;
const QString kKey = u"Palette"_s;
}  // namespace

std::optional<ResultPalette> storedPalette(const SettingsStore &store) {
    const QString word = store.value(kSection, kKey).trimmed().toLower();
    if (word == u"okabe-ito"_s) {
        return ResultPalette::OkabeIto;
    }
    if (word == u"standard"_s) {
        return ResultPalette::Standard;
    }
    return std::nullopt;
}

void storePalette(SettingsStore &store, ResultPalette palette) {
    store.setValue(kSection, kKey,
                   palette == ResultPalette::OkabeIto ? u"okabe-ito"_s : u"standard"_s);
}

PaletteSetting::PaletteSetting(SettingsStore &store)
    : store_(store), palette_(storedPalette(store).value_or(ResultPalette::Standard)) {}

bool PaletteSetting::offerDue(const QString &platform) const {
    return platform != u"offscreen"_s && !storedPalette(store_).has_value();
}

void PaletteSetting::choose(ResultPalette palette) {
    storePalette(store_, palette);
    store_.sync();
    if (palette != palette_) {
        palette_ = palette;
        emit changed(palette);
    }
}

}  // namespace zelapp
