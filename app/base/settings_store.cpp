#include "base/settings_store.h"

#include <QChar>
#include <QSettings>
#include <QVariant>
#include <limits>

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

QString entryKey(const QString &section, const QString &key) {
    return section + QLatin1Char('/') + key;
}

int storedInteger16(const SettingsStore &store, const QString &key, int fallback) {
    bool ok = false;
    const int value = store.value(u"Settings"_s, key).trimmed().toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max()) {
        return fallback;
    }
    return value;
}

}  // namespace

SettingsStore::~SettingsStore() = default;

QSettingsStore::QSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            u"zelapp"_s, u"zelapp"_s)) {}

QSettingsStore::QSettingsStore(const QString &filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::value(const QString &section, const QString &key) const {
    return settings_->value(entryKey(section, key)).toString();
}

void QSettingsStore::setValue(const QString &section, const QString &key, const QString &value) {
    settings_->setValue(entryKey(section, key), value);
}

bool QSettingsStore::sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString MemorySettingsStore::value(const QString &section, const QString &key) const {
    return entries_.value(entryKey(section, key));
}

void MemorySettingsStore::setValue(const QString &section, const QString &key,
                                   const QString &value) {
    entries_.insert(entryKey(section, key), value);
}

bool MemorySettingsStore::sync() {
    return true;
}

MainPosition readMainPosition(const SettingsStore &store) {
    const MainPosition defaults;
    return {storedInteger16(store, u"MainLeft"_s, defaults.left),
            storedInteger16(store, u"MainTop"_s, defaults.top)};
}

void writeMainPosition(SettingsStore &store, MainPosition position) {
    store.setValue(u"Settings"_s, u"MainLeft"_s, QString::number(position.left));
    store.setValue(u"Settings"_s, u"MainTop"_s, QString::number(position.top));
}

bool readShowBarValues(const SettingsStore &store) {
    return store.value(u"Settings"_s, u"ShowBarValues"_s) == u"1"_s;
}

void writeShowBarValues(SettingsStore &store, bool shown) {
    store.setValue(u"Settings"_s, u"ShowBarValues"_s, shown ? u"1"_s : u"0"_s);
    store.sync();
}

}  // namespace zelapp
