// What the operator recorded about a characteristic's process (history/part_event.h), in the
// parts history. A view over a PartStore's connection: it holds nothing of its own, and the store
// must outlive it. A file of schema 1 opened read-only has no events.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "history/part_event.h"
#include "history/store_failure.h"

namespace zelapp {

class PartStore;

class PartEvents {
  public:
    explicit PartEvents(PartStore &store) : store_(store) {}

    // Stores the event in its own transaction and gives it its id.
    std::optional<StoreFailure> addEvent(PartEvent &event);
    // Stores the events in one transaction, all or none, and gives each its id.
    std::optional<StoreFailure> addEvents(std::vector<PartEvent> &events);
    // The events of one characteristic of one part number, oldest first.
    std::vector<PartEvent> events(const QString &partNumber, int channel,
                                  std::optional<StoreFailure> *failure);

  private:
    PartStore &store_;
};

}  // namespace zelapp
