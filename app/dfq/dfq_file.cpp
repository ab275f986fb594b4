#include "dfq/dfq_file.h"

namespace zelapp {

// Placeholder until the format is written.
QByteArray dfqFile(const std::vector<RevisionCharacteristic> &, const std::vector<StoredPart> &,
                   DfqEncoding) {
    return {};
}

QString dfqFileName(const StoredPart &) {
    return {};
}

}  // namespace zelapp
