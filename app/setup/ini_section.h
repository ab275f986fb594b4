// The INI-style sections of the part file (setup/part_file.h), as each of its owners reads and
// writes its own: a section is found by its "[Name]" header without regard to case, its lines
// are "Key=Value" with blanks around either allowed, and a writer replaces only its own lines of
// its own section, giving every other byte of the file back as it came.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace zelapp {

// A section header "[Name]", blanks around allowed; empty for any other line.
QString iniSectionOf(const QString &line);

struct IniKeyValue {
    QString key;    // trimmed
    QString value;  // trimmed
};
// The key and value of a "Key=Value" line; nothing when the line has no key before an "=".
std::optional<IniKeyValue> iniKeyValueOf(const QString &line);

// Each line of the section `header` ("[Name]") in `bytes`, with its number in the file
// (counted from 1) and its key and value when it has them. Blank lines and comments (starting
// with ";" or "#") are passed over.
void forEachIniLine(const QByteArray &bytes, const QString &header,
                    const std::function<void(int lineNumber, const QString &line,
                                             const std::optional<IniKeyValue> &keyValue)> &visit);

// `existing` with the lines of section `header` for which `isOurs` holds replaced by `body`
// (whole lines ending in CR LF), written just below the section's header; a file without the
// section gets it appended unless `body` is empty. Every other line stays with its own ending.
QByteArray mergeIniSection(const QByteArray &existing, const QString &header,
                           const std::function<bool(const QString &line)> &isOurs,
                           const QByteArray &body);

}  // namespace zelapp
