// The unit's inputs: LVDT probes behind their amplifiers and analog inputs. Each scan samples
// every input a burst of times and averages the burst, then keeps a running average over the
// last scans.
#pragma once

#include <cstdint>
#include <vector>

#include "amplifier.h"
#include "signal_source.h"

namespace zelunit {

inline constexpr int kMaxInputs = 255;
inline constexpr int kMaxAdcAverage = 256;
inline constexpr int kMaxRunningAverage = 100;
// Probes read up to this much beyond their full scale.
inline constexpr double kOverRange = 1.05;

class InputBank {
  public:
    InputBank(int probes, int analogs);

    int probes() const { return static_cast<int>(probes_.size()) - 1; }
    int analogs() const { return static_cast<int>(analogs_.size()) - 1; }
    bool hasProbe(int n) const { return n >= 1 && n <= probes(); }
    bool hasAnalog(int n) const { return n >= 1 && n <= analogs(); }

    // Probe n reads its displacement x gain / nominal gain (null shifts the displacement),
    // plus Tzero, limited to kOverRange x its full scale 4 x Tfsv.
    float tfsv(int n) const { return probes_[n].tfsv; }
    float tzero(int n) const { return probes_[n].tzero; }
    const AmplifierSettings &amplifier(int n) const { return probes_[n].amplifier; }
    void setTfsv(int n, float value) { probes_[n].tfsv = value; }
    void setTzero(int n, float value) { probes_[n].tzero = value; }
    void setAmplifier(int n, const AmplifierSettings &settings);

    // Analog input n reads its value plus Azero, limited to +/- Afsv.
    float afsv(int n) const { return analogs_[n].afsv; }
    float azero(int n) const { return analogs_[n].azero; }
    void setAfsv(int n, float value) { analogs_[n].afsv = value; }
    void setAzero(int n, float value) { analogs_[n].azero = value; }

    int adcAverage() const { return adcAverage_; }
    int runningAverage() const { return runningAverage_; }
    // Both are limited to 1..kMaxAdcAverage and 1..kMaxRunningAverage by the caller. A new
    // running-average length starts the averages afresh.
    void setAdcAverage(int count) { adcAverage_ = count; }
    void setRunningAverage(int count);

    // One scan of every input at `seconds`.
    void sample(SignalSource &source, double seconds);

    // Readings by number; index 0 is unused.
    const double *probeReadings() const { return probeReadings_.data(); }
    const double *analogReadings() const { return analogReadings_.data(); }
    double probeReading(int n) const { return probeReadings_[n]; }
    double analogReading(int n) const { return analogReadings_[n]; }
    // The reading as a signed 16-bit converter count: full scale (with over-range) = 32767.
    std::int16_t probeCount(int n) const;
    std::int16_t analogCount(int n) const;

  private:
    // Running average over the last `length` scans.
    struct Average {
        std::vector<double> ring;
        int next = 0;
        int filled = 0;
        double sum = 0.0;
        double push(double value, int length);
        void reset() { next = filled = 0, sum = 0.0; }
    };
    struct Probe {
        float tfsv = 0.0125f;
        float tzero = 0.0f;
        AmplifierSettings amplifier;
        double ratio = 1.0;
        Average average;
    };
    struct Analog {
        float afsv = 1.0f;
        float azero = 0.0f;
        Average average;
    };

    double probeLimit(int n) const;

    std::vector<Probe> probes_;
    std::vector<Analog> analogs_;
    std::vector<double> probeReadings_;
    std::vector<double> analogReadings_;
    int adcAverage_ = 4;
    int runningAverage_ = 1;
};

}  // namespace zelunit
