#include "history/csv_profile.h"

#include "base/settings_store.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {
const QString kSection = u"History"_s;
const QString kKey = u"CsvProfile"_s;
}  // namespace

CsvProfile csvProfile(CsvProfileKind kind, const QLocale &locale) {
    if (kind == CsvProfileKind::Standard) {
        return {};
    }
    return {u';', locale.decimalPoint(), true};
}

QString csvProfileName(CsvProfileKind kind) {
    return kind == CsvProfileKind::Spreadsheet ? u"Spreadsheet"_s : u"Standard"_s;
}

CsvProfileKind readCsvProfileKind(const SettingsStore &store) {
    return store.value(kSection, kKey).trimmed().toLower() == u"spreadsheet"_s
               ? CsvProfileKind::Spreadsheet
               : CsvProfileKind::Standard;
}

void writeCsvProfileKind(SettingsStore &store, CsvProfileKind kind) {
    store.setValue(kSection, kKey,
                   kind == CsvProfileKind::Spreadsheet ? u"spreadsheet"_s : u"standard"_s);
    store.sync();
}

}  // namespace zelapp
