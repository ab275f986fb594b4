// The scan tick (Timer1_Timer, every 400 ms) and UpdateMainDisplay: read what is on show from
// the unit and move it, formatted, into the dialogs' live-value fields, the channel value
// holders, the grid and the bars. Channel values travel only when they changed since they were
// last shown; probe and analog values every tick. Every tick asks the unit at least once, so a
// lost unit is noticed whatever is on show.
// - The tick never stops for a box: the library's boxes are off while it reads. A read the unit
//   refuses (a channel or probe it lacks, any error status) shows no value, with the unit's
//   words as the value's tooltip, and the notice line under the main window's buttons names
//   the refused items for as long as they are refused.
// - The window's thread gives the unit at most kReadBudgetMs of a tick (plus the read under
//   way). Items not read then keep their last value marked old and come first in the next
//   tick; a tick whose every answer took longer than the budget says "ZEL-8 answering slowly"
//   in the notice line. Each channel is read at most once per tick, whoever shows it.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include <QMetaObject>

#include "base/app_state.h"
#include "base/elapsed_clock.h"
#include "base/live_value.h"
#include "base/main_window_port.h"
#include "base/scan_timer.h"
#include "base/time_budget.h"
#include "unit/unit_api.h"

namespace zelapp {

class Channel;
class Setup;
struct SetupChange;

// What the displays last got for one item: nothing since the caches were reset, no reading (a
// channel without a formula, or a read the unit refused), "NO UNIT" (the unit did not answer),
// or a reading. An old value is the last one shown, kept because the tick's time for the unit
// ran out before the item was read.
struct ShownValue {
    enum class Kind : unsigned char { NotShown, NoReading, NoUnit, Reading };
    Kind kind = Kind::NotShown;
    float value = 0;
    bool old = false;
    int32_t refusal = 0;  // the unit's status, for a read it refused
    // NaN readings never equal each other, so they are shown again on every tick.
    bool operator==(const ShownValue &) const = default;
};

class ScanCycle : public ScanTimer {
  public:
    static constexpr qint64 kReadBudgetMs = kUnitTurnMs;
    static QString slowText() { return QStringLiteral("ZEL-8 answering slowly"); }
    static QString notReadTip() { return QStringLiteral("not read: the unit answers slowly"); }

    // The scan follows every change of the setup that changes what the displays show.
    ScanCycle(UnitApi &unit, AppState &state, Setup &setup, MainWindowPort &displays);
    ~ScanCycle() override;
    ScanCycle(const ScanCycle &) = delete;
    ScanCycle &operator=(const ScanCycle &) = delete;

    // The dialogs' live-value fields, fed in the order they were added. A sink stays added
    // until it is removed; the caller keeps it alive that long.
    void addLiveSink(LiveValueSink &sink);
    void removeLiveSink(LiveValueSink &sink);

    // The clock the tick's time with the unit is measured by; the steady clock by default. The
    // caller keeps it alive as long as the scan.
    void setClock(const ElapsedClock &clock) { clock_ = &clock; }

    // A channel's standing note beside its value's ("re-master", "Master due"), added to the
    // tooltip of its cell and bar; none by default.
    void setChannelNotes(std::function<QString(int channel)> notes) { notes_ = std::move(notes); }

    // The separator used in value texts; the system's by default.
    void setDecimalSeparator(QChar separator) { separator_ = separator; }
    QChar decimalSeparator() const { return separator_; }
    // A channel's value as the grid shows it: at its decimals, with that separator.
    QString channelValueText(const Channel &channel, float value) const;

    // Timer1: a tick while it is switched off does nothing at all.
    void setTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
    bool timerEnabled() const override { return timerEnabled_; }
    // Feeds the live fields, tells the displays whether updating is paused and, unless it is
    // or they are held, feeds them. A tick that read nothing else reads channel 1 (every unit
    // has it; without a formula it reads 0): the one read that finds a lost unit. Then the
    // notice line is told, when it changed.
    void Timer1_Timer();
    // Rebuilds the displays and resets the caches, then takes one scan hold off.
    void UpdateMainDisplay();
    // The same without touching the scan holds: for a setup renewed under a hold.
    void RebuildDisplays();
    // Forgets what the displays were last given, so the next tick shows every value, and which
    // reads the unit refused: when the unit is lost and when it is back.
    void resetValueCaches();

