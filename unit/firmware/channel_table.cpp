#include "channel_table.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol.h"

namespace zelunit {

namespace st = zelproto::status;

ChannelTable::ChannelTable(ChannelTableLimits limits, FormulaLimits formulaLimits)
    : limits_(limits), formulaLimits_(formulaLimits) {
    limits_.channels = std::clamp(limits_.channels, 1, kMaxChannels);
    limits_.entries = std::clamp(limits_.entries, 1, kMaxChannels);
    formulaLimits_.channels = limits_.channels;
}

std::size_t ChannelTable::memoryOf(const Slot &slot) {
    return slot.defined ? slot.text.size() + 1 + slot.formula.codeBytes() : 0;
}

std::uint8_t ChannelTable::define(int n, std::string_view text) {
    if (!hasChannel(n)) {
        return st::BadChannel;
    }
    CompileResult compiled = compileFormula(text, formulaLimits_);
    if (compiled.status != st::Ok) {
        return compiled.status;
    }
    if (wouldCycle(n, compiled.formula.channelRefs)) {
        return st::Circular;
    }
    Slot &slot = slots_[n];
    if (!slot.defined && definedCount() >= limits_.entries) {
        return st::TableFull;
    }
    const std::size_t needed = text.size() + 1 + compiled.formula.codeBytes();
    if (memoryUsed_ - memoryOf(slot) + needed > limits_.memoryBytes) {
        return st::MemoryFull;
    }
    memoryUsed_ -= memoryOf(slot);
    slot.defined = true;
    slot.minMaxPending = true;
    slot.text.assign(text);
    slot.formula = std::move(compiled.formula);
    memoryUsed_ += memoryOf(slot);
    values_[n] = minimum_[n] = maximum_[n] = 0.0;
    rebuildOrder();
    return st::Ok;
}

std::uint8_t ChannelTable::clear(int n) {
    if (!hasChannel(n)) {
        return st::BadChannel;
    }
    if (slots_[n].defined) {
        forget(n);
        rebuildOrder();
    }
    return st::Ok;
}

void ChannelTable::clearAll() {
    for (int n = 1; n <= limits_.channels; ++n) {
        if (slots_[n].defined) {
            forget(n);
        }
    }
    order_.clear();
}

void ChannelTable::forget(int n) {
    Slot &slot = slots_[n];
    memoryUsed_ -= memoryOf(slot);
    slot.defined = false;
    slot.text.clear();
    slot.formula = {};
    values_[n] = minimum_[n] = maximum_[n] = 0.0;
}

bool ChannelTable::wouldCycle(int n, const std::vector<std::uint8_t> &refs) const {
    // Depth-first search from what the new formula reads, through the existing definitions,
    // looking for n.
    std::array<bool, kMaxChannels + 1> seen{};
    std::vector<std::uint8_t> pending(refs.begin(), refs.end());
    while (!pending.empty()) {
        const int c = pending.back();
        pending.pop_back();
        if (c == n) {
            return true;
        }
        if (seen[c] || !slots_[c].defined) {
            continue;
        }
        seen[c] = true;
        const auto &more = slots_[c].formula.channelRefs;
        pending.insert(pending.end(), more.begin(), more.end());
    }
    return false;
}

void ChannelTable::rebuildOrder() {
    // Repeatedly take the defined channels whose defined inputs are all placed. Definitions are
    // never circular, so every pass places at least one channel.
    order_.clear();
    std::array<bool, kMaxChannels + 1> placed{};
    int remaining = 0;
    for (int n = 1; n <= limits_.channels; ++n) {
        remaining += slots_[n].defined ? 1 : 0;
    }
    while (remaining > 0) {
        bool progress = false;
        for (int n = 1; n <= limits_.channels; ++n) {
            const Slot &slot = slots_[n];
            if (!slot.defined || placed[n]) {
                continue;
            }
            const bool ready =
                std::all_of(slot.formula.channelRefs.begin(), slot.formula.channelRefs.end(),
                            [&](std::uint8_t c) { return placed[c] || !slots_[c].defined; });
            if (ready) {
                placed[n] = true;
                order_.push_back(static_cast<std::uint8_t>(n));
                --remaining;
                progress = true;
            }
        }
        if (!progress) {
            break;  // cannot happen while define() refuses cycles
        }
    }
}

void ChannelTable::evaluate(const double *probes, const double *analogs) {
    const EvalInputs inputs{probes, analogs, values_.data(), minimum_.data(), maximum_.data()};
    for (const std::uint8_t n : order_) {
        Slot &slot = slots_[n];
        double v = static_cast<double>(slot.scale) * zelunit::evaluate(slot.formula, inputs) +
                   static_cast<double>(slot.zero);
        // The unit holds single-precision values; anything beyond reads 0.
        v = std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max()
                ? static_cast<double>(static_cast<float>(v))
                : 0.0;
        values_[n] = v;
        if (slot.minMaxPending) {
            minimum_[n] = maximum_[n] = v;
            slot.minMaxPending = false;
        } else {
            minimum_[n] = std::min(minimum_[n], v);
            maximum_[n] = std::max(maximum_[n], v);
        }
    }
}

void ChannelTable::resetMinMax() {
    for (int n = 1; n <= limits_.channels; ++n) {
        minimum_[n] = maximum_[n] = values_[n];
    }
}

}  // namespace zelunit
