#include "part/part_cycle.h"

#include <algorithm>
#include <cmath>

#include "base/elapsed_clock.h"
#include "base/runtime_text.h"
#include "base/wall_clock.h"
#include "model/channel.h"
#include "model/formula_inputs.h"
#include "model/inputs.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "unit/unit_connection.h"

namespace zelapp {

namespace {
// A probe reads up to 1.05 x its full scale; one part in 10^5 allows for the float the unit
// sends it in. An analog input reads up to its full scale.
constexpr double kProbeOverRange = 1.05;
constexpr double kEndSlack = 1 - 1e-5;
// Readings are compared as the decimals they stand for; this absorbs the double's rounding.
constexpr double kBandSlack = 1e-9;
// The kinds of input, as range ends name them ("range end T3", "range end A1").
constexpr QChar kProbe = u'T';
constexpr QChar kAnalog = u'A';

bool atEnd(float reading, double end) {
    return end > 0 && std::fabs(static_cast<double>(reading)) >= end;
}
}  // namespace

void countPart(PartCounters &counters, const PartResult &part) {
    if (wasCancelled(part)) {
        ++counters.cancelled;
        return;
    }
    ++counters.parts;
    switch (verdictKind(part.verdict)) {
        case VerdictKind::Good:
            ++counters.good;
            break;
        case VerdictKind::Warning:
            ++counters.warning;
            break;
        case VerdictKind::Reject:
            ++counters.reject;
            break;
        case VerdictKind::NotValid:
            ++counters.notValid;
            break;
    }
}

PartCycle::PartCycle(UnitConnection &unit, Setup &setup, const ActivePartProgram &program,
                     const ElapsedClock &elapsed, const WallClock &wall)
    : unit_(unit), setup_(setup), program_(program), elapsed_(elapsed), wall_(wall) {
    // Each poll arms the next, to the millisecond: a part's times end on time.
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PartCycle::poll);
    connect(&setup_.notifier(), &SetupNotifier::changed, this, &PartCycle::setupChanged);
    connect(&program_, &ActivePartProgram::changed, this, [this] {
        if (running()) {
            endNotCompleted(part_reason::setupChanged());
        }
        schedulePoll();  // a program that starts by itself polls while idle, a key start not
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

void PartCycle::programStarted() {
    started_ = true;
    schedulePoll();
}

void PartCycle::startPolling() {
    polling_ = true;
    schedulePoll();
}

void PartCycle::stopPolling() {
    polling_ = false;
    timer_.stop();
}

void PartCycle::schedulePoll() {
    if (!polling_) {
        return;
    }
    if (const std::optional<qint64> next = nextPollMs()) {
        timer_.start(static_cast<int>(*next));
    } else {
        timer_.stop();
    }
}

std::optional<qint64> PartCycle::nextPollMs() const {
    const PartProgram &program = program_.program();
    const qint64 now = elapsed_.elapsedMs();
    if (!running()) {
        if (!started_ || program.start != PartStart::Auto) {
            return std::nullopt;
        }
        return presentSince_
                   ? std::clamp<qint64>(*presentSince_ + program.presentTimeMs - now, 0, kPollMs)
                   : kPollMs;
    }
    if (!polled_) {
        return 0;
    }
    if (!turn_.timeLeft() || (allowed_ && !allowed_()) || (busy_ && busy_())) {
        return kPollMs;
    }
    return std::clamp<qint64>(cycleDeadlineMs() - now, 0, kPollMs);
}

// Readings still go on every kPollMs in between: a settle band left or a range end reached.
qint64 PartCycle::cycleDeadlineMs() const {
    const qint64 due = elapsed_.elapsedMs() + kPollMs;
    if (state_ == CycleState::Acquiring) {
        return std::min(due, clearedMs_ + program_.program().dynamicTimeMs);
    }
    return settledByMs_ ? std::min(due, *settledByMs_) : due;
}

QString PartCycle::measure(const QString &id) {
    if (!started_) {
        return starting();
    }
    if (running()) {
        return cycleRunning();
    }
    if (unit_.lost()) {
        return part_reason::unitLost();
    }
    if (busy_ && busy_()) {
        return part_reason::busy();
    }
    if (effectiveCharacteristics(program_.program(), setup_).empty()) {
        return noCharacteristics();
    }
    // In auto, a start without a part would only end it "part removed" at the next poll.
    if (program_.program().start == PartStart::Auto && !partOn()) {
        return unit_.lost() ? part_reason::unitLost() : noPart();
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
    watched_.clear();
    const auto watch = [this](QChar kind, int number) {
        if (std::none_of(watched_.begin(), watched_.end(),
                         [&](const Watched &w) { return w.kind == kind && w.number == number; })) {
            watched_.push_back({kind, number, std::nullopt});
        }
    };
    for (int channel : effectiveCharacteristics(program, setup_)) {
        const FormulaInputs inputs = channelInputs(channel, formulaOf);
        Followed f;
        f.channel = channel;
        f.dynamic = inputs.maxMin;
        for (int probe : inputs.probes) {
            if (probe >= 1 && probe <= setup_.lvdtCount()) {
                f.probes.push_back(probe);
                watch(kProbe, probe);
            }
        }
        for (int input : inputs.analogs) {
            if (input >= 1 && input <= setup_.analogCount()) {
                f.analogs.push_back(input);
                watch(kAnalog, input);
            }
        }
        followed_.push_back(std::move(f));
    }
    id_ = id;
    nextId_.clear();
    timeout_ = TimeBudget(elapsed_, program.timeoutMs);
    startedAt_ = wall_.now();
    settleNext_ = 0;
    watchNext_ = 0;
    captureNext_ = 0;
    unsettled_ = false;
    settled_ = false;
    capturing_ = false;
    polled_ = false;
    settledByMs_.reset();
    waitForRemoval_ = false;
    presentSince_.reset();
    setState(CycleState::Settling);
    schedulePoll();
}

void PartCycle::setState(CycleState state) {
    state_ = state;
    emit stateChanged(state);
}

void PartCycle::poll() {
    turn_ = TimeBudget(elapsed_, kUnitTurnMs);
    if (running()) {
        pollRunning();
    } else {
        pollIdle();
    }
    schedulePoll();
}

// Ready, or holding a result: in auto, a part put on the gauge starts a cycle, and a held
// result is let go once its part is taken off. The unit is asked nothing otherwise.
void PartCycle::pollIdle() {
    const PartProgram &program = program_.program();
    if (!started_ || program.start != PartStart::Auto || unit_.lost() || (busy_ && busy_()) ||
        (allowed_ && !allowed_())) {
        presentSince_.reset();
        return;
    }
    Go go = Go::On;
    const std::optional<bool> present = partPresent(&go);
    if (!present.value_or(false)) {
        presentSince_.reset();
    }
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
    if (!*present) {
        return;
    }
    const qint64 now = turn_.startMs();
    if (!presentSince_) {
        presentSince_ = now;
    }
    // The part is on once it has stayed on for the present time: a bouncing signal starts
    // nothing. A barcode is scanned before the part is put on; without one the part waits. A
    // program whose characteristics the setup does not measure has nothing to measure it by.
    if (now - *presentSince_ < program.presentTimeMs || (program.askId && nextId_.isEmpty()) ||
        effectiveCharacteristics(program, setup_).empty()) {
        return;
    }
    start(nextId_);
}

bool PartCycle::partOn() {
    if (allowed_ && !allowed_()) {
        return false;
    }
    turn_ = TimeBudget(elapsed_, kUnitTurnMs);
    Go go = Go::On;
    return partPresent(&go).value_or(false);
}

void PartCycle::pollRunning() {
    polled_ = true;
    const PartProgram &program = program_.program();
    // The timeout runs whatever holds the cycle up, the scan tick switched off included.
    if (!timeout_.timeLeft()) {
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
    if (readFullScales() != Go::On) {
        return;
    }
    if (program.start == PartStart::Auto) {
        Go go = Go::On;
        const std::optional<bool> present = partPresent(&go);
        if (go != Go::On) {
            return;
        }
        if (present && !*present) {
            endNotCompleted(part_reason::partRemoved());
            return;
        }
    }
    if (state_ == CycleState::Settling) {
        if (!settled_ && settle() != Go::On) {
            return;
        }
        if (settled_) {
            clearMaxMin();
        }
        return;
    }
    if (!capturing_) {
        if (watchRangeEnds() != Go::On ||
            elapsed_.elapsedMs() - clearedMs_ < program.dynamicTimeMs) {
            return;
        }
        capturing_ = true;
    }
    capture();
}

PartCycle::Go PartCycle::mayCall() {
    if (running() && !timeout_.timeLeft()) {
        endNotCompleted(part_reason::timeout());
        return Go::Ended;
    }
    return turn_.timeLeft() ? Go::On : Go::Later;
}

PartCycle::Go PartCycle::called() {
    if (unit_.lost()) {
        if (running()) {
            endNotCompleted(part_reason::unitLost());
        }
        return Go::Ended;
    }
    // What came back too late is not the part's: its time was up.
    if (running() && !timeout_.timeLeft()) {
        endNotCompleted(part_reason::timeout());
        return Go::Ended;
    }
    return Go::On;
}

PartCycle::Go PartCycle::read(int32_t (UnitApi::*call)(int32_t, float *), int number, float *value,
                              int32_t *status) {
    *value = 0;
    *status = 0;
    if (const Go go = mayCall(); go != Go::On) {
        return go;
    }
    *status = (unit_.*call)(number, value);
    return called();
}

std::optional<bool> PartCycle::partPresent(Go *go) {
    const PartProgram &program = program_.program();
    if (program.presentChannel < 1 || program.presentChannel > setup_.channelCount()) {
        return std::nullopt;
    }
    float value = 0;
    int32_t status = 0;
    *go = read(&UnitApi::ZelReadChannel, program.presentChannel, &value, &status);
    if (*go != Go::On || status != 0 || !std::isfinite(value)) {
        return std::nullopt;
    }
    const double reading = rt::shortestDecimal(value);
    return reading >= program.presentLow && reading <= program.presentHigh;
}

// Once per cycle, before anything else: full scales cost calls of their own.
PartCycle::Go PartCycle::readFullScales() {
    for (Watched &input : watched_) {
        if (input.end) {
            continue;
        }
        if (const Go go = mayCall(); go != Go::On) {
            return go;
        }
        input.end = rangeEndOf(input);
        if (const Go go = called(); go != Go::On) {
            return go;
        }
    }
    return Go::On;
}

double PartCycle::rangeEndOf(const Watched &input) const {
    if (input.kind == kProbe) {
        const Lvdt *lvdt = setup_.lvdt(input.number);
        return lvdt != nullptr
                   ? std::fabs(static_cast<double>(lvdt->FullScale())) * kProbeOverRange * kEndSlack
                   : 0;
    }
    const analog *a = setup_.analogInput(input.number);
    return a != nullptr ? std::fabs(static_cast<double>(a->FullScale())) * kEndSlack : 0;
}

// Every static characteristic must have stayed within its band for the settle time; a
// reading outside the band starts its time again from that reading.
PartCycle::Go PartCycle::settle() {
    const PartProgram &program = program_.program();
    if (settleNext_ == 0) {
        settledByMs_.reset();
    }
    for (; settleNext_ < followed_.size(); ++settleNext_) {
        Followed &f = followed_[settleNext_];
        const Channel *channel = setup_.channel(f.channel);
        if (f.dynamic || !f.reason.isEmpty() || channel == nullptr) {
            continue;
        }
        float value = 0;
        int32_t status = 0;
        if (const Go go = read(&UnitApi::ZelReadChannel, f.channel, &value, &status);
            go != Go::On) {
            return go;
        }
        if (status != 0) {
            f.reason = part_reason::readFailed();
            continue;
        }
        const double reading = rt::shortestDecimal(value);
        if (!std::isfinite(reading)) {
            continue;  // no size to settle: the capture finds it Not valid
        }
        const qint64 now = elapsed_.elapsedMs();
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
            unsettled_ = true;
            settledByMs_ = std::max(settledByMs_.value_or(now), f.since + program.settleTimeMs);
        }
    }
    settleNext_ = 0;
    settled_ = !unsettled_;
    unsettled_ = false;
    return Go::On;
}

void PartCycle::clearMaxMin() {
    if (mayCall() != Go::On) {
        return;
    }
    const int32_t status = unit_.ZelResetMM();
    if (called() != Go::On) {
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

// Each input used is read once per pass; a characteristic takes the first of its inputs found
// at its range end.
PartCycle::Go PartCycle::watchRangeEnds() {
    for (; watchNext_ < watched_.size(); ++watchNext_) {
        const Watched &input = watched_[watchNext_];
        float value = 0;
        int32_t status = 0;
        const auto call = input.kind == kProbe ? &UnitApi::ZelReadLvdt : &UnitApi::ZelReadAnalog;
        if (const Go go = read(call, input.number, &value, &status); go != Go::On) {
            return go;
        }
        if (status != 0 || !atEnd(value, input.end.value_or(0))) {
            continue;
        }
        for (Followed &f : followed_) {
            const std::vector<int> &used = input.kind == kProbe ? f.probes : f.analogs;
            if (f.reason.isEmpty() &&
                std::find(used.begin(), used.end(), input.number) != used.end()) {
                f.reason = part_reason::rangeEnd(input.kind, input.number);
            }
        }
    }
    watchNext_ = 0;
    return Go::On;
}

void PartCycle::capture() {
    for (; captureNext_ < followed_.size(); ++captureNext_) {
        Followed &f = followed_[captureNext_];
        if (!f.reason.isEmpty()) {
            continue;
        }
        float value = 0;
        int32_t status = 0;
        if (read(&UnitApi::ZelReadChannel, f.channel, &value, &status) != Go::On) {
            return;
        }
        if (status != 0) {
            f.reason = part_reason::readFailed();
        } else {
            f.value = value;
        }
    }
    PartResult result = partRecord();
    result.completed = true;
    for (std::size_t i = 0; i < followed_.size(); ++i) {
        const Followed &f = followed_[i];
        CharacteristicResult &c = result.characteristics[i];
        c.reason = f.reason;
        const Channel *channel = setup_.channel(f.channel);
        if (!f.value || channel == nullptr) {
            continue;
        }
        c.verdict = judgeChannel(*channel, *f.value);
        // Judged Not valid, it is no value: a reading (or a limit) that is no finite number.
        if (verdictKind(c.verdict) == VerdictKind::NotValid) {
            c.reason = part_reason::notANumber();
            continue;
        }
        c.value = f.value;
        c.text = valueText_
                     ? valueText_(*channel, *f.value)
                     : rt::resultText(*f.value, channel->Decimals, rt::systemDecimalSeparator());
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
    countPart(counters_, result);
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
