#include "stats/stats_series.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <set>

#include "history/channel_values.h"
#include "history/part_events.h"
#include "stats/stats_events.h"

namespace zelapp {

namespace {

constexpr qint64 kAlways = std::numeric_limits<qint64>::min();
constexpr qint64 kNever = std::numeric_limits<qint64>::max();

bool valid(const ChannelValue &row) {
    return row.completed && row.value && !row.partNotValid;
}

std::set<qint64> excludedParts(const std::vector<PartEvent> &events) {
    std::set<qint64> excluded;
    for (const PartEvent &event : events) {
        if (event.kind == PartEventKind::Exclude && event.partId > 0) {
            excluded.insert(event.partId);
        }
    }
    return excluded;
}

// Finds, as one channel's rows come oldest first, the rows that begin a stage: the first row,
// each change of revision, and the first row after each "stage" event. Read over the whole
// history, not the period, so that a period that begins inside a stage still finds where it
// began and what was frozen for it.
class StageCutter {
  public:
    // Events belong to the first stage from `firstFromMs` on.
    StageCutter(const std::vector<PartEvent> &events, qint64 firstFromMs) : fromMs_(firstFromMs) {
        for (const PartEvent &event : events) {
            if (event.kind == PartEventKind::NewStage) {
                stageEvents_.push_back(event.time.toMSecsSinceEpoch());
            }
        }
        std::sort(stageEvents_.begin(), stageEvents_.end());
    }

    // Whether `row`, the next row, begins a stage; fromMs() then tells from when the events
    // belong to it.
    bool begins(const ChannelValue &row) {
        const qint64 at = row.time.toMSecsSinceEpoch();
        // The stage events this row is the first after: the earliest of them opens the stage.
        qint64 earliest = kNever;
        for (; next_ < stageEvents_.size() && stageEvents_[next_] < at; ++next_) {
            earliest = std::min(earliest, stageEvents_[next_]);
        }
        const bool first = !revision_;
        const bool revisionChanged = revision_ && *revision_ != row.revision;
        revision_ = row.revision;
        if (first) {
            return true;  // fromMs_ stays as given
        }
        if (!revisionChanged && earliest == kNever) {
            return false;
        }
        fromMs_ = std::min(revisionChanged ? at : kNever, earliest);
        return true;
    }
    qint64 fromMs() const { return fromMs_; }

  private:
    std::vector<qint64> stageEvents_;  // the "stage" events' times, oldest first
    std::size_t next_ = 0;
    std::optional<qint64> revision_;
    qint64 fromMs_;
};

// The stage's last "freeze" is the last one stored from its beginning on and before the next
// stage began.
std::optional<FrozenLimits> frozenFor(const std::vector<PartEvent> &events, qint64 fromMs,
                                      qint64 untilMs) {
    std::optional<FrozenLimits> frozen;
    for (const PartEvent &event : events) {
        const qint64 at = event.time.toMSecsSinceEpoch();
        if (event.kind == PartEventKind::FreezeLimits && at >= fromMs && at < untilMs) {
            if (const auto parsed = parseFrozenLimits(event.data)) {
                frozen = parsed;
            }
        }
    }
    return frozen;
}

using RevisionCache = std::map<qint64, std::vector<RevisionCharacteristic>>;

// The stage's characteristic as its revision recorded it. `revisions` keeps the revisions read
// for the next call.
std::optional<StoreFailure> describe(PartStore &store, int channel, StatsStage &stage,
                                     RevisionCache &revisions) {
    auto revision = revisions.find(stage.revision);
    if (revision == revisions.end()) {
        std::optional<StoreFailure> failure;
        revision =
            revisions.emplace(stage.revision, store.revision(stage.revision, &failure)).first;
        if (failure) {
            return failure;
        }
    }
    for (const RevisionCharacteristic &c : revision->second) {
        if (c.channel == channel) {
            stage.characteristic = c;
            break;
        }
    }
    return std::nullopt;
}

SeriesValue seriesValue(const ChannelValue &row, const std::set<qint64> &excluded) {
    return {row.partId, row.serial, row.time, *row.value, excluded.count(row.partId) > 0};
}

// One channel's newest stage as its rows come: its first values, its newest ones, and how
// many lie between.
class StageEndsBuilder {
  public:
    StageEndsBuilder(std::vector<PartEvent> events, qint64 firstFromMs, const StageWindow &window)
        : events_(std::move(events)),
          excluded_(excludedParts(events_)),
          cutter_(events_, firstFromMs),
          keepFirst_(window.first + window.perExcluded * excluded_.size()),
          keepNewest_(window.newest) {}

    void add(const ChannelValue &row) {
        if (cutter_.begins(row)) {
            ends_ = StageEnds{};
            ends_.stage.revision = row.revision;
            newest_.clear();
            fromMs_ = cutter_.fromMs();
        }
        if (!valid(row)) {
            return;
        }
        const SeriesValue value = seriesValue(row, excluded_);
        if (ends_.stage.values.size() < keepFirst_) {
            ends_.stage.values.push_back(value);
            return;
        }
        newest_.push_back(value);
        if (newest_.size() > keepNewest_) {
            newest_.pop_front();
            ++ends_.skipped;
        }
    }

