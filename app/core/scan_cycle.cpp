#include "core/scan_cycle.h"

#include <algorithm>
#include <limits>

#include "base/runtime_text.h"
#include "setup/setup.h"
#include "unit/library_boxes.h"

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

void ScanCycle::addObserver(ScanObserver &observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void ScanCycle::removeObserver(ScanObserver &observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer),
                     observers_.end());
}

void ScanCycle::channelRead(int channel, const ShownValue &shown) {
    for (ScanObserver *observer : observers_) {
        observer->channelRead(channel, shown);
    }
}

void ScanCycle::inputRead(ScanObserver::Input input, int number, const ShownValue &shown) {
    for (ScanObserver *observer : observers_) {
        observer->inputRead(input, number, shown);
    }
}

ShownValue ScanCycle::read(LiveValueSink::Source source, int number) {
    using Source = LiveValueSink::Source;
    const auto readFunction = source == Source::Channel ? &UnitApi::ZelReadChannel
                              : source == Source::Lvdt  ? &UnitApi::ZelReadLvdt
                                                        : &UnitApi::ZelReadAnalog;
    const std::pair key{source, number};
    readThisTick_ = true;
    float value = 0;
    int32_t status = 0;
    // Looked up afresh after the read: the library's box runs the event loop, and the ticks
    // that come meanwhile may change the record.
    if (refusedReads_.contains(key)) {
        const LibraryBoxesOff quiet(unit_);
        status = (unit_.*readFunction)(number, &value);
    } else {
        status = (unit_.*readFunction)(number, &value);
    }
    if (status == 0) {
        refusedReads_.erase(key);
        return {ShownValue::Kind::Reading, value};
    }
    if (status == kUnitNotCommunicating) {
        return {ShownValue::Kind::NoUnit, 0};
    }
    const auto told = refusedReads_.find(key);
    if (told == refusedReads_.end()) {
        refusedReads_.emplace(key, status);  // the library's box has just said it
    } else if (told->second != status) {
        refusedReads_.erase(told);  // unheard; the next read says it with the boxes on
    }
    return {ShownValue::Kind::NoReading, 0};
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
    return rt::formatValue(value, *lastDecimals_, separator_);
}

ShownValue ScanCycle::readChannel(const Channel &channel, int number) {
    if (channel.Formula().isEmpty()) {
        return {ShownValue::Kind::NoReading, 0};
    }
    return read(LiveValueSink::Source::Channel, number);
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
void ScanCycle::showValue(int position, const QString &text, const ShownValue &shown) {
    if (displays_.gridEnabled()) {
        displays_.SetGridValue(position, text);
    }
    if (displays_.barsEnabled()) {
        displays_.SetBarValue(position, shown.kind == ShownValue::Kind::Reading
                                            ? shown.value
                                            : std::numeric_limits<float>::quiet_NaN());
    }
}

void ScanCycle::Timer1_Timer() {
    if (!timerEnabled_) {
        return;
    }
    readThisTick_ = false;
    feedLiveFields();
    displays_.setDisplaysPaused(!state_.UpdateEnabled);
    if (state_.UpdateEnabled && state_.ScanHoldCount == 0) {
        showView();
    }
    // With updating off, no channel defined or a view that reads nothing, frozen values would
    // otherwise look measured while the unit is gone.
    if (!readThisTick_) {
        checkUnit();
    }
}

void ScanCycle::checkUnit() {
    // Only whether the unit answers matters here; a refusal of this read is nobody's news, and
    // must not become a box at every tick.
    const LibraryBoxesOff quiet(unit_);
    float value = 0;
    unit_.ZelReadChannel(kCheckedChannel, &value);
}

void ScanCycle::showView() {
    if (state_.ViewType != VIEWTYPECHANNELS) {
        updateLabels();  // channel view does it on the way
    }
    switch (state_.ViewType) {
        case VIEWTYPEGROUPS:
            showGroup();
            break;
        case VIEWTYPECHANNELS:
            showChannels();
            break;
        case VIEWTYPELVDTS:
            showInputs(ScanObserver::Input::Lvdt, setup_.lvdtCount());
            break;
        case VIEWTYPEANALOGS:
            showInputs(ScanObserver::Input::Analog, setup_.analogCount());
            break;
        default:
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

void ScanCycle::feed(LiveValueSink &sink) {
    const int number = sink.liveNumber();
    if (number == 0) {
        return;
    }
    switch (sink.liveSource()) {
        case LiveValueSink::Source::Channel: {
            const Channel *channel = setup_.channel(number);
            if (!channel) {
                return;
            }
            const ShownValue shown = readChannel(*channel, number);
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
        case LiveValueSink::Source::Lvdt:
        case LiveValueSink::Source::Analog: {
            const bool lvdt = sink.liveSource() == LiveValueSink::Source::Lvdt;
            if (number < 1 || number > (lvdt ? setup_.lvdtCount() : setup_.analogCount())) {
                return;
            }
            const ShownValue shown = read(sink.liveSource(), number);
            sink.showLiveValue(inputText(shown), shown.kind == ShownValue::Kind::Reading
                                                     ? std::optional<float>(shown.value)
                                                     : std::nullopt);
            return;
        }
    }
}

void ScanCycle::updateLabels() {
    fitCache(lastChannelValue_, setup_.channelCount());
    for (int i = 1; i <= setup_.channelCount(); ++i) {
        const Channel *channel = setup_.channel(i);
        if (!channel) {
            continue;
        }
        const ShownValue shown = readChannel(*channel, i);
        channelRead(i, shown);
        if (shown != lastChannelValue_[i]) {
            lastChannelValue_[i] = shown;
            setup_.labels().setText(i, channelText(*channel, shown));
        }
    }
}

void ScanCycle::showGroup() {
    // Group 0 or below would be a fault of the caller; show nothing rather than guess.
    if (state_.CurrentGroup < 1 || state_.CurrentGroup > setup_.groupCount()) {
        return;
    }
    const group *shown = setup_.groupAt(state_.CurrentGroup);
    if (!shown) {
        return;
    }
    // Keyed by channel number, so the cache must reach the highest channel.
    fitCache(lastViewValue_, setup_.channelCount());
    for (int p = 1; p <= shown->Count; ++p) {
        const int ch = shown->GetChannel(p);
        // A group still naming a removed channel: leave its row alone.
        const Channel *channel = setup_.channel(ch);
        if (!channel) {
            continue;
        }
        const ShownValue shown = readChannel(*channel, ch);
        if (shown == lastViewValue_[ch]) {
            continue;
        }
        lastViewValue_[ch] = shown;
        showValue(p, channelText(*channel, shown), shown);
    }
}

void ScanCycle::showChannels() {
    fitCache(lastChannelValue_, setup_.channelCount());
    for (int i = 1; i <= setup_.channelCount(); ++i) {
        const Channel *channel = setup_.channel(i);
        if (!channel) {
            continue;
        }
        const ShownValue shown = readChannel(*channel, i);
        channelRead(i, shown);
        if (shown == lastChannelValue_[i]) {
            continue;
        }
        lastChannelValue_[i] = shown;
        const QString text = channelText(*channel, shown);
        setup_.labels().setText(i, text);
        showValue(i, text, shown);
    }
}

void ScanCycle::showInputs(ScanObserver::Input input, int count) {
    const auto source = input == ScanObserver::Input::Lvdt ? LiveValueSink::Source::Lvdt
                                                           : LiveValueSink::Source::Analog;
    for (int i = 1; i <= count; ++i) {
        const ShownValue shown = read(source, i);
        inputRead(input, i, shown);
        showValue(i, inputText(shown), shown);
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
