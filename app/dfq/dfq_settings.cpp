#include "dfq/dfq_settings.h"

#include <QFileInfo>

#include "base/settings_store.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {
const QString kResults = u"Results"_s;
}  // namespace

DfqSettings readDfqSettings(const QString &settingsFile) {
    if (settingsFile.isEmpty() || !QFileInfo::exists(settingsFile)) {
        return {};
    }
    return readDfqSettings(QSettingsStore(settingsFile));
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

}  // namespace zelapp
