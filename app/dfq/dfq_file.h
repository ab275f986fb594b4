// The Q-DAS ASCII transfer format (DFQ, K-field mode) as this station writes it for a plant's
// quality system: one block of part and characteristic fields, then each part's value lines in
// the order measured. docs/dfq.md has the fields and an example. Pure functions, Qt Core only.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "history/part_store.h"

namespace zelapp {

enum class DfqEncoding {
    Windows1252,  // the default: a character it lacks becomes "?"
    Utf8,
};

// One file: parts of one part number and one revision, in the order measured (at least one).
// `characteristics` is that revision, in the part program's order. Lines end in CR LF.
QByteArray dfqFile(const std::vector<RevisionCharacteristic> &characteristics,
                   const std::vector<StoredPart> &parts, DfqEncoding encoding);

// "<part number>_<yyyyMMdd-HHmmss>_<serial>.dfq" of a file whose first part is `first`, in the
// local time of that part; characters a file name may not hold become "_".
QString dfqFileName(const StoredPart &first);

}  // namespace zelapp
