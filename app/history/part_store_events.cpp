#include "history/part_store.h"

namespace zelapp {

// Placeholder until the events and the channel values are read.
std::optional<StoreFailure> PartStore::addEvent(PartEvent &) {
    return std::nullopt;
}

std::vector<PartEvent> PartStore::events(const QString &, int, std::optional<StoreFailure> *) {
    return {};
}

std::vector<PartStore::ChannelValue> PartStore::channelValues(int, const PartFilter &,
                                                              std::optional<StoreFailure> *) {
    return {};
}

}  // namespace zelapp
