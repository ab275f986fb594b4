#include "part/part_cycle.h"

#include <cmath>

#include "base/elapsed_clock.h"
#include "base/runtime_text.h"
#include "base/wall_clock.h"
#include "model/channel.h"
#include "model/formula_inputs.h"
#include "model/inputs.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "unit/unit_link.h"

namespace zelapp {

namespace {
// A probe reads up to 1.05 x its full scale; one part in 10^5 allows for the float the unit
// sends it in. An analog input reads up to its full scale.
constexpr double kProbeOverRange = 1.05;
constexpr double kEndSlack = 1 - 1e-5;
// Readings are compared as the decimals they stand for; this absorbs the double's rounding.
constexpr double kBandSlack = 1e-9;

bool atEnd(float reading, double end) {
    return end > 0 && std::fabs(static_cast<double>(reading)) >= end;
}
}  // namespace

PartCycle::PartCycle(UnitLink &unit, Setup &setup, const ActivePartProgram &program,
                     const ElapsedClock &elapsed, const WallClock &wall)
    : unit_(unit), setup_(setup), program_(program), elapsed_(elapsed), wall_(wall) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &PartCycle::poll);
    connect(&setup_.notifier(), &SetupNotifier::changed, this, &PartCycle::setupChanged);
    connect(&program_, &ActivePartProgram::changed, this, [this] {
        if (running()) {
            endNotCompleted(part_reason::setupChanged());
        }
    });
}

PartCycle::~PartCycle() = default;

// What the parts are judged by changed under the cycle: a part measured half by the old and
// half by the new is no part. The groups only arrange the displays.
void PartCycle::setupChanged(const SetupChange &change) {
    if (running() && change.kind != SetupChange::Kind::Groups) {
        endNotCompleted(part_reason::setupChanged());
    }
}

void PartCycle::busyStarted() {
    if (running()) {
        endNotCompleted(part_reason::busy());
    }
}

void PartCycle::startPolling() {
    timer_.start();
}

void PartCycle::stopPolling() {
    timer_.stop();
}

QString PartCycle::measure(const QString &id) {
    if (running()) {
        return cycleRunning();
    }
    if (unit_.lost()) {
        return part_reason::unitLost();
    }
    if (busy_ && busy_()) {
        return part_reason::busy();
    }
    start(id.isEmpty() ? nextId_ : id);
    return {};
}

QString PartCycle::cancel() {
    if (!running()) {
        return noCycle();
    }
    endNotCompleted(part_reason::cancelled());
    return {};
}

void PartCycle::resetCounters() {
    counters_ = {};
    emit countersChanged();
}

void PartCycle::setNextId(const QString &id) {
    nextId_ = id;
}

void PartCycle::start(const QString &id) {
    const PartProgram &program = program_.program();
    const auto formulaOf = [this](int n) {
        const Channel *c = setup_.channel(n);
        return c != nullptr ? c->Formula() : QString();
    };
    followed_.clear();
    for (int channel : effectiveCharacteristics(program, setup_)) {
        const FormulaInputs inputs = channelInputs(channel, formulaOf);
        Followed f;
        f.channel = channel;
        f.dynamic = inputs.maxMin;
        for (int probe : inputs.probes) {
            if (probe >= 1 && probe <= setup_.lvdtCount()) {
                f.probes.push_back(probe);
            }
        }
        for (int input : inputs.analogs) {
            if (input >= 1 && input <= setup_.analogCount()) {
                f.analogs.push_back(input);
            }
        }
        followed_.push_back(std::move(f));
    }
    id_ = id;
    nextId_.clear();
    startedMs_ = elapsed_.elapsedMs();
    startedAt_ = wall_.now();
    fullScalesRead_ = false;
    probeEnds_.clear();
    analogEnds_.clear();
    waitForRemoval_ = false;
    setState(CycleState::Settling);
}

void PartCycle::setState(CycleState state) {
    state_ = state;
    emit stateChanged(state);
}

void PartCycle::poll() {
    if (running()) {
        pollRunning();
    } else {
        pollIdle();
    }
}

// Ready, or holding a result: in auto, a part put on the gauge starts a cycle, and a held
// result is let go once its part is taken off. The unit is asked nothing otherwise.
void PartCycle::pollIdle() {
    if (program_.program().start != PartStart::Auto || unit_.lost() || (busy_ && busy_()) ||
        (allowed_ && !allowed_())) {
        return;
    }
    Go go = Go::On;
    const std::optional<bool> present = partPresent(&go);
    if (!present) {
        return;
    }
    if (state_ == CycleState::Result && waitForRemoval_) {
        if (!*present) {
            waitForRemoval_ = false;
            setState(CycleState::Ready);
        }
        return;
    }
    // A barcode is scanned before the part is put on; without one the part waits.
    if (*present && (!program_.program().askId || !nextId_.isEmpty())) {
        start(nextId_);
    }
}

