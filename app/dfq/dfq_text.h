// The texts of a DFQ file: cleaned so that one stays on its line, cut to a field's length and
// encoded in Windows-1252 (by a table of our own, so that no codec plug-in is needed) or UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

#include "dfq/dfq_file.h"

namespace zelapp {

// Line breaks, tabs and every other control character become a blank.
QString dfqCleanText(const QString &text);

// The first `count` characters; a character outside the Basic Multilingual Plane counts as one
// and is never split.
QString dfqLeftChars(const QString &text, int count);

// Windows-1252: Latin-1 and the 0x80-0x9F characters, anything else "?". UTF-8: no BOM.
QByteArray dfqEncode(const QString &text, DfqEncoding encoding);

}  // namespace zelapp