    // The newest stage; none when it has no value.
    std::optional<StageEnds> take() {
        if (ends_.stage.values.empty()) {
            return std::nullopt;
        }
        ends_.first = ends_.stage.values.size();
        ends_.stage.values.insert(ends_.stage.values.end(), newest_.begin(), newest_.end());
        ends_.stage.start = ends_.stage.values.front().time;
        ends_.stage.frozen = frozenFor(events_, fromMs_, kNever);
        return std::move(ends_);
    }

  private:
    std::vector<PartEvent> events_;
    std::set<qint64> excluded_;
    StageCutter cutter_;
    std::size_t keepFirst_;
    std::size_t keepNewest_;
    StageEnds ends_;
    std::deque<SeriesValue> newest_;
    qint64 fromMs_ = kAlways;
};

}  // namespace

StatsSeries readStatsSeries(PartStore &store, const QString &partNumber, int channel,
                            const PartFilter &filter, int lastParts) {
    StatsSeries series;
    series.partNumber = partNumber;
    series.channel = channel;
    std::optional<StoreFailure> failure;
    series.events = PartEvents(store).events(partNumber, channel, &failure);
    const std::vector<ChannelValue> rows =
        failure ? std::vector<ChannelValue>{}
                : ChannelValues(store).channelValues(partNumber, channel, &failure);
    if (failure) {
        series.failure = failure;
        return series;
    }

    // The period: its time, then its newest parts.
    std::vector<bool> inPeriod(rows.size(), false);
    std::vector<size_t> chosen;
    for (size_t i = 0; i < rows.size(); ++i) {
        const QDateTime &time = rows[i].time;
        if ((!filter.since || time >= *filter.since) && (!filter.until || time < *filter.until)) {
            chosen.push_back(i);
        }
    }
    const size_t keepFrom =
        lastParts > 0 && chosen.size() > size_t(lastParts) ? chosen.size() - size_t(lastParts) : 0;
    for (size_t j = keepFrom; j < chosen.size(); ++j) {
        inPeriod[chosen[j]] = true;
    }

    // Every stage with the time its events belong from; those without a value in the period
    // are dropped only after each found where the one before it ends.
    const std::set<qint64> excluded = excludedParts(series.events);
    StageCutter cutter(series.events, kAlways);
    std::vector<StatsStage> stages;
    std::vector<qint64> froms;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (cutter.begins(rows[i])) {
            stages.emplace_back().revision = rows[i].revision;
            froms.push_back(cutter.fromMs());
        }
        if (inPeriod[i] && valid(rows[i])) {
            stages.back().values.push_back(seriesValue(rows[i], excluded));
        }
    }
    RevisionCache revisions;
    for (size_t s = 0; s < stages.size(); ++s) {
        StatsStage &stage = stages[s];
        if (stage.values.empty()) {
            continue;
        }
        stage.start = stage.values.front().time;
        stage.frozen =
            frozenFor(series.events, froms[s], s + 1 < froms.size() ? froms[s + 1] : kNever);
        if ((series.failure = describe(store, channel, stage, revisions))) {
            series.stages.clear();
            return series;
        }
        series.stages.push_back(std::move(stage));
    }
    return series;
}

std::map<int, StageEnds> readStageEnds(PartStore &store, const QString &partNumber,
                                       const std::vector<int> &channels, const StageWindow &window,
                                       std::optional<StoreFailure> *failure) {
    // From the part before the newest revision's run: its row begins a stage of its own, so
    // that each channel's newest stage is cut, and finds its frozen limits, as over the whole
    // history.
    const qint64 before = ChannelValues(store).serialBeforeNewestRevision(partNumber, failure);
    if (*failure) {
        return {};
    }
    // A channel's builder is made at its first row, the events read before the pass.
    std::map<int, std::vector<PartEvent>> events;
    for (const int channel : channels) {
        events[channel] = PartEvents(store).events(partNumber, channel, failure);
        if (*failure) {
            return {};
        }
    }
    std::map<int, std::optional<StageEndsBuilder>> builders;
    const auto builderFor = [&](const ChannelValue &row) -> StageEndsBuilder * {
        const auto channelEvents = events.find(row.channel);
        if (channelEvents == events.end()) {
            return nullptr;
        }
        std::optional<StageEndsBuilder> &builder = builders[row.channel];
        if (!builder) {
            // A channel the part before did not hold begins with a revision's first part.
            const qint64 firstFromMs =
                before == 0 || row.serial == before ? kAlways : row.time.toMSecsSinceEpoch();
            builder.emplace(channelEvents->second, firstFromMs, window);
        }
        return &*builder;
    };
    ChannelValues(store).visitNumberValues(
        partNumber, before,
        [&](const ChannelValue &row) {
            if (StageEndsBuilder *builder = builderFor(row)) {
                builder->add(row);
            }
        },
        failure);
    if (*failure) {
        return {};
    }
    std::map<int, StageEnds> last;
    RevisionCache revisions;
    for (auto &[channel, builder] : builders) {
        std::optional<StageEnds> ends = builder->take();
        // A channel with no valid value in the newest run has no stage there.
        if (!ends || ends->stage.values.front().serial <= before) {
            continue;
        }
        if ((*failure = describe(store, channel, ends->stage, revisions))) {
            return {};
        }
        last.emplace(channel, std::move(*ends));
    }
    return last;
}

}  // namespace zelapp