void PartCycle::pollRunning() {
    const PartProgram &program = program_.program();
    const qint64 now = elapsed_.elapsedMs();
    // The timeout runs whatever holds the cycle up, the scan tick switched off included.
    if (now - startedMs_ >= program.timeoutMs) {
        endNotCompleted(part_reason::timeout());
        return;
    }
    if (unit_.lost()) {
        endNotCompleted(part_reason::unitLost());
        return;
    }
    if (busy_ && busy_()) {
        endNotCompleted(part_reason::busy());
        return;
    }
    if (allowed_ && !allowed_()) {
        return;
    }
    if (readFullScales() == Go::Ended) {
        return;
    }
    if (program.start == PartStart::Auto) {
        Go go = Go::On;
        const std::optional<bool> present = partPresent(&go);
        if (go == Go::Ended) {
            return;
        }
        if (present && !*present) {
            endNotCompleted(part_reason::partRemoved());
            return;
        }
    }
    if (state_ == CycleState::Settling) {
        if (settle() && running()) {
            clearMaxMin();
        }
        return;
    }
    if (watchRangeEnds() == Go::Ended) {
        return;
    }
    if (now - clearedMs_ >= program.dynamicTimeMs) {
        capture();
    }
}

PartCycle::Go PartCycle::read(int32_t (UnitApi::*call)(int32_t, float *), int number, float *value,
                              int32_t *status) {
    *value = 0;
    *status = (unit_.*call)(number, value);
    if (unit_.lost()) {
        if (running()) {
            endNotCompleted(part_reason::unitLost());
        }
        return Go::Ended;
    }
    return Go::On;
}

std::optional<bool> PartCycle::partPresent(Go *go) {
    const PartProgram &program = program_.program();
    if (program.presentChannel < 1 || program.presentChannel > setup_.channelCount()) {
        return std::nullopt;
    }
    float value = 0;
    int32_t status = 0;
    *go = read(&UnitApi::ZelReadChannel, program.presentChannel, &value, &status);
    if (*go == Go::Ended || status != 0 || !std::isfinite(value)) {
        return std::nullopt;
    }
    const double reading = rt::shortestDecimal(value);
    return reading >= program.presentLow && reading <= program.presentHigh;
}

// Once per cycle, on its first step with the unit: full scales cost calls of their own.
PartCycle::Go PartCycle::readFullScales() {
    if (fullScalesRead_) {
        return Go::On;
    }
    fullScalesRead_ = true;
    for (const Followed &f : followed_) {
        for (int probe : f.probes) {
            if (!probeEnds_.contains(probe)) {
                const Lvdt *lvdt = setup_.lvdt(probe);
                probeEnds_[probe] = lvdt != nullptr
                                        ? std::fabs(static_cast<double>(lvdt->FullScale())) *
                                              kProbeOverRange * kEndSlack
                                        : 0;
            }
        }
        for (int input : f.analogs) {
            if (!analogEnds_.contains(input)) {
                const analog *a = setup_.analogInput(input);
                analogEnds_[input] =
                    a != nullptr ? std::fabs(static_cast<double>(a->FullScale())) * kEndSlack : 0;
            }
        }
    }
    if (unit_.lost()) {
        endNotCompleted(part_reason::unitLost());
        return Go::Ended;
    }
    return Go::On;
}

// Every static characteristic must have stayed within its band for the settle time; a
// reading outside the band starts its time again from that reading.
bool PartCycle::settle() {
    const PartProgram &program = program_.program();
    const qint64 now = elapsed_.elapsedMs();
    bool settled = true;
    for (Followed &f : followed_) {
        if (f.dynamic || !f.reason.isEmpty()) {
            continue;
        }
        const Channel *channel = setup_.channel(f.channel);
        if (channel == nullptr || channel->Formula().isEmpty()) {
            continue;  // measures nothing: nothing to wait for
        }
        float value = 0;
        int32_t status = 0;
        if (read(&UnitApi::ZelReadChannel, f.channel, &value, &status) == Go::Ended) {
            return false;
        }
        if (status != 0) {
            f.reason = part_reason::readFailed();
            continue;
        }
        const double reading = rt::shortestDecimal(value);
        if (!std::isfinite(reading)) {
            continue;  // no size to settle: the capture finds it Not valid
        }
        const double band = effectiveSettleBand(program, channel->Decimals);
        const double low = f.low ? std::min(*f.low, reading) : reading;
        const double high = f.high ? std::max(*f.high, reading) : reading;
        if (!f.low || high - low > band + kBandSlack) {
            f.low = reading;
            f.high = reading;
            f.since = now;
        } else {
            f.low = low;
            f.high = high;
        }
        if (now - f.since < program.settleTimeMs) {
            settled = false;
        }
    }
    return settled;
}

void PartCycle::clearMaxMin() {
    const int32_t status = unit_.ZelResetMM();
    if (unit_.lost()) {
        endNotCompleted(part_reason::unitLost());
        return;
    }
    if (status != 0) {
        // MAX, MIN and TIR still hold what came before the part.
        for (Followed &f : followed_) {
            if (f.dynamic && f.reason.isEmpty()) {
                f.reason = part_reason::readFailed();
            }
        }
    }
    clearedMs_ = elapsed_.elapsedMs();
    setState(CycleState::Acquiring);
}

