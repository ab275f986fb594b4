#include "core/scan_cycle.h"

#include <algorithm>
#include <limits>

#include "base/runtime_text.h"
#include "setup/setup.h"
#include "unit/library_boxes.h"
#include "unit/refused_items.h"
#include "unit/unit_status.h"

namespace zelapp {

namespace {
// Probe and analog values always show this many decimals.
constexpr int kInputDecimals = 5;
// What a tick that read nothing else reads to see that the unit still answers.
constexpr int kCheckedChannel = 1;
// The widest format the runtime produces; wilder Decimals from a setup file are held to it.
constexpr int kMaxDecimals = 30;
}  // namespace

ScanCycle::ScanCycle(UnitApi &unit, AppState &state, Setup &setup, MainWindowPort &displays)
    : unit_(unit),
      state_(state),
      setup_(setup),
      displays_(displays),
      separator_(rt::systemDecimalSeparator()) {
    listening_ = QObject::connect(&setup_.notifier(), &SetupNotifier::changed,
                                  [this](const SetupChange &change) { setupChanged(change); });
}

ScanCycle::~ScanCycle() {
    QObject::disconnect(listening_);
}

// The displays show descriptions, limits, bar ranges and the rows of a group as they were when
// they were built: what a dialog programmed shows at once, a replaced setup or other counts
// are laid out anew. Zero and scaling change only the readings, which the tick brings.
void ScanCycle::setupChanged(const SetupChange &change) {
    // A changed setup may read what was refused before, or refuse it anew: tell again.
    refusedReads_.clear();
    using Kind = SetupChange::Kind;
    switch (change.kind) {
        case Kind::Replaced:
        case Kind::Counts:
        case Kind::Channel:
            RebuildDisplays();
            return;
        case Kind::Lvdt:
        case Kind::Amplifier:
            if (state_.ViewType == VIEWTYPELVDTS) {
                RebuildDisplays();
            }
            return;
        case Kind::Analog:
            if (state_.ViewType == VIEWTYPEANALOGS) {
                RebuildDisplays();
            }
            return;
        case Kind::Groups:
            if (state_.ViewType == VIEWTYPEGROUPS) {
                RebuildDisplays();
            }
            return;
        case Kind::ChannelScaling:
            return;
    }
}

void ScanCycle::addLiveSink(LiveValueSink &sink) {
    if (std::find(sinks_.begin(), sinks_.end(), &sink) == sinks_.end()) {
        sinks_.push_back(&sink);
    }
}

void ScanCycle::removeLiveSink(LiveValueSink &sink) {
    sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), &sink), sinks_.end());
}

bool ScanCycle::timeLeft() const {
    return tick_.budget.timeLeft();
}

int32_t ScanCycle::timedRead(int32_t (UnitApi::*read)(int32_t, float *), int number, float *value) {
    const TimeBudget call(*clock_, kReadBudgetMs);
    const int32_t status = (unit_.*read)(number, value);
    ++tick_.reads;
    if (call.spentMs() <= kReadBudgetMs) {
        tick_.anyPrompt = true;
    }
    return status;
}

std::optional<ShownValue> ScanCycle::read(Source source, int number) {
    if (!timeLeft()) {
        return std::nullopt;
    }
    const auto readFunction = source == Source::Channel ? &UnitApi::ZelReadChannel
                              : source == Source::Lvdt  ? &UnitApi::ZelReadLvdt
                                                        : &UnitApi::ZelReadAnalog;
    float value = 0;
    const int32_t status = timedRead(readFunction, number, &value);
    const std::pair key{source, number};
    if (status == 0) {
        refusedReads_.erase(key);
        return ShownValue{ShownValue::Kind::Reading, value};
    }
    if (status == kUnitNotCommunicating) {
        return ShownValue{ShownValue::Kind::NoUnit, 0};
    }
    refusedReads_[key] = status;
    return ShownValue{ShownValue::Kind::NoReading, 0, false, status};
}

