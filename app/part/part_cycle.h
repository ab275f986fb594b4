// The part cycle: a part on the gauge is measured, each characteristic captured and judged, and
// the part given one verdict. One object owns the cycle's state, its counters and the last
// part's result; the result window, the live-value service and everything that keeps parts
// follow its notices.
//
// Ready -> Measuring (settling, then acquiring) -> Result, held until the next start (or, when
// parts start by themselves, until the part is taken off), then Ready again. A cycle that cannot
// end well ends Not valid with its reason (model/part_result.h); every Not valid part has one.
// - Start: measure() (the menu, F9, the result window's button, another program), or, with
//   `Start=auto`, a part put on the gauge: the present channel inside its window for the
//   program's present time, so that a bouncing signal starts nothing. No cycle starts before the
//   program has started, while the calibration dialog or the mastering window is open (a master
//   on the gauge is not a part: "busy"), or when the setup measures none of the characteristics.
// - Settling: every static characteristic (one whose formula uses no MAX, MIN or TIR, directly
//   or through the channels it reads) has stayed within its settle band for the settle time.
// - Acquiring: the unit's MAX/MIN are cleared, then the cycle acquires for at least the
//   program's dynamic time; at its end each characteristic's reading is captured.
// - The cycle reads on its own clock: a poll at once when a cycle starts, then every kPollMs or
//   sooner, when a settle time, the dynamic time or (in auto) the present time ends, so a part
//   waits for no poll beyond its program's times; no poll while nothing can start by itself.
//   It never calls the unit while the scan tick is switched off (the calibration dialog exchanging
//   with the unit). A poll gives the unit kUnitTurnMs (plus the call under way) and goes on where
//   it stopped at the next one, so a slow unit never holds the operator's thread, and the live
//   values, for long. The Timeout holds on the clock: no call is made once it has passed, and a
//   call that comes back after it ends the part Not valid ("timeout").
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "base/time_budget.h"
#include "model/part_result.h"
#include "unit/unit_api.h"

namespace zelapp {

class Channel;
class ElapsedClock;
class Setup;
class UnitApi;
class UnitConnection;
class WallClock;
class ActivePartProgram;
struct SetupChange;

enum class CycleState {
    Ready,      // waiting for a start
    Settling,   // measuring: waiting until the static characteristics have settled
    Acquiring,  // measuring: MAX/MIN cleared, acquiring
    Result,     // the last part's result is held
};

// The parts measured and their verdicts; a cancelled cycle judged no part and is counted apart
// (it is stored Not valid all the same).
struct PartCounters {
    int parts = 0;  // good + warning + reject + notValid
    int good = 0;
    int warning = 0;
    int reject = 0;
    int notValid = 0;
    int cancelled = 0;

    bool operator==(const PartCounters &) const = default;
};
// Counts one part ended into `counters`.
void countPart(PartCounters &counters, const PartResult &part);

class PartCycle : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPollMs = 50;
    // Refusals of measure() and cancel(), as the live-value service names them.
    static QString cycleRunning() { return QStringLiteral("cycle running"); }
    static QString noCycle() { return QStringLiteral("no cycle"); }
    static QString starting() { return QStringLiteral("starting"); }
    static QString noCharacteristics() { return QStringLiteral("no characteristics"); }
    static QString noPart() { return QStringLiteral("no part"); }

    // `unit` is the connection the program reaches the unit through; `elapsed` times settling,
    // acquiring and the timeout, `wall` stamps the parts.
    PartCycle(UnitConnection &unit, Setup &setup, const ActivePartProgram &program,
              const ElapsedClock &elapsed, const WallClock &wall);
    ~PartCycle() override;
    PartCycle(const PartCycle &) = delete;
    PartCycle &operator=(const PartCycle &) = delete;

    // The part program it measures by.
    const ActivePartProgram &program() const { return program_; }

    // ---- What the program tells it ----
    // The program has started (its main window is up). Until then no cycle starts: start-up's
    // messages may be open while other programs already reach the cycle.
    void programStarted();
    // Whether the calibration dialog or the mastering window is open.
    void setBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
    // Whether the cycle may call the unit now (the scan tick is switched on).
    void setUnitCallsAllowed(std::function<bool()> allowed) { allowed_ = std::move(allowed); }
    // The calibration dialog or the mastering window opened: a running cycle ends Not valid
    // ("busy").
    void busyStarted();
    // Starts and stops polling on the event loop's timer, when nextPollMs() says; tests call
    // poll().
    void startPolling();
    void stopPolling();
    // How long after now the next poll is due: kPollMs at most, sooner when one of the cycle's
    // times ends before, at once when a cycle has started and not yet been polled; none while
    // idle polls would ask the unit nothing (a key start, or before the program has started).
    // After a poll whose turn with the unit ran out, or that may not call it, kPollMs.
    std::optional<qint64> nextPollMs() const;
    // A captured value's text: rt::resultText at the channel's decimals, by default with the
    // system's separator.
    void setValueText(std::function<QString(const Channel &, float)> text) {
        valueText_ = std::move(text);
    }