// Each input used is read once per step; a characteristic takes the first of its inputs
// found at its range end.
PartCycle::Go PartCycle::watchRangeEnds() {
    std::map<int, bool> probeAtEnd;
    std::map<int, bool> analogAtEnd;
    const auto check = [this](int32_t (UnitApi::*call)(int32_t, float *), int number,
                              const std::map<int, double> &ends, std::map<int, bool> &seen,
                              bool *ended) {
        if (const auto known = seen.find(number); known != seen.end()) {
            return known->second;
        }
        float value = 0;
        int32_t status = 0;
        if (read(call, number, &value, &status) == Go::Ended) {
            *ended = true;
            return false;
        }
        const auto end = ends.find(number);
        const bool there = status == 0 && end != ends.end() && atEnd(value, end->second);
        seen[number] = there;
        return there;
    };
    bool ended = false;
    for (Followed &f : followed_) {
        for (int probe : f.probes) {
            if (check(&UnitApi::ZelReadLvdt, probe, probeEnds_, probeAtEnd, &ended) &&
                f.reason.isEmpty()) {
                f.reason = part_reason::rangeEnd(QLatin1Char('T'), probe);
            }
            if (ended) {
                return Go::Ended;
            }
        }
        for (int input : f.analogs) {
            if (check(&UnitApi::ZelReadAnalog, input, analogEnds_, analogAtEnd, &ended) &&
                f.reason.isEmpty()) {
                f.reason = part_reason::rangeEnd(QLatin1Char('A'), input);
            }
            if (ended) {
                return Go::Ended;
            }
        }
    }
    return Go::On;
}

void PartCycle::capture() {
    PartResult result = partRecord();
    result.completed = true;
    for (std::size_t i = 0; i < followed_.size(); ++i) {
        const Followed &f = followed_[i];
        CharacteristicResult &c = result.characteristics[i];
        c.reason = f.reason;
        const Channel *channel = setup_.channel(f.channel);
        if (!c.reason.isEmpty() || channel == nullptr || channel->Formula().isEmpty()) {
            continue;
        }
        float value = 0;
        int32_t status = 0;
        if (read(&UnitApi::ZelReadChannel, f.channel, &value, &status) == Go::Ended) {
            return;
        }
        if (status != 0) {
            c.reason = part_reason::readFailed();
            continue;
        }
        c.value = value;
        c.text = valueText_
                     ? valueText_(*channel, value)
                     : rt::resultText(value, channel->Decimals, rt::systemDecimalSeparator());
        c.verdict = judgeChannel(*channel, value);
    }
    for (const CharacteristicResult &c : result.characteristics) {
        if (!c.reason.isEmpty()) {
            result.reason = c.reason;
            break;
        }
    }
    result.verdict = worstVerdict(result.characteristics);
    end(std::move(result));
}

CharacteristicResult PartCycle::described(int channel) const {
    CharacteristicResult c;
    c.channel = channel;
    if (const Channel *ch = setup_.channel(channel)) {
        c.description = ch->Description;
        c.units = ch->Units;
        c.decimals = ch->Decimals;
        c.limits = toleranceLimits(*ch);
    }
    return c;
}

PartResult PartCycle::partRecord() const {
    const PartProgram &program = program_.program();
    PartResult result;
    result.number = effectivePartNumber(program, setup_.state().SetupFileName);
    result.description = program.description;
    result.id = id_;
    result.started = startedAt_;
    for (const Followed &f : followed_) {
        result.characteristics.push_back(described(f.channel));
    }
    return result;
}

void PartCycle::endNotCompleted(const QString &reason) {
    PartResult result = partRecord();
    result.reason = reason;
    result.verdict = ToleranceVerdict::NotValid;
    end(std::move(result));
}

void PartCycle::end(PartResult result) {
    result.count = ++count_;
    result.ended = wall_.now();
    ++counters_.parts;
    switch (verdictKind(result.verdict)) {
        case VerdictKind::Good:
            ++counters_.good;
            break;
        case VerdictKind::Warning:
            ++counters_.warning;
            break;
        case VerdictKind::Reject:
            ++counters_.reject;
            break;
        case VerdictKind::NotValid:
            ++counters_.notValid;
            break;
    }
    // In auto the result stays until the part is taken off, or a new one could start at once.
    waitForRemoval_ = program_.program().start == PartStart::Auto;
    followed_.clear();
    last_ = std::move(result);
    state_ = CycleState::Result;
    emit partEnded(*last_);
    emit countersChanged();
    emit stateChanged(CycleState::Result);
}

QString PartCycle::stateText() const {
    switch (state_) {
        case CycleState::Ready:
            return QStringLiteral("READY");
        case CycleState::Settling:
        case CycleState::Acquiring:
            return QStringLiteral("MEASURING");
        case CycleState::Result:
            break;
    }
    return QStringLiteral("RESULT");
}

}  // namespace zelapp