ShownValue ScanCycle::oldOf(ShownValue last) {
    last.old = true;
    return last;
}

ValueNote ScanCycle::noteOf(const ShownValue &shown) {
    if (shown.old) {
        return {true, notReadTip()};
    }
    if (shown.kind == ShownValue::Kind::NoReading && shown.refusal != 0) {
        return {false, unitStatusText(shown.refusal)};
    }
    return {};
}

ValueNote ScanCycle::channelNote(int channel, const ShownValue &shown) const {
    ValueNote note = noteOf(shown);
    const QString standing = notes_ ? notes_(channel) : QString();
    if (!standing.isEmpty()) {
        note.tip = note.tip.isEmpty() ? standing : note.tip + QLatin1Char('\n') + standing;
    }
    return note;
}

int ScanCycle::rotated(int first, int count, int k) {
    const int start = first >= 1 && first <= count ? first - 1 : 0;
    return 1 + (start + k) % count;
}

QString ScanCycle::inputText(const ShownValue &shown) const {
    switch (shown.kind) {
        case ShownValue::Kind::Reading:
            return rt::formatValue(shown.value, kInputDecimals, separator_);
        case ShownValue::Kind::NoUnit:
            return noUnitText();
        default:
            return {};
    }
}

QString ScanCycle::formatChannelValue(const Channel &channel, float value) {
    const int decimals = channel.Decimals;
    if (!lastDecimals_ || *lastDecimals_ != decimals) {
        valueFormat_ = rt::valueFormatText(std::clamp(decimals, 0, kMaxDecimals));
        lastDecimals_ = decimals;
        ++formatBuilds_;
    }
    return channelValueText(channel, value);
}

QString ScanCycle::channelValueText(const Channel &channel, float value) const {
    return rt::formatValue(value, channel.Decimals, separator_);
}

ShownValue ScanCycle::channelValue(const Channel &channel, int number) {
    if (channel.Formula().isEmpty()) {
        return {ShownValue::Kind::NoReading, 0};
    }
    const auto slot = static_cast<std::size_t>(number);
    if (tick_.channels.size() <= slot) {
        tick_.channels.resize(slot + 1);
    }
    if (!tick_.channels[slot]) {
        if (const std::optional<ShownValue> shown = read(Source::Channel, number)) {
            tick_.channels[slot] = *shown;
        } else {
            fitCache(lastChannelValue_, number);
            tick_.channels[slot] = oldOf(lastChannelValue_[slot]);
            if (!tick_.firstUnreadChannel) {
                tick_.firstUnreadChannel = number;
            }
        }
    }
    return *tick_.channels[slot];
}

QString ScanCycle::channelText(const Channel &channel, const ShownValue &shown) {
    switch (shown.kind) {
        case ShownValue::Kind::Reading:
            return formatChannelValue(channel, shown.value);
        case ShownValue::Kind::NoUnit:
            return noUnitText();
        default:
            return {};
    }
}

void ScanCycle::fitCache(std::vector<ShownValue> &cache, int n) {
    const auto size = static_cast<std::size_t>(std::max(n, 0)) + 1;
    if (cache.size() < size) {
        cache.resize(size);
    }
}

// The grid and bar checks are read on every use: the operator may switch them at any time.
void ScanCycle::showValue(int position, const QString &text, const ShownValue &shown,
                          const ValueNote &note) {
    const bool grid = displays_.gridEnabled();
    const bool bars = displays_.barsEnabled();
    if (grid) {
        displays_.SetGridValue(position, text);
    }
    if (bars) {
        displays_.SetBarValue(position, shown.kind == ShownValue::Kind::Reading
                                            ? shown.value
                                            : std::numeric_limits<float>::quiet_NaN());
    }
    if (grid || bars) {
        displays_.SetValueNote(position, note);
    }
}

