// When each channel of the setup was last mastered, the interval after which mastering is due,
// and which mastered channels must be mastered again because a probe their formula reads was
// changed (its amplifier or its setup) since. The one owner of these; the part file beside the
// setup keeps the times and the interval (setup/part_file.h), the mastering window, the grid and
// the main window's status ask here.
#pragma once

#include <QDateTime>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <optional>
#include <set>
#include <vector>

#include "setup/part_file.h"

namespace zelapp {

class Setup;
class WallClock;
struct SetupChange;

class MasteredTimes : public QObject {
    Q_OBJECT
  public:
    MasteredTimes(Setup &setup, const WallClock &clock);
    ~MasteredTimes() override;

    // ---- What is known of one channel ----
    // Invalid when the channel was never mastered.
    QDateTime lastMastered(int channel) const;
    // An interval is set and has passed since the channel was last mastered.
    bool due(int channel) const;
    // A probe the channel's formula reads changed after the channel was mastered.
    bool needsRemaster(int channel) const;
    // "re-master", "Master due", both ("re-master, Master due"), or empty: for the grid's
    // tooltip and the mastering window.
    QString masteringNote(int channel) const;
    // "Last mastered: 2026-12-09 14:03" (local time) or "Never mastered".
    QString lastMasteredText(int channel) const;

    // ---- All channels ----
    // The channels of the setup that are due now, in order.
    std::vector<int> dueChannels() const;
    // "Master due: channel 3" / "Master due: channels 2, 5"; empty when none is due. For the
    // main window's status line; `changed` tells when to ask again, and since time passes
    // without notice, so does checkDue().
    QString dueStatusText() const;
    // Emits `changed` when the set of due channels differs from the last time it was asked
    // here (for a timer of the main window).
    void checkDue();
    std::optional<double> intervalHours() const { return part_.intervalHours; }

    // ---- Changes ----
    // What a press that wrote a result leaves: the channel mastered now, no re-master.
    struct ChannelRecord {
        QDateTime mastered;
        bool remaster = false;
    };
    ChannelRecord record(int channel) const;
    // The channel mastered now; returns what it was before (for an undo).
    ChannelRecord markMastered(int channel);
    // Puts a channel's record back as it was (an undone press).
    void restore(int channel, const ChannelRecord &record);

    // The part file's contents, as read at a load and written at a save.
    const PartMastering &part() const { return part_; }
    void replace(const PartMastering &part);
    // A new setup: nothing mastered, no interval.
    void clear() { replace({}); }

  signals:
    // Any time, interval or re-master mark changed.
    void changed();

  private:
    void setupChanged(const SetupChange &change);
    void probeChanged(int probe);

    Setup &setup_;
    const WallClock &clock_;
    PartMastering part_;
    std::set<int> remaster_;
    std::vector<int> lastDue_;
    QMetaObject::Connection listening_;
};

}  // namespace zelapp
