#include "amplifier.h"

namespace zelunit {

double amplifierGain(const AmplifierSettings &settings) {
    constexpr double k = 50.0 / 39.0625;
    return (1.0 + (settings.coarse + k) / (settings.ri + k)) * (settings.fine + 4000.0) / 4000.0;
}

double gainRatio(const AmplifierSettings &settings) {
    static const double nominal = amplifierGain(kNominalAmplifier);
    return amplifierGain(settings) / nominal;
}

}  // namespace zelunit
