// Keeps every part the cycle ends, even while the store fails: each part is appended to the
// history; one the store cannot take is kept in memory, in order, and written before the next
// part and on retry(), so the history keeps the order the parts were measured in. Headless; the
// program tells the operator from what record() and retry() return.
#pragma once

#include <deque>
#include <map>
#include <optional>

#include "history/part_store.h"

namespace zelapp {

struct Recorded {
    std::optional<Appended> stored;  // this part's id and serial; none: kept in memory
    // Why the store failed, when it did; `firstFailure` only for the first failure after the
    // store last worked, so that the operator is told once.
    std::optional<StoreFailure> failure;
    bool firstFailure = false;
    int written = 0;  // how many parts kept from before were written now
    // The newest of them: its count in the cycle and its id and serial.
    struct Written {
        qint64 count = 0;
        Appended stored;
    };
    std::optional<Written> newestWritten;
    // The part's serial: stored, or the one it will be stored with while it is kept in memory;
    // 0 (pending) when that cannot be known: the file cannot be read, or parts of its part
    // number kept before wait for theirs.
    qint64 serial = 0;
    // What the store said when it found its file removed or replaced and opened the path again
    // (Appended::notice); empty when it did not.
    QString notice;
};

class PartRecorder {
  public:
    explicit PartRecorder(PartStore &store) : store_(store) {}

    // The cycle's partEnded, with the setup as it was when the part ended.
    Recorded record(const PartResult &part, const SetupSnapshot &setup);
    // Writes the parts kept in memory, oldest first, until the store fails again.
    Recorded retry();
    // "n parts not recorded".
    int notRecorded() const { return int(waiting_.size()); }
    // The parts kept in memory, oldest first (to ask the operator about at exit).
    std::vector<PartResult> waitingParts() const;

  private:
    struct Waiting {
        PartResult part;
        SetupSnapshot setup;
        qint64 serial = 0;  // 0: pending
    };
    Appended append(const PartResult &part, const SetupSnapshot &setup, qint64 leastSerial,
                    Recorded &recorded);
    // The serial a part of `number` kept now will be stored with; 0 when it cannot be known.
    qint64 nextSerial(const QString &number);
    // The serials counted in the file the store has open now.
    std::map<QString, qint64> &lastSerials();
    // Writes the waiting parts into `recorded`; false when one failed.
    bool writeWaiting(Recorded &recorded);
    void failed(Recorded &recorded, const StoreFailure &failure);

    PartStore &store_;
    std::deque<Waiting> waiting_;
    bool failing_ = false;
    std::map<QString, qint64> lastSerials_;  // by part number, as last stored or counted
    FileIdentity serialsFile_;               // the file they were counted in
};

}  // namespace zelapp
