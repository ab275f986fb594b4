#include "unit.h"

#include <algorithm>
#include <cstring>

#include "protocol.h"

namespace zelunit {

Unit::Unit(const UnitConfig &config, SignalSource &source, CalibrationStore &store)
    : storeSeconds_(config.storeSeconds),
      source_(source),
      storage_(store),
      inputs_(config.probes, config.analogs),
      channels_(config.table,
                FormulaLimits{inputs_.probes(), inputs_.analogs(), config.table.channels}) {}

std::string Unit::powerOn() {
    std::string warning;
    if (!storage_.load(&stored_, &warning)) {
        stored_.clear();
    } else {
        warning.clear();
    }
    for (int n = 1; n <= inputs_.probes(); ++n) {
        const auto found = stored_.find(n);
        inputs_.setAmplifier(n, found != stored_.end() ? found->second : kNominalAmplifier);
    }
    return warning;
}

std::uint8_t Unit::startStore(double seconds) {
    advance(seconds);
    if (store_.busy) {
        return 1;
    }
    // The settings as they are now are what gets stored, whatever changes while it runs.
    store_.snapshot = stored_;
    for (int n = 1; n <= inputs_.probes(); ++n) {
        store_.snapshot[n] = inputs_.amplifier(n);
    }
    store_.busy = true;
    store_.due = seconds + storeSeconds_;
    store_.error = 0;
    advance(seconds);
    return 0;
}

void Unit::advance(double seconds) {
    if (!store_.busy || seconds < store_.due) {
        return;
    }
    store_.busy = false;
    if (failNextStore_ != 0) {
        store_.error = failNextStore_;
        failNextStore_ = 0;
        return;
    }
    store_.error = storage_.save(store_.snapshot);
    if (store_.error == 0) {
        stored_ = store_.snapshot;
    }
}

void Unit::scan(double seconds) {
    inputs_.sample(source_, seconds);
    channels_.evaluate(inputs_.probeReadings(), inputs_.analogReadings());
}

void Unit::memoryImage(std::uint8_t *image, std::size_t size) const {
    // A small information block at address 0; the rest of the address space reads 0.
    static constexpr char kIdentity[] = "ZEL-8 unit emulator 1.0";
    std::memset(image, 0, size);
    std::memcpy(image, kIdentity, sizeof kIdentity);
    std::uint8_t *p = image + 32;
    p[0] = static_cast<std::uint8_t>(inputs_.probes());
    p[1] = static_cast<std::uint8_t>(inputs_.analogs());
    p[2] = static_cast<std::uint8_t>(channels_.limits().channels);
    p[3] = static_cast<std::uint8_t>(std::min(channels_.limits().entries, 255));
    zelproto::putU16(p + 4, static_cast<std::uint16_t>(
                                std::min<std::size_t>(channels_.limits().memoryBytes, 65535)));
    zelproto::putU16(
        p + 6, static_cast<std::uint16_t>(std::min<std::size_t>(channels_.memoryUsed(), 65535)));
    p[8] = static_cast<std::uint8_t>(channels_.definedCount());
    p[9] = scanning_ ? 1 : 0;
    zelproto::putU16(p + 10, static_cast<std::uint16_t>(scanTime_));
    zelproto::putU16(p + 12, static_cast<std::uint16_t>(inputs_.adcAverage()));
    zelproto::putU16(p + 14, static_cast<std::uint16_t>(inputs_.runningAverage()));
}

}  // namespace zelunit
