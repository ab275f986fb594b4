// One characteristic's values in the parts history, for the statistics: many parts read in one
// statement, straight from SQLite. A view over a PartStore's connection: it holds nothing of its
// own, and the store must outlive it.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "history/store_failure.h"

namespace zelapp {

class PartStore;

// One value of one part: its id, serial, time (in UTC: a million values read without a time zone
// each), revision, completed and the value (none: not valid).
struct ChannelValue {
    qint64 partId = 0;
    qint64 serial = 0;
    QDateTime time;
    qint64 revision = 0;
    bool completed = false;
    bool partNotValid = false;  // the part's verdict is Not valid: out of the statistics
    int channel = 0;
    std::optional<double> value;
};

class ChannelValues {
  public:
    explicit ChannelValues(PartStore &store) : store_(store) {}

    // Every part of part number `number` (empty: the parts without one) holding `channel`, in
    // the order measured, in one statement.
    std::vector<ChannelValue> channelValues(const QString &number, int channel,
                                            std::optional<StoreFailure> *failure);
    // Hands `visit` every value of the parts of `number` from serial `fromSerial` on, in the
    // order measured and, within a part, in the part program's order, in one statement and
    // without holding them. `visit` must not use the store.
    void visitNumberValues(const QString &number, qint64 fromSerial,
                           const std::function<void(const ChannelValue &)> &visit,
                           std::optional<StoreFailure> *failure);
    // The serial of the newest part of `number` judged by another revision than its newest part:
    // the part before the newest revision's run. 0 when one revision judged them all.
    qint64 serialBeforeNewestRevision(const QString &number, std::optional<StoreFailure> *failure);

  private:
    // `channel` none: every channel. `fromSerial` 0: from the first.
    std::optional<StoreFailure> readChannelValues(
        const QString &number, std::optional<int> channel, qint64 fromSerial,
        const std::function<void(const ChannelValue &)> &visit);

    PartStore &store_;
};

}  // namespace zelapp