    // The notice line as last told.
    const QString &unitNotice() const { return notice_; }

    // The cached channel format (ValueFormat) and how many times it has been built.
    const QString &valueFormat() const { return valueFormat_; }
    int formatBuilds() const { return formatBuilds_; }

  private:
    using Source = LiveValueSink::Source;
    // What one tick has done so far.
    struct Tick {
        TimeBudget budget;  // the tick's time with the unit
        int reads = 0;
        bool anyPrompt = false;                           // some answer came within the budget
        std::vector<std::optional<ShownValue>> channels;  // by channel, once read or given up
        std::optional<int> firstUnreadChannel;
        std::optional<int> firstUnreadInput;
    };

    void setupChanged(const SetupChange &change);
    void showValue(int position, const QString &text, const ShownValue &shown,
                   const ValueNote &note);
    // Makes the cached format fit the channel's decimals, rebuilding it only when they differ
    // from the last use, and formats the value with it.
    QString formatChannelValue(const Channel &channel, float value);
    // A channel's value in this tick: read once, then the same for every use. A channel
    // without a formula measures nothing: it is not read and its text is empty. One the tick
    // has no time left for is its last value, old.
    ShownValue channelValue(const Channel &channel, int number);
    QString channelText(const Channel &channel, const ShownValue &shown);
    // One library read, unless the tick's time for the unit is used up. A read that did not
    // reach the unit is "NO UNIT"; one the unit refused is no reading, with its status.
    std::optional<ShownValue> read(Source source, int number);
    bool timeLeft() const;
    // A call to the unit, counted and timed for the tick.
    int32_t timedRead(int32_t (UnitApi::*read)(int32_t, float *), int number, float *value);
    QString inputText(const ShownValue &shown) const;
    static void fitCache(std::vector<ShownValue> &cache, int n);
    static ShownValue oldOf(ShownValue last);
    static ValueNote noteOf(const ShownValue &shown);
    ValueNote channelNote(int channel, const ShownValue &shown) const;
    // Position k (0-based) of a pass over 1..count that starts at `first`.
    static int rotated(int first, int count, int k);

    void showView();
    void checkUnit();
    void finishTick();
    QString noticeText() const;
    void feedLiveFields();
    void feed(LiveValueSink &sink);
    // The value holders (and the channel view's grid and bars) get every channel.
    void showChannels(bool toDisplays);
    void showGroup();
    void showInputs(Source source, int count);

    UnitApi &unit_;
    AppState &state_;
    Setup &setup_;
    MainWindowPort &displays_;
    SteadyClock steadyClock_;
    const ElapsedClock *clock_ = &steadyClock_;
    QMetaObject::Connection listening_;
    std::vector<LiveValueSink *> sinks_;
    Tick tick_;
    std::function<QString(int)> notes_;
    QChar separator_;
    std::vector<ShownValue> lastChannelValue_;  // LastChannelValue, 0..MaxChannel
    std::vector<ShownValue> lastViewValue_;     // LastViewValue, 0..n of the view
    // Where the next tick's pass over the channels and over the view's inputs begins: at what
    // the last tick had no time for.
    int firstChannel_ = 1;
    int firstInput_ = 1;
    // The status of each item whose last read the unit refused.
    std::map<std::pair<Source, int>, int32_t> refusedReads_;
    bool slow_ = false;  // the last tick's every answer took longer than the budget
    QString notice_;
    QString valueFormat_;              // ValueFormat
    std::optional<int> lastDecimals_;  // LastDecimals; none before the first use
    int formatBuilds_ = 0;
    bool timerEnabled_ = true;
};

}  // namespace zelapp
