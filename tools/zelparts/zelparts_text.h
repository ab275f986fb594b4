// What zelparts prints for a part: the tab-separated line of `list` and the page of `show`.
#pragma once

#include <QString>
#include <vector>

#include "history/part_store.h"

namespace zelparts {

// Tabs and line breaks become blanks, so that a field stays in its line and column.
QString oneLine(QString text);

// id, time, part number, serial, verdict, then "C<n>=<value>" per characteristic in the part
// program's order at the decimals of `revision` (the one that judged the part); tabs and line
// breaks inside a text become blanks so that a line stays one part. Ends with "\n".
QString listLine(const zelapp::StoredPart &part,
                 const std::vector<zelapp::RevisionCharacteristic> &revision);

// The part's fields, then per characteristic what judged it and what it measured.
QString showText(const zelapp::StoredPart &part,
                 const std::vector<zelapp::RevisionCharacteristic> &revision);

}  // namespace zelparts
