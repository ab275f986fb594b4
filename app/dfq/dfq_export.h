// The DFQ export of the running program: the parts the history queued for DFQ (those measured
// while a DFQ folder was set) go into their folders on a thread of its own, with its own
// connection to the history file, because a hung network mount blocks for minutes and the
// operator's window must never wait for it. It recovers and sends at start, sends after each
// part recorded, tries again every 10 s (which also closes an hour's file once its hour ended)
// and, at exit, sends what waits with the hour's file closed, waiting for the thread at most
// 2 s: what is left stays queued for the next start. docs/dfq.md has the rules.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>

#include "dfq/dfq_sender.h"
#include "dfq/dfq_worker.h"

class QThread;

namespace zelapp {

class PartHistory;
class SettingsStore;
class WallClock;

// What starts a try again: every 10 s on the event loop's timer; the tests fire their own.
class DfqRetryTick : public QObject {
    Q_OBJECT
  public:
    void fire() { emit fired(); }

  signals:
    void fired();
};

struct DfqExportServices {
    // The folders' file layer; none: this computer's (localDfqFolder()). It must outlive the
    // export's thread.
    DfqFolder *folder = nullptr;
    // Fires the tries again; none: every kRetryMs.
    DfqRetryTick *tick = nullptr;
    // The local time the hour files close on; none: the system's. It must outlive the thread.
    const WallClock *wallClock = nullptr;
    // What a pass runs; none: the DfqSender over the folder above.
    DfqPassesMaker passes;
};

class DfqExport : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRetryMs = 10000;
    static constexpr int kExitWaitMs = 2000;

    DfqExport(PartHistory &history, const SettingsStore &settings, DfqExportServices services);
    // Stops as at exit when stop() was not called.
    ~DfqExport() override;
    DfqExport(const DfqExport &) = delete;
    DfqExport &operator=(const DfqExport &) = delete;

    // At the program's start, once the history is open: finishes what a crash left, then sends
    // what waits. A part recorded starts it too.
    void start();
    // A pass now, as the retry tick does; never waits for it.
    void sendNow();
    // At exit: a last pass that closes the hour's file, waiting for the thread at most
    // `waitMs`. True when the thread ended in time; else it is left to end on its own (a hung
    // mount) and its parts stay queued. No pass runs after it.
    bool stop(int waitMs = kExitWaitMs);

    // What waited after the last pass.
    const DfqWaiting &waiting() const { return waiting_; }

  signals:
    // The parts waiting or the cause changed: the one notice of the result window.
    void waitingChanged(const zelapp::DfqWaiting &waiting);
    // A pass ended, whatever it changed: what the tests and the benchmarks wait for.
    void passEnded(const zelapp::DfqWaiting &waiting);

  private:
    void partRecorded();
    // The thread's store follows the history to another file.
    void followFile();
    void post(bool closing);
    void ended(const DfqWaiting &waiting);

    PartHistory &history_;
    const SettingsStore &settings_;
    DfqExportServices services_;
    QTimer ownTick_;  // when the services bring no tick
    QThread *thread_ = nullptr;
    DfqWorker *worker_ = nullptr;  // lives on thread_
    QString file_;                 // the file the thread's store was told to open
    // A pass is posted and has not begun: parts recorded meanwhile need no other.
    std::shared_ptr<std::atomic<bool>> passPosted_ = std::make_shared<std::atomic<bool>>(false);
    bool stopped_ = false;
    DfqWaiting waiting_;
};

}  // namespace zelapp
