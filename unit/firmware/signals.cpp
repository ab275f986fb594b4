#include "signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zelunit {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A seed per (seed, stream), so that parts and phases never share a sequence.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream) {
    return mix(mix(seed) ^ (stream * 0xD1B54A32D192ED03ull + 0x8CB92BA72F3D8DD7ull));
}

}  // namespace

std::uint64_t Noise::next() {
    state_ += 0x9E3779B97F4A7C15ull;
    return mix(state_);
}

double Noise::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

// Marsaglia's polar method: needs only log and sqrt, and gives two values per pair.
double Noise::gaussian(double sigma) {
    if (!(sigma > 0.0)) {
        return 0.0;
    }
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_ * sigma;
    }
    double u = 0.0;
    double v = 0.0;
    double s = 0.0;
    do {
        u = 2.0 * uniform() - 1.0;
        v = 2.0 * uniform() - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    spare_ = v * f;
    hasSpare_ = true;
    return u * f * sigma;
}

FixedSignal::FixedSignal(int probes, int analogs, double noiseSigma, std::uint64_t seed)
    : probes_(static_cast<std::size_t>(std::max(probes, 0)), 0.0),
      analogs_(static_cast<std::size_t>(std::max(analogs, 0)), 0.0),
      noiseSigma_(noiseSigma),
      noise_(seed) {}

namespace {

bool inRange(const std::vector<double> &values, int n) {
    return n >= 1 && static_cast<std::size_t>(n) <= values.size();
}

bool store(std::vector<double> &values, int n, double value) {
    if (!inRange(values, n) || !std::isfinite(value)) {
        return false;
    }
    values[static_cast<std::size_t>(n) - 1] = value;
    return true;
}

double stored(const std::vector<double> &values, int n) {
    return inRange(values, n) ? values[static_cast<std::size_t>(n) - 1] : 0.0;
}

}  // namespace

bool FixedSignal::setProbe(int n, double value) {
    return store(probes_, n, value);
}
bool FixedSignal::setAnalog(int n, double value) {
    return store(analogs_, n, value);
}
double FixedSignal::probeValue(int n) const {
    return stored(probes_, n);
}
double FixedSignal::analogValue(int n) const {
    return stored(analogs_, n);
}

double FixedSignal::sample(const std::vector<double> &values, int n) {
    if (!inRange(values, n)) {
        return 0.0;
    }
    return values[static_cast<std::size_t>(n) - 1] + noise_.gaussian(noiseSigma_);
}

double FixedSignal::probe(int n, double) {
    return sample(probes_, n);
}
double FixedSignal::analog(int n, double) {
    return sample(analogs_, n);
}

namespace {

constexpr double kDriftAmplitude = 0.0002;
constexpr double kDriftPeriod = 600.0;
constexpr double kProbeNoise = 0.00003;
constexpr double kAnalogCentre = 0.5;
constexpr double kAnalogAmplitude = 0.3;
constexpr double kAnalogPeriod = 60.0;
constexpr double kAnalogNoise = 0.0005;
constexpr double kAnalogSpacing = 1.3;  // radians between neighbouring analog inputs

constexpr double kGoodSigma = 0.0006;
constexpr double kGoodLimit = 0.0009;  // leaves room for taper and drift inside the tolerance
constexpr double kRejectShare = 1.0 / 8.0;
constexpr double kRejectSize = 0.0025;
constexpr double kRejectSigma = 0.0003;
constexpr double kTaperSigma = 0.0002;
constexpr double kOvalitySigma = 0.0002;
constexpr double kRunoutSigma = 0.0001;
constexpr double kJournalSigma = 0.0001;
constexpr double kLengthSigma = 0.00015;

constexpr double kLoadStart = DemoSignal::kEmptySeconds;
constexpr double kMeasureStart = kLoadStart + DemoSignal::kLoadSeconds;
constexpr double kUnloadStart = kMeasureStart + DemoSignal::kMeasureSeconds;
static_assert(kUnloadStart + DemoSignal::kUnloadSeconds <= DemoSignal::kCycleSeconds);

constexpr std::uint64_t kPhaseStream = ~0ull;  // part numbers never reach it

// The unit's clock only runs forward from power-on; anything else reads as power-on.
double normalized(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0.0) {
        return 0.0;
    }
    return std::fmod(seconds, DemoSignal::kWrapSeconds);
}

struct Place {
    std::int64_t cycle;
    double within;  // seconds into the cycle
    DemoSignal::Phase phase;
};

Place locate(double t) {
    const auto cycle = static_cast<std::int64_t>(std::floor(t / DemoSignal::kCycleSeconds));
    const double within = std::clamp(t - static_cast<double>(cycle) * DemoSignal::kCycleSeconds,
                                     0.0, DemoSignal::kCycleSeconds);
    DemoSignal::Phase phase = DemoSignal::Phase::Empty;
    if (within >= kUnloadStart) {
        phase = DemoSignal::Phase::Unloading;
    } else if (within >= kMeasureStart) {
        phase = DemoSignal::Phase::Measuring;
    } else if (within >= kLoadStart) {
        phase = DemoSignal::Phase::Loading;
    }
    return {cycle, within, phase};
}

double smoothstep(double u) {
    u = std::clamp(u, 0.0, 1.0);
    return u * u * (3.0 - 2.0 * u);
}

}  // namespace

