// The unit's channel table: a formula per defined channel, the channel's scaling and zero, and
// its value, minimum and maximum. Definitions are bounded by a number of table entries and by
// the formula memory (formula text plus compiled code).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula.h"

namespace zelunit {

struct ChannelTableLimits {
    int channels = 255;               // channel numbers 1..channels
    int entries = 128;                // formulas defined at once
    std::size_t memoryBytes = 16384;  // formula texts (with their zero byte) plus compiled code
};

class ChannelTable {
  public:
    static constexpr int kMaxChannels = 255;

    ChannelTable(ChannelTableLimits limits, FormulaLimits formulaLimits);

    bool hasChannel(int n) const { return n >= 1 && n <= limits_.channels; }

    // Compiles and stores a definition; 0 or a unit status code. A refused definition leaves
    // the channel as it was. A newly defined channel reads 0 until the next scan.
    std::uint8_t define(int n, std::string_view text);
    // 0, or 10 for a channel the unit lacks. Clearing an undefined channel is fine.
    std::uint8_t clear(int n);
    void clearAll();

    bool defined(int n) const { return hasChannel(n) && slots_[n].defined; }
    // The formula text as it was defined; empty for an undefined channel.
    const std::string &formulaText(int n) const { return slots_[n].text; }

    // Czero and Cscale are kept for every channel, defined or not.
    void setZero(int n, float zero) { slots_[n].zero = zero; }
    void setScale(int n, float scale) { slots_[n].scale = scale; }
    float zero(int n) const { return slots_[n].zero; }
    float scale(int n) const { return slots_[n].scale; }

    double value(int n) const { return values_[n]; }
    double minimum(int n) const { return minimum_[n]; }
    double maximum(int n) const { return maximum_[n]; }

    // Evaluates every defined channel in dependency order: Cscale x result + Czero, then the
    // channel's minimum and maximum. probes and analogs are indexed by number (index 0 unused).
    void evaluate(const double *probes, const double *analogs);
    // Minimum and maximum start again from each channel's present value.
    void resetMinMax();

    int definedCount() const { return static_cast<int>(order_.size()); }
    std::size_t memoryUsed() const { return memoryUsed_; }
    const ChannelTableLimits &limits() const { return limits_; }

  private:
    struct Slot {
        bool defined = false;
        bool minMaxPending = false;  // the next evaluation starts minimum and maximum afresh
        std::string text;
        CompiledFormula formula;
        float zero = 0.0f;
        float scale = 1.0f;
    };

    static std::size_t memoryOf(const Slot &slot);
    // Would channel n, reading `refs`, be part of a cycle?
    bool wouldCycle(int n, const std::vector<std::uint8_t> &refs) const;
    void rebuildOrder();
    void forget(int n);

    ChannelTableLimits limits_;
    FormulaLimits formulaLimits_;
    std::array<Slot, kMaxChannels + 1> slots_;
    std::array<double, kMaxChannels + 1> values_{};
    std::array<double, kMaxChannels + 1> minimum_{};
    std::array<double, kMaxChannels + 1> maximum_{};
    std::vector<std::uint8_t> order_;  // defined channels, each after the channels it reads
    std::size_t memoryUsed_ = 0;
};

}  // namespace zelunit
