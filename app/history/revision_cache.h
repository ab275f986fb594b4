// The revisions that judged the parts being read, each read from the store once: a page of a
// thousand parts has most often one revision.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "history/part_store.h"

namespace zelapp {

class RevisionCache {
  public:
    explicit RevisionCache(PartStore &store) : store_(store) {}

    // The revision's characteristics in order; nullptr when the store could not read them
    // (`failure` then says why). A revision the file does not hold is empty.
    const std::vector<RevisionCharacteristic> *get(qint64 id, std::optional<StoreFailure> *failure);
    // The revision when it was read before; nullptr otherwise.
    const std::vector<RevisionCharacteristic> *cached(qint64 id) const;
    // Forgets every revision (another file is read).
    void clear() { revisions_.clear(); }

  private:
    PartStore &store_;
    std::map<qint64, std::vector<RevisionCharacteristic>> revisions_;
};

// The characteristic of `channel` in a revision; nullptr when it has none.
const RevisionCharacteristic *characteristicOf(const std::vector<RevisionCharacteristic> &revision,
                                               int channel);

}  // namespace zelapp
