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
    // The part's serial: stored, or counted on in memory from the last one known for its part
    // number while the store fails (and then kept when it is written).
    qint64 serial = 0;
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
        qint64 serial = 0;
    };
    // The next serial of a part number while the store fails.
    qint64 nextSerial(const QString &number);
    // Writes the waiting parts into `recorded`; false when one failed.
    bool writeWaiting(Recorded &recorded);
    void failed(Recorded &recorded, const StoreFailure &failure);

    PartStore &store_;
    std::deque<Waiting> waiting_;
    bool failing_ = false;
    std::map<QString, qint64> lastSerials_;  // by part number, as last stored or counted
};

}  // namespace zelapp
