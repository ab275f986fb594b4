// Signal sources for the emulated unit: a fixed one for tests and hand-set values, and a demo
// shaft-gauging station that measures a new part every few seconds.
#pragma once

#include <cstdint>
#include <vector>

#include "signal_source.h"

namespace zelunit {

// Deterministic pseudo-random numbers (splitmix64). Hand-rolled rather than <random>
// distributions so that a seed gives the same run with every compiler and standard library.
class Noise {
  public:
    explicit Noise(std::uint64_t seed) : state_(seed) {}

    // In [0, 1), 53 bits.
    double uniform();
    // Normal, mean 0, standard deviation sigma. A sigma that is not positive gives exactly 0 and
    // leaves the sequence untouched.
    double gaussian(double sigma);

  private:
    std::uint64_t next();

    std::uint64_t state_;
    double spare_ = 0.0;  // second value of the last polar pair, standard normal
    bool hasSpare_ = false;
};

// Inputs that hold whatever was last set, plus optional white noise per sample.
class FixedSignal : public SignalSource {
  public:
    FixedSignal(int probes, int analogs, double noiseSigma = 0.0, std::uint64_t seed = 1);

    // False, and nothing changes, for n outside 1..count or a value that is not finite.
    bool setProbe(int n, double value);
    bool setAnalog(int n, double value);
    // The value as set, without noise; 0 for n out of range.
    double probeValue(int n) const;
    double analogValue(int n) const;

    double probe(int n, double seconds) override;
    double analog(int n, double seconds) override;

  private:
    double sample(const std::vector<double> &values, int n);

    std::vector<double> probes_;
    std::vector<double> analogs_;
    double noiseSigma_;
    Noise noise_;
};

// A shaft-gauging station, in inches (probe full scale +/-0.05).
//
// Every 5 s a part cycle: 0.2 s empty, 0.5 s loading (the probes travel smoothly from their stops
// onto the part), 3.8 s measuring while the part turns at 0.5 rev/s, 0.5 s unloading. With no part
// the probes rest extended at their stops, +0.040. A larger part reads more positive.
//
// Each part has its own diameter deviation, normal with sigma 0.0006 (kept within +/-0.0009);
// one part in 8 is a reject at about +/-0.0025. Diameter tolerance +/-0.0015 sorts them. Also
// per part: taper (section C minus section A, sigma 0.0002, linear along the shaft), ovality
// (two-lobe, diameter amplitude |N(0, 0.0002)|), run-out (journal amplitude |N(0, 0.0001)|,
// half of it at the diameter sections), journal offset (sigma 0.0001), shoulder position (sigma
// 0.00015). Besides the one in eight, a part is seldom a reject (about 13 % in all with the demo
// setup's limits).
//
// Probes (each reads the surface's radial deviation; opposite probes sum to the diameter, in
// which run-out cancels and ovality shows twice per turn):
//   T1, T2  section A, opposite each other
//   T3, T4  section B, mid-shaft: A plus half the taper
//   T5, T6  section C: A plus the taper
//   T7      run-out on a journal: a sinusoid once per turn
//   T8      shoulder position (length), steady while the part turns
//   T9..    half of T1.. again, repeating every 8; fewer probes just drop the later ones
// On all probes: thermal drift, 0.0002 amplitude, 600 s period; white noise sigma 0.00003.
//
// Analog inputs (full scale 1.0): 0.5 + 0.3 sin(2 pi t / 60 s + phase), each input its own
// phase, plus white noise sigma 0.0005.
//
// Without the noise a reading is a function of the seed and the time alone, so any time can be
// asked for in any order; the noise follows the order of the calls. Times before 0 and times that
// are not finite read as time 0; the timeline repeats after kWrapSeconds (about 80 years).
class DemoSignal : public SignalSource {
  public:
    enum class Phase { Empty, Loading, Measuring, Unloading };

    static constexpr double kCycleSeconds = 5.0;
    static constexpr double kEmptySeconds = 0.2;
    static constexpr double kLoadSeconds = 0.5;
    static constexpr double kMeasureSeconds = 3.8;
    static constexpr double kUnloadSeconds = 0.5;
    static constexpr double kTurnsPerSecond = 0.5;
    static constexpr double kRestPosition = 0.040;
    static constexpr double kFullScale = 0.05;
    static constexpr double kDiameterTolerance = 0.0015;
    static constexpr double kWrapSeconds = 600.0 * (1 << 22);  // whole periods of every sine

    DemoSignal(int probes, int analogs, std::uint64_t seed = 1);

    // The part in the fixture at that time (0 from the first cycle on), -1 while it is empty.
    int partAt(double seconds) const;
    bool partPresent(double seconds) const { return partAt(seconds) >= 0; }
    Phase phaseAt(double seconds) const;

    double probe(int n, double seconds) override;
    double analog(int n, double seconds) override;

  private:
    // Per-part dimensions, drawn from (seed, part number) alone.
    struct Part {
        double diameterA;               // diameter deviation at section A
        double taper;                   // section C minus section A
        double ovality;                 // amplitude of the two-lobe diameter variation
        double ovalityCos, ovalitySin;  // its angle
        double runout;                  // amplitude at the journal
        double runoutCos, runoutSin;    // its angle
        double journal;                 // journal offset
        double length;                  // shoulder position
    };

    // Everything about one time that all probes share; scans read every probe at the same time.
    struct Moment {
        double seconds = -1.0;
        std::int64_t part = -1;
        double travel = 0.0;  // 0 at the stops .. 1 on the part
        double drift = 0.0;
        double cos1 = 1.0, sin1 = 0.0, cos2 = 1.0, sin2 = 0.0;  // turn angle, once and twice
    };

    const Moment &momentAt(double seconds);
    const Part &partNumber(std::int64_t part);
    double onPart(int n, const Moment &m);

    int probes_;
    int analogs_;
    std::uint64_t seed_;
    double driftPhase_;
    double analogPhase_;
    Noise noise_;
    Moment moment_;
    std::int64_t cachedPart_ = -1;
    Part part_{};
};

}  // namespace zelunit
