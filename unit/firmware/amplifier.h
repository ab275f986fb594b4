// The signal amplifier in front of each probe: coarse gain and input resistance Ri (one byte
// each), fine gain and null (16-bit signed).
#pragma once

#include <cstdint>

namespace zelunit {

struct AmplifierSettings {
    std::uint8_t coarse = 128;
    std::uint8_t ri = 60;
    std::int16_t fine = 0;
    std::int16_t null = 0;

    bool operator==(const AmplifierSettings &) const = default;
};

// The factory setting: it reads a probe's displacement 1:1.
inline constexpr AmplifierSettings kNominalAmplifier{};

// (1 + (coarse + k) / (Ri + k)) x (fine + 4000) / 4000 with k = 50 / 39.0625 = 1.28.
double amplifierGain(const AmplifierSettings &settings);

// Gain relative to the nominal setting: 1.0 at the nominal setting.
double gainRatio(const AmplifierSettings &settings);

// Null steps shift the input by a thousandth of the probe's full scale each, before the gain.
inline constexpr double kNullStepOfFullScale = 1.0 / 1000.0;

}  // namespace zelunit
