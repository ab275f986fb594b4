// The program's connection to the unit. While the unit answers, every call goes through to the
// library, and the values the unit holds for the program (formulas, zero offsets, scalings,
// full scales, scan settings, amplifier settings) are copied on every write and every read.
// Once a call finds the library in demonstration mode the unit is lost: from then on nothing
// reaches the library, its answers are not measurements, and
// - readings (channels, probes, analog inputs) return kUnitNotCommunicating;
// - reads of held values answer from the copy; writes go to the copy only, and reach the unit
//   when restore() puts it back in step;
// - amplifier adjustments, calibration storing and the min/max reset are refused, since they
//   act on the unit itself.
// No answer given in demonstration mode ever enters the copy.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "unit/refused_items.h"
#include "unit/unit_api.h"

namespace zelapp {

// The program's copy of what the unit holds for it.
struct UnitCopy {
    enum Value : std::size_t { Czero, Cscale, Tzero, Tfsv, Azero, Afsv, ValueCount };
    struct Amplifier {
        std::optional<std::array<uint8_t, 2>> gain;  // coarse, ri
        std::optional<int16_t> fine;
        std::optional<int16_t> null;
    };

    std::array<std::map<int32_t, float>, ValueCount> values;  // by channel or input number
    std::map<int32_t, std::string> formulas;                  // the defined channels
    int32_t highestChannel = 0;               // the highest channel ever defined or cleared
    std::map<int32_t, Amplifier> amplifiers;  // by probe
    std::optional<int32_t> scanTime;
    std::optional<int32_t> adcAverage;
    std::optional<int32_t> runAverage;

    std::optional<float> value(Value which, int32_t number) const;
};

class UnitConnection : public UnitApi {
  public:
    explicit UnitConnection(UnitApi &library) : library_(library) {}

    // The library itself, for reaching the unit again while it is lost.
    UnitApi &library() { return library_; }
    const UnitCopy &copy() const { return copy_; }
    bool lost() const { return lost_; }
    // Whether a stretch with the library's boxes off is open.
    bool boxesOff() const { return boxesOff_ > 0; }

    // Called once per loss, from within the call that found it.
    void setLossHandler(std::function<void()> handler) { onLost_ = std::move(handler); }

    // The unit is taken as lost without a call having found it: the program starts without the
    // unit. The loss handler runs as for a loss found by a call.
    void markLost();

    // After a successful initialisation: whether the unit still holds its first defined
    // channel's formula. Nothing when no channel is defined, or when the library fell back
    // into demonstration mode on the way.
    std::optional<bool> setupKept();

    // Puts the unit back in step from the copy: scanning and its settings, then channels
    // 1..channels (formula or cleared, scaling, zero), probes 1..lvdts (full scale, zero) and
    // analog inputs 1..analogs (full scale, zero). Channels cleared beyond the count while the
    // unit was lost are cleared on the unit too. The connection is live again when all of it
    // went through; false, and still lost, when the library fell into demonstration mode.
    // The library's boxes are off meanwhile: what the unit refused goes to `refused`.
    bool restore(int channels, int lvdts, int analogs, RefusedItems *refused = nullptr);

    ZEL_UNIT_CALLS(ZEL_UNIT_CALL_OVERRIDE)

  private:
    using Read = int32_t (UnitApi::*)(int32_t, float *);

    // After a call that went through: true when its answer came from the unit.
    bool answered();
    // Makes the call on a unit that is not lost; its status when the unit answered it, nothing
    // when the unit is lost or the call found it lost.
    template <typename Call>
    std::optional<int32_t> whenLive(Call &&call) {
        if (lost_) {
            return std::nullopt;
        }
        const int32_t status = call();
        return answered() ? std::optional<int32_t>(status) : std::nullopt;
    }
    static std::optional<int32_t> refused(std::optional<int32_t> status);
    int32_t reading(Read read, int32_t number, float *value);
    int32_t readHeld(Read read, UnitCopy::Value which, int32_t number, float *value);
    int32_t writeHeld(Read write, UnitCopy::Value which, int32_t number, float *value);
    int32_t writeSetting(int32_t (UnitApi::*write)(int32_t), std::optional<int32_t> &held,
                         int32_t value);
    int32_t action(int32_t (UnitApi::*call)());
    UnitCopy::Amplifier &amplifier(int32_t probe) { return copy_.amplifiers[probe]; }
    void setFormula(int32_t channel, const char *formula);
    int32_t setWord(int32_t (UnitApi::*set)(int32_t, int32_t), std::optional<int16_t> &held,
                    int32_t probe, int32_t word);
    int32_t readWord(int32_t (UnitApi::*read)(int32_t, int16_t *), std::optional<int16_t> &held,
                     int32_t probe, int16_t *word);

    UnitApi &library_;
    UnitCopy copy_;
    bool lost_ = false;
    int boxesOff_ = 0;  // open stretches with the library's boxes off
    std::function<void()> onLost_;
    std::string formulaText_;  // what ZelReadFormula answers from the copy points to
};

}  // namespace zelapp
