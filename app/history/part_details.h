// What the details of one stored part say, without a widget: the part's own fields and, per
// characteristic, the revision that judged it (its formula, decimals, units and four limits)
// beside the value and verdict stored with the part.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "history/part_store.h"

namespace zelapp {

struct PartDetails {
    std::vector<std::pair<QString, QString>> fields;  // label, text
    QStringList headers;                              // of the characteristics' table
    std::vector<QStringList> rows;                    // one per stored value
};

PartDetails partDetails(const StoredPart &part,
                        const std::vector<RevisionCharacteristic> &revision);

}  // namespace zelapp