void ScanCycle::Timer1_Timer() {
    if (!timerEnabled_) {
        return;
    }
    // A box would stop the tick, and with it the displays and the live values, while the
    // values stood still: what the unit refuses is told in the notice line instead.
    const LibraryBoxesOff quiet(unit_);
    tick_ = Tick{};
    tick_.budget = TimeBudget(*clock_, kReadBudgetMs);
    feedLiveFields();
    displays_.setDisplaysPaused(!state_.UpdateEnabled);
    if (state_.UpdateEnabled && state_.ScanHoldCount == 0) {
        showView();
    }
    // With updating off, no channel defined or a view that reads nothing, frozen values would
    // otherwise look measured while the unit is gone.
    if (tick_.reads == 0) {
        checkUnit();
    }
    finishTick();
}

void ScanCycle::checkUnit() {
    // Only whether the unit answers matters here; a refusal of this read is nobody's news.
    float value = 0;
    timedRead(&UnitApi::ZelReadChannel, kCheckedChannel, &value);
}

void ScanCycle::finishTick() {
    firstChannel_ = tick_.firstUnreadChannel.value_or(1);
    firstInput_ = tick_.firstUnreadInput.value_or(1);
    slow_ = tick_.reads > 0 && !tick_.anyPrompt;
    const QString notice = noticeText();
    if (notice != notice_) {
        notice_ = notice;
        displays_.setUnitNotice(notice_);
    }
}

QString ScanCycle::noticeText() const {
    QStringList lines;
    if (slow_) {
        lines << slowText();
    }
    RefusedItems refused;
    for (const auto &[key, status] : refusedReads_) {
        const auto item = key.first == Source::Channel ? RefusedItems::Item::Channel
                          : key.first == Source::Lvdt  ? RefusedItems::Item::Probe
                                                       : RefusedItems::Item::Analog;
        refused.add(item, key.second, status);
    }
    lines << refused.lines();
    return lines.join(QLatin1Char('\n'));
}

void ScanCycle::showView() {
    switch (state_.ViewType) {
        case VIEWTYPEGROUPS:
            showChannels(false);
            showGroup();
            break;
        case VIEWTYPECHANNELS:
            showChannels(true);
            break;
        case VIEWTYPELVDTS:
            showChannels(false);
            showInputs(Source::Lvdt, setup_.lvdtCount());
            break;
        case VIEWTYPEANALOGS:
            showChannels(false);
            showInputs(Source::Analog, setup_.analogCount());
            break;
        default:
            showChannels(false);
            break;
    }
}

// A sink naming no existing channel or input is passed over rather than read, so a stale
// number cannot make the library complain on every tick.
void ScanCycle::feedLiveFields() {
    for (LiveValueSink *sink : sinks_) {
        feed(*sink);
    }
}

// A field keeps what it shows when the tick had no time to read its item.
void ScanCycle::feed(LiveValueSink &sink) {
    const int number = sink.liveNumber();
    if (number == 0) {
        return;
    }
    switch (sink.liveSource()) {
        case Source::Channel: {
            const Channel *channel = setup_.channel(number);
            if (!channel) {
                return;
            }
            const ShownValue shown = channelValue(*channel, number);
            if (shown.old) {
                return;
            }
            if (shown.kind != ShownValue::Kind::Reading) {
                sink.showLiveValue(channelText(*channel, shown), std::nullopt);
            } else if (sink.sharesChannelFormat()) {
                sink.showLiveValue(formatChannelValue(*channel, shown.value), shown.value);
            } else {
                sink.showLiveValue(rt::formatValue(shown.value, channel->Decimals, separator_),
                                   shown.value);
            }
            return;
        }
        case Source::Lvdt:
        case Source::Analog: {
            const bool lvdt = sink.liveSource() == Source::Lvdt;
            if (number < 1 || number > (lvdt ? setup_.lvdtCount() : setup_.analogCount())) {
                return;
            }
            const std::optional<ShownValue> shown = read(sink.liveSource(), number);
            if (!shown) {
                return;
            }
            sink.showLiveValue(inputText(*shown), shown->kind == ShownValue::Kind::Reading
                                                      ? std::optional<float>(shown->value)
                                                      : std::nullopt);
            return;
        }
    }
}

