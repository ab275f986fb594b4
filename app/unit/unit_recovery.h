// Finding a lost unit again. When the connection finds the library in demonstration mode the unit
// is lost: the windows say so, and attempts to reach it are made every 100 ms for a second (a
// cable put back at once, a unit restarting). After that second the pace follows what the last
// attempt cost: one that failed quickly (the driver is there and says at once that nothing
// answers, as with a pulled cable) costs nothing, so the next follows 100 ms later, for as long
// as they keep failing quickly; one that took long (a hung or slow unit, waiting out the
// library's timeout) backs off as before: 2 s after the loss, then 4 s, 8 s and every 10 s. A
// device appearing in the device folder (the unit switched on again) is tried at once and opens
// another quick second; so does the operator's Reconnect, at once. An attempt is one
// ZelCommInit(0), which may block for the library's timeout; it runs off the window's thread,
// and while it runs the window's thread makes no library call (the connection is lost, so
// nothing reaches the library). After a successful attempt, on the window's thread: whether
// the unit kept its setup, then the unit is put back in step from the program's copy before any
// value is shown, and the operator is told, without a box that waits.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <thread>

#include "base/elapsed_clock.h"
#include "base/prompter.h"
#include "unit/device_watch.h"
#include "unit/unit_connection.h"

namespace zelapp {

// Runs an attempt and hands its result back on the thread that asked.
class AttemptRunner {
  public:
    virtual ~AttemptRunner() = default;
    virtual void run(std::function<int32_t()> attempt, std::function<void(int32_t)> done) = 0;
};

// The program's runner: one worker thread per attempt; the result comes back through the
// event loop of the thread that made the runner. Waits for a running attempt when destroyed.
class ThreadAttemptRunner : public AttemptRunner {
  public:
    ThreadAttemptRunner();
    ~ThreadAttemptRunner() override;
    void run(std::function<int32_t()> attempt, std::function<void(int32_t)> done) override;

  private:
    std::thread worker_;
    QObject receiver_;
};

// What the windows show of the unit.
struct UnitStatus {
    bool lost = false;
    // An attempt is running, or the next follows within kQuickRetryMs: a run of quick
    // attempts shows as one, so the windows do not flicker every 100 ms.
    bool attempting = false;
    QDateTime lostAt;  // when it was lost
};

class UnitRecovery {
  public:
    // How many channels, probes and analog inputs the setup has: what is put back in step.
    struct Counts {
        int channels = 0;
        int lvdts = 0;
        int analogs = 0;
    };

    // The quick retries after a loss or an appearance.
    static constexpr int kQuickRetryMs = 100;
    static constexpr int kQuickWindowMs = 1000;
    // An attempt that failed within this cost nothing (the library waits up to 1 s by default).
    static constexpr int kQuickAttemptMs = 50;

    // `clock` times the quick second; `watch` (none: no appearance is noticed) outlives this.
    UnitRecovery(UnitConnection &connection, AttemptRunner &runner, Prompter &prompter,
                 std::function<Counts()> counts, const ElapsedClock &clock,
                 DeviceWatch *watch = nullptr);

    // Told on every change of the status: at the loss, when attempts start, when they pause
    // for longer than kQuickRetryMs, and when the unit is back in step (before the next value
    // is read).
    void setStatusHandler(std::function<void(const UnitStatus &)> handler) {
        onStatus_ = std::move(handler);
    }

    // Where the operator is told that the unit is back: the main window's status line; a
    // notice that does not wait when none is set.
    void setReporter(std::function<void(const QString &)> report) { report_ = std::move(report); }

    const UnitStatus &status() const { return status_; }

    // An attempt now (the Reconnect button, and the retry timer). Nothing while the unit
    // answers or an attempt is running.
    void reconnect();

    // The program starts without the unit: it is lost from the start, and the attempts to find
    // it begin. When it answers, the setup is sent to it and the operator told so.
    void startWithoutUnit();

    // The pause before the next attempt after `failed` slow attempts that failed after the quick
    // second (quick ones between them neither count nor start the backing off again).
    static int retryDelayMs(int failed);
    // The pause after an attempt that failed `sinceMs` after the loss or the last appearance,
    // having taken `tookMs`, after `slowFailed` slow attempts that failed after the quick
    // second: kQuickRetryMs within that second or when the attempt took under kQuickAttemptMs;
    // else the first slow one's 2 s after the loss (at least kQuickRetryMs from now), then
    // retryDelayMs(slowFailed).
    static int nextDelayMs(qint64 sinceMs, qint64 tookMs, int slowFailed);
    // The retry timer, for the program's event loop; tests call reconnect() themselves.
    const QTimer &retryTimer() const { return retryTimer_; }

    // What the operator is told when the unit is back.
    static QString backText();
    static QString restartedText();
    static QString foundText();  // after a start without the unit

  private:
    void unitLost();
    // A device appeared: an attempt now (or as soon as the one running fails), and a quick second.
    void deviceAppeared();
    void attemptDone(int32_t result);
    void failed();
    void changed();

    UnitConnection &connection_;
    AttemptRunner &runner_;
    Prompter &prompter_;
    std::function<Counts()> counts_;
    std::function<void(const UnitStatus &)> onStatus_;
    std::function<void(const QString &)> report_;
    UnitStatus status_;
    const ElapsedClock &clock_;
    qint64 quickFromMs_ = 0;    // the loss or the last appearance, on clock_
    qint64 startedMs_ = 0;      // the running or last attempt's start, on clock_
    int slowFailed_ = 0;        // slow attempts failed after the quick second
    bool running_ = false;      // an attempt is running
    bool againAtOnce_ = false;  // a device appeared while an attempt ran
    bool neverFound_ = false;   // started without the unit, and it has not answered yet
    QTimer retryTimer_;
};

}  // namespace zelapp