DemoSignal::DemoSignal(int probes, int analogs, std::uint64_t seed)
    : probes_(std::max(probes, 0)), analogs_(std::max(analogs, 0)), seed_(seed), noise_(seed) {
    Noise phases(streamSeed(seed, kPhaseStream));
    driftPhase_ = kTwoPi * phases.uniform();
    analogPhase_ = kTwoPi * phases.uniform();
}

int DemoSignal::partAt(double seconds) const {
    const Place place = locate(normalized(seconds));
    return place.phase == Phase::Empty ? -1 : static_cast<int>(place.cycle);
}

DemoSignal::Phase DemoSignal::phaseAt(double seconds) const {
    return locate(normalized(seconds)).phase;
}

const DemoSignal::Moment &DemoSignal::momentAt(double seconds) {
    const double t = normalized(seconds);
    if (t == moment_.seconds) {
        return moment_;
    }
    const Place place = locate(t);
    Moment &m = moment_;
    m.seconds = t;
    m.part = place.cycle;
    switch (place.phase) {
        case Phase::Empty:
            m.travel = 0.0;
            break;
        case Phase::Loading:
            m.travel = smoothstep((place.within - kLoadStart) / kLoadSeconds);
            break;
        case Phase::Measuring:
            m.travel = 1.0;
            break;
        case Phase::Unloading:
            m.travel = 1.0 - smoothstep((place.within - kUnloadStart) / kUnloadSeconds);
            break;
    }
    m.drift = kDriftAmplitude * std::sin(kTwoPi * t / kDriftPeriod + driftPhase_);
    // The part only turns while it is measured.
    const double turning = std::clamp(place.within - kMeasureStart, 0.0, kMeasureSeconds);
    const double angle = kTwoPi * kTurnsPerSecond * turning;
    m.cos1 = std::cos(angle);
    m.sin1 = std::sin(angle);
    m.cos2 = m.cos1 * m.cos1 - m.sin1 * m.sin1;
    m.sin2 = 2.0 * m.sin1 * m.cos1;
    return m;
}

const DemoSignal::Part &DemoSignal::partNumber(std::int64_t number) {
    if (number == cachedPart_) {
        return part_;
    }
    Noise draw(streamSeed(seed_, static_cast<std::uint64_t>(number)));
    Part &p = part_;
    if (draw.uniform() < kRejectShare) {
        const double sign = draw.uniform() < 0.5 ? -1.0 : 1.0;
        p.diameterA = sign * (kRejectSize + draw.gaussian(kRejectSigma));
    } else {
        // Redrawn rather than clipped, so good parts do not pile up at the limit.
        p.diameterA = draw.gaussian(kGoodSigma);
        for (int tries = 0; std::fabs(p.diameterA) > kGoodLimit && tries < 32; ++tries) {
            p.diameterA = draw.gaussian(kGoodSigma);
        }
        p.diameterA = std::clamp(p.diameterA, -kGoodLimit, kGoodLimit);
    }
    p.taper = draw.gaussian(kTaperSigma);
    p.ovality = std::fabs(draw.gaussian(kOvalitySigma));
    const double ovalityAngle = kTwoPi * draw.uniform();
    p.ovalityCos = std::cos(ovalityAngle);
    p.ovalitySin = std::sin(ovalityAngle);
    p.runout = std::fabs(draw.gaussian(kRunoutSigma));
    const double runoutAngle = kTwoPi * draw.uniform();
    p.runoutCos = std::cos(runoutAngle);
    p.runoutSin = std::sin(runoutAngle);
    p.journal = draw.gaussian(kJournalSigma);
    p.length = draw.gaussian(kLengthSigma);
    cachedPart_ = number;
    return p;
}

// Radial deviation at probe n with the part fully in place. Opposite probes see the two-lobe
// ovality in phase and the run-out in opposite phase.
double DemoSignal::onPart(int n, const Moment &m) {
    const Part &p = partNumber(m.part);
    const int slot = (n - 1) % 8;
    const double scale = n > 8 ? 0.5 : 1.0;
    const double oval = 0.5 * p.ovality * (m.cos2 * p.ovalityCos - m.sin2 * p.ovalitySin);
    const double swing = p.runout * (m.cos1 * p.runoutCos - m.sin1 * p.runoutSin);
    const double sectionSwing = 0.5 * swing;
    double radial = 0.0;
    switch (slot) {
        case 0:
        case 1:
            radial = 0.5 * p.diameterA + oval;
            break;
        case 2:
        case 3:
            radial = 0.5 * (p.diameterA + 0.5 * p.taper) + oval;
            break;
        case 4:
        case 5:
            radial = 0.5 * (p.diameterA + p.taper) + oval;
            break;
        case 6:
            return scale * (p.journal + swing);
        default:
            return scale * p.length;
    }
    return scale * (radial + (slot % 2 == 0 ? sectionSwing : -sectionSwing));
}

double DemoSignal::probe(int n, double seconds) {
    if (n < 1 || n > probes_) {
        return 0.0;
    }
    const Moment &m = momentAt(seconds);
    double value = kRestPosition;
    if (m.travel > 0.0) {
        value += (onPart(n, m) - kRestPosition) * m.travel;
    }
    return value + m.drift + noise_.gaussian(kProbeNoise);
}

double DemoSignal::analog(int n, double seconds) {
    if (n < 1 || n > analogs_) {
        return 0.0;
    }
    const double t = normalized(seconds);
    const double phase = analogPhase_ + kAnalogSpacing * static_cast<double>(n - 1);
    return kAnalogCentre + kAnalogAmplitude * std::sin(kTwoPi * t / kAnalogPeriod + phase) +
           noise_.gaussian(kAnalogNoise);
}

}  // namespace zelunit