    // ---- Commands ----
    // Starts a cycle; an empty text when it started, else why not: starting(), cycleRunning(),
    // "unit lost", "busy", noCharacteristics() or, in auto, noPart() when the present channel
    // does not say a part is on the gauge. A held result is let go. `id` is the part's
    // identifier, when asked for.
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
        std::optional<float> value;  // captured at the end
    };
    // An input the characteristics read, watched for its range end while acquiring.
    struct Watched {
        QChar kind;  // 'T' a probe, 'A' an analog input
        int number = 0;
        // The reading at or beyond which it is at its range end; none before it is read.
        std::optional<double> end;
    };
    // How a step stands after its calls to the unit: On, done; Later, the poll's time with the
    // unit ran out and the step goes on at the next poll; Ended, the cycle has ended (the unit
    // turned out lost, or the Timeout passed).
    enum class Go { On, Later, Ended };

    void start(const QString &id);
    void setState(CycleState state);
    // Ends a running cycle that cannot be completed: no values are kept.
    void endNotCompleted(const QString &reason);
    void end(PartResult result);
    // The record of the part as far as it goes, the characteristics described as the setup
    // has them now.
    PartResult partRecord() const;
    CharacteristicResult described(int channel) const;
    // Before a call to the unit: On while the poll has time left, else Later; Ended once a
    // running cycle's Timeout has passed (it has then ended).
    Go mayCall();
    // After a call: Ended when it found the unit lost or came back after the Timeout.
    Go called();
    // A read through the connection, when mayCall() lets it.
    Go read(int32_t (UnitApi::*call)(int32_t, float *), int number, float *value, int32_t *status);
    // In auto: whether a part is on the gauge; none when the present channel cannot say.
    std::optional<bool> partPresent(Go *go);
    // For measure() in auto: whether the present channel says a part is on the gauge now.
    bool partOn();
    void pollIdle();
    void pollRunning();
    Go readFullScales();
    double rangeEndOf(const Watched &input) const;
    // One pass over the static characteristics; `settled_` once one finds each has settled.
    Go settle();
    void clearMaxMin();
    Go watchRangeEnds();
    void capture();
    void setupChanged(const SetupChange &change);
    // Arms the timer for the next poll while polling is on.
    void schedulePoll();
    // When the running cycle can next move on: its static characteristics settled, or the
    // dynamic time up.
    qint64 cycleDeadlineMs() const;

    UnitConnection &unit_;
    Setup &setup_;
    const ActivePartProgram &program_;
    const ElapsedClock &elapsed_;
    const WallClock &wall_;
    std::function<bool()> busy_;
    std::function<bool()> allowed_;
    QTimer timer_;
    bool polling_ = false;
    bool started_ = false;
    CycleState state_ = CycleState::Ready;
    std::optional<PartResult> last_;
    qint64 count_ = 0;
    PartCounters counters_;
    QString nextId_;
    std::function<QString(const Channel &, float)> valueText_;
    TimeBudget turn_;  // the poll's (or the command's) time with the unit
    // In auto, since when the present channel has read inside its window; none: it does not.
    std::optional<qint64> presentSince_;
    // The cycle under way.
    std::vector<Followed> followed_;
    std::vector<Watched> watched_;  // each input once, in the order the characteristics use them
    QString id_;
    TimeBudget timeout_;
    qint64 clearedMs_ = 0;
    QDateTime startedAt_;
    // Where each pass got to, when a poll's time ran out before its end.
    std::size_t settleNext_ = 0;
    std::size_t watchNext_ = 0;
    std::size_t captureNext_ = 0;
    bool unsettled_ = false;  // the pass under way found a characteristic not yet settled
    // When the last characteristic the pass found unsettled will have been in its band for the
    // settle time, if it stays there: all of them settle no sooner.
    std::optional<qint64> settledByMs_;
    bool settled_ = false;
    bool capturing_ = false;
    bool polled_ = false;  // the cycle under way has been polled
    // In auto, the held result waits for the part to be taken off.
    bool waitForRemoval_ = false;
};

}  // namespace zelapp
