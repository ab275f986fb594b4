#include "history/revision_cache.h"

namespace zelapp {

const std::vector<RevisionCharacteristic> *RevisionCache::get(
    qint64 id, std::optional<StoreFailure> *failure) {
    const auto known = revisions_.find(id);
    if (known != revisions_.end()) {
        return &known->second;
    }
    std::optional<StoreFailure> readFailure;
    std::vector<RevisionCharacteristic> revision = store_.revision(id, &readFailure);
    if (readFailure) {
        *failure = readFailure;
        return nullptr;
    }
    return &revisions_.emplace(id, std::move(revision)).first->second;
}

const std::vector<RevisionCharacteristic> *RevisionCache::cached(qint64 id) const {
    const auto known = revisions_.find(id);
    return known != revisions_.end() ? &known->second : nullptr;
}

const RevisionCharacteristic *characteristicOf(const std::vector<RevisionCharacteristic> &revision,
                                               int channel) {
    for (const RevisionCharacteristic &characteristic : revision) {
        if (characteristic.channel == channel) {
            return &characteristic;
        }
    }
    return nullptr;
}

}  // namespace zelapp