void ScanCycle::showChannels(bool toDisplays) {
    const int count = setup_.channelCount();
    fitCache(lastChannelValue_, count);
    for (int k = 0; k < count; ++k) {
        const int i = rotated(firstChannel_, count, k);
        const Channel *channel = setup_.channel(i);
        if (!channel) {
            continue;
        }
        const ShownValue shown = channelValue(*channel, i);
        if (shown == lastChannelValue_[i]) {
            continue;
        }
        lastChannelValue_[i] = shown;
        const QString text = channelText(*channel, shown);
        setup_.labels().setText(i, text);
        if (toDisplays) {
            showValue(i, text, shown, channelNote(i, shown));
        }
    }
}

// Every channel was read (or given up) by the pass over the value holders: the rows take the
// tick's values, so a group naming a channel many times costs one read.
void ScanCycle::showGroup() {
    // Group 0 or below would be a fault of the caller; show nothing rather than guess.
    if (state_.CurrentGroup < 1 || state_.CurrentGroup > setup_.groupCount()) {
        return;
    }
    const group *shownGroup = setup_.groupAt(state_.CurrentGroup);
    if (!shownGroup) {
        return;
    }
    fitCache(lastViewValue_, shownGroup->Count);
    for (int p = 1; p <= shownGroup->Count; ++p) {
        const int ch = shownGroup->GetChannel(p);
        // A group still naming a removed channel: leave its row alone.
        const Channel *channel = setup_.channel(ch);
        if (!channel) {
            continue;
        }
        const ShownValue shown = channelValue(*channel, ch);
        if (shown == lastViewValue_[p]) {
            continue;
        }
        lastViewValue_[p] = shown;
        showValue(p, channelText(*channel, shown), shown, channelNote(ch, shown));
    }
}

void ScanCycle::showInputs(Source source, int count) {
    fitCache(lastViewValue_, count);
    for (int k = 0; k < count; ++k) {
        const int i = rotated(firstInput_, count, k);
        std::optional<ShownValue> shown = read(source, i);
        if (!shown) {
            shown = oldOf(lastViewValue_[i]);
            if (!tick_.firstUnreadInput) {
                tick_.firstUnreadInput = i;
            }
        }
        lastViewValue_[i] = *shown;
        showValue(i, inputText(*shown), *shown, noteOf(*shown));
    }
}

void ScanCycle::UpdateMainDisplay() {
    RebuildDisplays();
    state_.releaseScanHold();
}

void ScanCycle::resetValueCaches() {
    std::fill(lastChannelValue_.begin(), lastChannelValue_.end(), ShownValue{});
    std::fill(lastViewValue_.begin(), lastViewValue_.end(), ShownValue{});
    refusedReads_.clear();
}

void ScanCycle::RebuildDisplays() {
    const int maxChannel = setup_.channelCount();
    lastChannelValue_.assign(static_cast<std::size_t>(maxChannel) + 1, ShownValue{});

    for (int view = VIEWTYPEGROUPS; view <= VIEWTYPEANALOGS; ++view) {
        displays_.setViewChecked(view, false);
    }
    int n = 0;
    switch (state_.ViewType) {
        case VIEWTYPEGROUPS:
        case VIEWTYPECHANNELS:
            n = maxChannel;
            break;
        case VIEWTYPELVDTS:
            n = setup_.lvdtCount();
            break;
        case VIEWTYPEANALOGS:
            n = setup_.analogCount();
            break;
        default:
            break;
    }
    lastViewValue_.assign(static_cast<std::size_t>(n) + 1, ShownValue{});
    if (state_.ViewType >= VIEWTYPEGROUPS && state_.ViewType <= VIEWTYPEANALOGS) {
        displays_.setViewChecked(state_.ViewType, true);
    }

    if (displays_.gridEnabled()) {
        displays_.UpdateGridDisplay();
    }
    if (displays_.barsEnabled()) {
        displays_.UpdateBarDisplay();
    }
}

}  // namespace zelapp
