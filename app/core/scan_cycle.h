// The scan tick (Timer1_Timer, every 400 ms) and UpdateMainDisplay: read what is on show from
// the unit and move it, formatted, into the dialogs' live-value fields, the channel value
// holders, the grid and the bars. Channel values travel only when they changed since they were
// last shown; probe and analog values every tick. A read the unit refuses (a probe it lacks)
// shows no value, and the library's box says why once, not at every tick. Every tick asks the
// unit at least once, so a lost unit is noticed whatever is on show.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include <QMetaObject>

#include "base/app_state.h"
#include "base/live_value.h"
#include "base/main_window_port.h"
#include "base/scan_timer.h"
#include "core/scan_observer.h"
#include "unit/unit_api.h"

namespace zelapp {

class Channel;
class Setup;
struct SetupChange;

class ScanCycle : public ScanTimer {
  public:
    // The scan follows every change of the setup that changes what the displays show.
    ScanCycle(UnitApi &unit, AppState &state, Setup &setup, MainWindowPort &displays);
    ~ScanCycle() override;
    ScanCycle(const ScanCycle &) = delete;
    ScanCycle &operator=(const ScanCycle &) = delete;

    // The dialogs' live-value fields, fed in the order they were added. A sink stays added
    // until it is removed; the caller keeps it alive that long.
    void addLiveSink(LiveValueSink &sink);
    void removeLiveSink(LiveValueSink &sink);
    // Followers of what the tick reads for the main displays, told in the order they were
    // added; the caller keeps each alive until it is removed.
    void addObserver(ScanObserver &observer);
    void removeObserver(ScanObserver &observer);

    // The separator used in value texts; the system's by default.
    void setDecimalSeparator(QChar separator) { separator_ = separator; }

    // Timer1: a tick while it is switched off does nothing at all.
    void setTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
    bool timerEnabled() const override { return timerEnabled_; }
    // Feeds the live fields, tells the displays whether updating is paused and, unless it is
    // or they are held, feeds them. A tick that read nothing else reads channel 1 (every unit
    // has it; without a formula it reads 0): the one read that finds a lost unit.
    void Timer1_Timer();
    // Rebuilds the displays and resets the caches, then takes one scan hold off.
    void UpdateMainDisplay();
    // The same without touching the scan holds: for a setup renewed under a hold.
    void RebuildDisplays();
    // Forgets what the displays were last given, so the next tick shows every value, and which
    // reads the unit refused: when the unit is lost and when it is back.
    void resetValueCaches();

    // The cached channel format (ValueFormat) and how many times it has been built.
    const QString &valueFormat() const { return valueFormat_; }
    int formatBuilds() const { return formatBuilds_; }

  private:
    void setupChanged(const SetupChange &change);
    void showValue(int position, const QString &text, const ShownValue &shown);
    // Makes the cached format fit the channel's decimals, rebuilding it only when they differ
    // from the last use, and formats the value with it.
    QString formatChannelValue(const Channel &channel, float value);
    // A channel without a formula measures nothing: it is not read and its text is empty.
    ShownValue readChannel(const Channel &channel, int number);
    QString channelText(const Channel &channel, const ShownValue &shown);
    // One library read. A read that did not reach the unit is "NO UNIT"; one the unit refused
    // is no reading. The library's box tells the operator of a refusal once: the item is read
    // with the boxes off until a read succeeds, the status changes, or the setup or the unit
    // does.
    ShownValue read(LiveValueSink::Source source, int number);
    QString inputText(const ShownValue &shown) const;
    static void fitCache(std::vector<ShownValue> &cache, int n);

    void showView();
    void checkUnit();
    // The observers hear each value the tick read for the displays.
    void channelRead(int channel, const ShownValue &shown);
    void inputRead(ScanObserver::Input input, int number, const ShownValue &shown);
    void feedLiveFields();
    void feed(LiveValueSink &sink);
    void updateLabels();
    void showGroup();
    void showChannels();
    void showInputs(ScanObserver::Input input, int count);

    UnitApi &unit_;
    AppState &state_;
    Setup &setup_;
    MainWindowPort &displays_;
    QMetaObject::Connection listening_;
    std::vector<LiveValueSink *> sinks_;
    std::vector<ScanObserver *> observers_;
    bool readThisTick_ = false;  // a read of this tick went to the unit
    QChar separator_;
    std::vector<ShownValue> lastChannelValue_;  // LastChannelValue, 0..MaxChannel
    std::vector<ShownValue> lastViewValue_;     // LastViewValue, 0..n of the view
    // The status of each item whose last read the unit refused, already told to the operator.
    std::map<std::pair<LiveValueSink::Source, int>, int32_t> refusedReads_;
    QString valueFormat_;              // ValueFormat
    std::optional<int> lastDecimals_;  // LastDecimals; none before the first use
    int formatBuilds_ = 0;
    bool timerEnabled_ = true;
};

}  // namespace zelapp
