#include "input_bank.h"

#include <algorithm>
#include <cmath>

namespace zelunit {

namespace {

double limited(double value, double limit) {
    if (!std::isfinite(value)) {
        return 0.0;
    }
    return std::clamp(value, -limit, limit);
}

std::int16_t toCount(double reading, double limit) {
    if (!(limit > 0.0)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::lround(std::clamp(reading / limit, -1.0, 1.0) * 32767));
}

}  // namespace

double InputBank::Average::push(double value, int length) {
    if (!std::isfinite(value)) {
        value = 0.0;  // one bad sample must not poison the average for good
    }
    if (static_cast<int>(ring.size()) != length) {
        ring.assign(static_cast<std::size_t>(length), 0.0);
        reset();
    }
    if (filled == length) {
        sum -= ring[next];
    } else {
        ++filled;
    }
    ring[next] = value;
    sum += value;
    next = (next + 1) % length;
    // Recomputing now and then keeps rounding errors of the running sum from piling up.
    if (next == 0) {
        sum = 0.0;
        for (int i = 0; i < filled; ++i) {
            sum += ring[i];
        }
    }
    return sum / filled;
}

InputBank::InputBank(int probes, int analogs)
    : probes_(static_cast<std::size_t>(std::clamp(probes, 0, kMaxInputs)) + 1),
      analogs_(static_cast<std::size_t>(std::clamp(analogs, 0, kMaxInputs)) + 1),
      probeReadings_(probes_.size(), 0.0),
      analogReadings_(analogs_.size(), 0.0) {}

void InputBank::setAmplifier(int n, const AmplifierSettings &settings) {
    probes_[n].amplifier = settings;
    probes_[n].ratio = gainRatio(settings);
}

void InputBank::setRunningAverage(int count) {
    runningAverage_ = count;
    for (auto &probe : probes_) {
        probe.average.reset();
    }
    for (auto &analog : analogs_) {
        analog.average.reset();
    }
}

double InputBank::probeLimit(int n) const {
    return std::fabs(4.0 * static_cast<double>(probes_[n].tfsv)) * kOverRange;
}

void InputBank::sample(SignalSource &source, double seconds) {
    const double burst = adcAverage_;
    for (int n = 1; n <= probes(); ++n) {
        Probe &probe = probes_[n];
        double sum = 0.0;
        for (int i = 0; i < adcAverage_; ++i) {
            sum += source.probe(n, seconds);
        }
        const double fullScale = std::fabs(4.0 * static_cast<double>(probe.tfsv));
        const double nullShift = probe.amplifier.null * kNullStepOfFullScale * fullScale;
        const double amplified = (sum / burst + nullShift) * probe.ratio;
        const double averaged = probe.average.push(amplified, runningAverage_);
        probeReadings_[n] = limited(averaged + probe.tzero, probeLimit(n));
    }
    for (int n = 1; n <= analogs(); ++n) {
        Analog &analog = analogs_[n];
        double sum = 0.0;
        for (int i = 0; i < adcAverage_; ++i) {
            sum += source.analog(n, seconds);
        }
        const double averaged = analog.average.push(sum / burst, runningAverage_);
        analogReadings_[n] = limited(averaged + analog.azero, std::fabs(analog.afsv));
    }
}

std::int16_t InputBank::probeCount(int n) const {
    return toCount(probeReadings_[n], probeLimit(n));
}

std::int16_t InputBank::analogCount(int n) const {
    return toCount(analogReadings_[n], std::fabs(analogs_[n].afsv));
}

}  // namespace zelunit
