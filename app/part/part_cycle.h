// The part cycle: a part on the gauge is measured, each characteristic captured and judged, and
// the part given one verdict. One object owns the cycle's state, its counters and the last
// part's result; the result window, the live-value service and everything that keeps parts
// follow its notices.
//
// Ready -> Measuring (settling, then acquiring) -> Result, held until the next start (or, when
// parts start by themselves, until the part is taken off), then Ready again. A cycle that cannot
// end well ends Not valid with its reason (model/part_result.h).
// - Start: measure() (the menu, F9, the result window's button, another program), or, with
//   `Start=auto`, a part coming onto the gauge. No cycle starts while the calibration dialog or
//   the mastering window is open: a master on the gauge is not a part ("busy").
// - Settling: every static characteristic (one whose formula uses no MAX, MIN or TIR, directly
//   or through the channels it reads) has stayed within its settle band for the settle time.
// - Acquiring: the unit's MAX/MIN are cleared, then the cycle acquires for at least the
//   program's dynamic time; at its end each characteristic's reading is captured.
// - The cycle reads on its own clock (poll() every kPollMs); it never calls the unit while the
//   scan tick is switched off (the calibration dialog exchanging with the unit).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "model/part_result.h"
#include "unit/unit_api.h"

namespace zelapp {

class Channel;
class ElapsedClock;
class Setup;
class UnitApi;
class UnitLink;
class WallClock;
class ActivePartProgram;
struct SetupChange;

enum class CycleState {
    Ready,      // waiting for a start
    Settling,   // measuring: waiting until the static characteristics have settled
    Acquiring,  // measuring: MAX/MIN cleared, acquiring
    Result,     // the last part's result is held
};

struct PartCounters {
    int parts = 0;
    int good = 0;
    int warning = 0;
    int reject = 0;
    int notValid = 0;

    bool operator==(const PartCounters &) const = default;
};

class PartCycle : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPollMs = 50;
    // Refusals of measure() and cancel(), as the live-value service names them.
    static QString cycleRunning() { return QStringLiteral("cycle running"); }
    static QString noCycle() { return QStringLiteral("no cycle"); }

    // `unit` is the link the program reaches the unit through; `elapsed` times settling,
    // acquiring and the timeout, `wall` stamps the parts.
    PartCycle(UnitLink &unit, Setup &setup, const ActivePartProgram &program,
              const ElapsedClock &elapsed, const WallClock &wall);
    ~PartCycle() override;
    PartCycle(const PartCycle &) = delete;
    PartCycle &operator=(const PartCycle &) = delete;

    // The part program it measures by.
    const ActivePartProgram &program() const { return program_; }

    // ---- What the program tells it ----
    // Whether the calibration dialog or the mastering window is open.
    void setBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
    // Whether the cycle may call the unit now (the scan tick is switched on).
    void setUnitCallsAllowed(std::function<bool()> allowed) { allowed_ = std::move(allowed); }
    // The calibration dialog or the mastering window opened: a running cycle ends Not valid
    // ("busy").
    void busyStarted();
    // Starts and stops polling every kPollMs on the event loop's timer; tests call poll().
    void startPolling();
    void stopPolling();
    // A captured value's text: rt::resultText at the channel's decimals, by default with the
    // system's separator.
    void setValueText(std::function<QString(const Channel &, float)> text) {
        valueText_ = std::move(text);
    }

    // ---- Commands ----
    // Starts a cycle; an empty text when it started, else why not: cycleRunning(), "unit lost"
    // or "busy". A held result is let go. `id` is the part's identifier, when asked for.
    QString measure(const QString &id = {});
    // Ends a running cycle Not valid ("cancelled"); noCycle() when none runs.
    QString cancel();
    // Counts from nought again (the part count `count()` goes on).
    void resetCounters();
    // The identifier the next auto-started part takes (a barcode scanned before the part is put
    // on); auto start waits for one while the program asks for identifiers.
    void setNextId(const QString &id);
    const QString &nextId() const { return nextId_; }

    // One step of the cycle: reads what it needs from the unit and moves on.
    void poll();

    // ---- State ----
    CycleState state() const { return state_; }
    bool running() const {
        return state_ == CycleState::Settling || state_ == CycleState::Acquiring;
    }
    // "READY", "MEASURING", "RESULT".
    QString stateText() const;
    // The last part's result; none before the first part ended.
    const std::optional<PartResult> &lastResult() const { return last_; }
    // Every part ended since the program started, Not valid and cancelled ones included.
    qint64 count() const { return count_; }
    const PartCounters &counters() const { return counters_; }

  signals:
    void stateChanged(zelapp::CycleState state);
    // A part ended (any way): its record. Emitted before stateChanged(Result).
    void partEnded(const zelapp::PartResult &result);
    void countersChanged();

  private:
    // A channel judged and recorded, as the cycle follows it.
    struct Followed {
        int channel = 0;
        bool dynamic = false;      // reads MAX, MIN or TIR, itself or through other channels
        std::vector<int> probes;   // the setup's probes it reads, itself or through channels
        std::vector<int> analogs;  // the same for analog inputs
        // Settling: the lowest and highest reading since `since` (none yet read).
        std::optional<double> low, high;
        qint64 since = 0;
        QString reason;  // why it is not valid ("range end T3", "read failed"); empty: valid
    };
    // Whether a step goes on after its calls to the unit: Ended once the unit turned out lost.
    enum class Go { On, Ended };

    void start(const QString &id);
    void setState(CycleState state);
    // Ends a running cycle that cannot be completed: no values are kept.
    void endNotCompleted(const QString &reason);
    void end(PartResult result);
    // The record of the part as far as it goes, the characteristics described as the setup
    // has them now.
    PartResult partRecord() const;
    CharacteristicResult described(int channel) const;
    // A read through the link; Go::Ended once the unit turned out lost (a running cycle has
    // then ended).
    Go read(int32_t (UnitApi::*call)(int32_t, float *), int number, float *value, int32_t *status);
    // In auto: whether a part is on the gauge; none when the present channel cannot say.
    std::optional<bool> partPresent(Go *go);
    void pollIdle();
    void pollRunning();
    Go readFullScales();
    // Whether every static characteristic has settled.
    bool settle();
    void clearMaxMin();
    Go watchRangeEnds();
    void capture();
    void setupChanged(const SetupChange &change);

    UnitLink &unit_;
    Setup &setup_;
    const ActivePartProgram &program_;
    const ElapsedClock &elapsed_;
    const WallClock &wall_;
    std::function<bool()> busy_;
    std::function<bool()> allowed_;
    QTimer timer_;
    CycleState state_ = CycleState::Ready;
    std::optional<PartResult> last_;
    qint64 count_ = 0;
    PartCounters counters_;
    QString nextId_;
    std::function<QString(const Channel &, float)> valueText_;
    // The cycle under way.
    std::vector<Followed> followed_;
    QString id_;
    qint64 startedMs_ = 0;
    qint64 clearedMs_ = 0;
    QDateTime startedAt_;
    bool fullScalesRead_ = false;
    // The reading at or beyond which each input used is at its range end, by number.
    std::map<int, double> probeEnds_;
    std::map<int, double> analogEnds_;
    // In auto, the held result waits for the part to be taken off.
    bool waitForRemoval_ = false;
};

}  // namespace zelapp
