// What the scan tick read for the main displays, for anyone who wants to follow it without a
// read of their own: each value the tick read, as it was shown.
#pragma once

#include <cstdint>

namespace zelapp {

// What the displays last got for one item: nothing since the caches were reset, no reading (a
// channel without a formula, or a read the unit refused), "NO UNIT" (the unit did not answer),
// or a reading. An old value is the last one shown, kept because the tick's time for the unit
// ran out before the item was read.
struct ShownValue {
    enum class Kind : unsigned char { NotShown, NoReading, NoUnit, Reading };
    Kind kind = Kind::NotShown;
    float value = 0;
    bool old = false;
    int32_t refusal = 0;  // the unit's status, for a read it refused
    // NaN readings never equal each other, so they are shown again on every tick.
    bool operator==(const ShownValue &) const = default;
};

// Told at every tick that feeds the main displays, once for each value it read, whether or
// not the value changed since it was last shown; nothing while updating is off or the
// displays are held. A channel without a formula is not read and comes as NoReading; an item
// the tick had no time to read comes old, and is no new measurement.
class ScanObserver {
  public:
    enum class Input { Lvdt, Analog };

    virtual ~ScanObserver() = default;
    // Every channel of the setup, in every view (the value holders show them all).
    virtual void channelRead(int channel, const ShownValue &shown) = 0;
    // The probes or analog inputs of their view.
    virtual void inputRead(Input input, int number, const ShownValue &shown) = 0;
};

}  // namespace zelapp
