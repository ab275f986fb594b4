// The forms the parts leave the program in as CSV. "Standard" is the one other programs read:
// comma, "." and UTF-8. "Spreadsheet" is for a spreadsheet opened with a double click: semicolon
// (a spreadsheet in a decimal-comma locale splits on it), the decimal separator of the user's
// locale, and UTF-8 with a byte-order mark (without one such a spreadsheet reads "ä" as two
// characters). A locale whose separator is "." keeps the semicolon: one profile, one column
// separator, whatever the machine. Only the separators change: the digits stay the results'.
// The choice is the user's, kept in the per-user settings store ("History", "CsvProfile":
// "standard" or "spreadsheet").
#pragma once

#include <QLocale>
#include <QString>

namespace zelapp {

class SettingsStore;

enum class CsvProfileKind { Standard, Spreadsheet };

struct CsvProfile {
    QChar separator = u',';
    QString decimalPoint = QStringLiteral(".");
    bool byteOrderMark = false;
    bool operator==(const CsvProfile &) const = default;
};

// The profile's separators in `locale`.
CsvProfile csvProfile(CsvProfileKind kind, const QLocale &locale = QLocale());
// "Standard", "Spreadsheet": as the export offers them.
QString csvProfileName(CsvProfileKind kind);

// The stored choice; a value that is neither word gives "standard".
CsvProfileKind readCsvProfileKind(const SettingsStore &store);
// Written and synced at once.
void writeCsvProfileKind(SettingsStore &store, CsvProfileKind kind);

}  // namespace zelapp
