// The channels, probes and analog inputs the unit refused a request for, with the unit's status,
// put in as few lines as the operator needs to read: "Channels 9 to 10: Bad channel number".
// A stretch of requests that the unit refuses item after item (a setup for more channels than
// the unit has) is told in one message, not one per request.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace zelapp {

class RefusedItems {
  public:
    enum class Item { Channel, Probe, Analog };

    // A later refusal of the same item replaces the earlier.
    void add(Item item, int number, int32_t status);
    bool empty() const { return refused_.empty(); }
    void clear() { refused_.clear(); }

    // One line per kind of item and status, items in ascending order, runs of consecutive
    // numbers as "a to b": "Channel 3: Bad formula", "Probes 9 to 12, 14: Bad probe number".
    QStringList lines() const;

  private:
    std::map<std::pair<Item, int>, int32_t> refused_;
};

}  // namespace zelapp
