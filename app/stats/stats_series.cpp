#include "stats/stats_series.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

#include "stats/stats_events.h"

namespace zelapp {

namespace {

// Where a stage begins among all of the part number's rows, and from when events belong to it.
struct StageStart {
    size_t row = 0;
    qint64 fromMs = 0;
};

// A stage begins at the first row, at each change of revision and with the first part after
// each "stage" event. Read over the whole history, not the period, so that a period that
// begins inside a stage still finds where it began and what was frozen for it.
std::vector<StageStart> stageStarts(const std::vector<PartStore::ChannelValue> &rows,
                                    const std::vector<PartEvent> &events, qint64 firstFromMs) {
    std::vector<StageStart> starts;
    if (rows.empty()) {
        return starts;
    }
    std::map<size_t, qint64> marks;  // row -> the earliest time events belong from
    marks[0] = firstFromMs;
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].revision != rows[i - 1].revision) {
            marks.emplace(i, rows[i].time.toMSecsSinceEpoch());
        }
    }
    for (const PartEvent &event : events) {
        if (event.kind != PartEventKind::NewStage) {
            continue;
        }
        const qint64 at = event.time.toMSecsSinceEpoch();
        const auto after = std::find_if(rows.begin(), rows.end(), [at](const auto &row) {
            return row.time.toMSecsSinceEpoch() > at;
        });
        if (after == rows.end()) {
            continue;  // no part after it yet: the new stage has none
        }
        const size_t row = size_t(after - rows.begin());
        auto [mark, added] = marks.emplace(row, at);
        if (!added && row > 0) {
            mark->second = std::min(mark->second, at);
        }
    }
    for (const auto &[row, fromMs] : marks) {
        starts.push_back({row, fromMs});
    }
    return starts;
}

using RevisionCache = std::map<qint64, std::vector<RevisionCharacteristic>>;

bool valid(const PartStore::ChannelValue &row) {
    return row.completed && row.value && !row.partNotValid;
}

// Cuts one channel's rows (its part number's, oldest first) into stages, each with its frozen
// limits and its revision's characteristic; rows not in the period are left out of the values.
// Events belong to the first stage from `firstFromMs` on. `revisions` keeps the revisions read
// for the next call.
std::vector<StatsStage> stagesOf(PartStore &store, int channel,
                                 const std::vector<PartStore::ChannelValue> &rows,
                                 const std::vector<bool> &inPeriod,
                                 const std::vector<PartEvent> &events, qint64 firstFromMs,
                                 RevisionCache &revisions, std::optional<StoreFailure> *failure) {
    std::set<qint64> excluded;
    for (const PartEvent &event : events) {
        if (event.kind == PartEventKind::Exclude && event.partId > 0) {
            excluded.insert(event.partId);
        }
    }
    const std::vector<StageStart> starts = stageStarts(rows, events, firstFromMs);
    std::vector<StatsStage> stages;
    for (size_t s = 0; s < starts.size(); ++s) {
        const size_t end = s + 1 < starts.size() ? starts[s + 1].row : rows.size();
        StatsStage stage;
        stage.revision = rows[starts[s].row].revision;
        stage.values.reserve(end - starts[s].row);
        for (size_t i = starts[s].row; i < end; ++i) {
            if (inPeriod[i] && valid(rows[i])) {
                stage.values.push_back({rows[i].partId, rows[i].serial, rows[i].time,
                                        *rows[i].value, excluded.count(rows[i].partId) > 0});
            }
        }
        if (stage.values.empty()) {
            continue;
        }
        stage.start = stage.values.front().time;
        // The stage's last "freeze" is the last one stored before the next stage began.
        const qint64 fromMs = starts[s].fromMs;
        const qint64 untilMs =
            s + 1 < starts.size() ? starts[s + 1].fromMs : std::numeric_limits<qint64>::max();
        for (const PartEvent &event : events) {
            const qint64 at = event.time.toMSecsSinceEpoch();
            if (event.kind == PartEventKind::FreezeLimits && at >= fromMs && at < untilMs) {
                if (const auto frozen = parseFrozenLimits(event.data)) {
                    stage.frozen = frozen;
                }
            }
        }
        auto revision = revisions.find(stage.revision);
        if (revision == revisions.end()) {
            revision =
                revisions.emplace(stage.revision, store.revision(stage.revision, failure)).first;
            if (*failure) {
                return {};
            }
        }
        for (const RevisionCharacteristic &c : revision->second) {
            if (c.channel == channel) {
                stage.characteristic = c;
                break;
            }
        }
        stages.push_back(std::move(stage));
    }
    return stages;
}

}  // namespace

StatsSeries readStatsSeries(PartStore &store, const QString &partNumber, int channel,
                            const PartFilter &filter, int lastParts) {
    StatsSeries series;
    series.partNumber = partNumber;
    series.channel = channel;
    std::optional<StoreFailure> failure;
    series.events = store.events(partNumber, channel, &failure);
    PartFilter all;
    all.number = partNumber;
    const std::vector<PartStore::ChannelValue> rows =
        failure ? std::vector<PartStore::ChannelValue>{}
                : store.channelValues(channel, all, &failure);
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
    RevisionCache revisions;
    series.stages = stagesOf(store, channel, rows, inPeriod, series.events,
                             std::numeric_limits<qint64>::min(), revisions, &failure);
    series.failure = failure;
    return series;
}

std::map<int, StatsStage> readLastStages(PartStore &store, const QString &partNumber,
                                         const std::vector<int> &channels,
                                         std::optional<StoreFailure> *failure) {
    std::map<int, StatsStage> last;
    // From the part before the newest revision's run: its row begins a stage of its own, so
    // that each channel's newest stage is cut, and finds its frozen limits, as over the whole
    // history.
    const qint64 before = store.serialBeforeNewestRevision(partNumber, failure);
    const std::vector<PartStore::ChannelValue> all =
        *failure ? std::vector<PartStore::ChannelValue>{}
                 : store.numberValues(partNumber, before, failure);
    std::map<int, std::vector<PartStore::ChannelValue>> byChannel;
    for (const int channel : channels) {
        byChannel[channel];
    }
    for (const PartStore::ChannelValue &row : all) {
        if (const auto rows = byChannel.find(row.channel); rows != byChannel.end()) {
            rows->second.push_back(row);
        }
    }
    RevisionCache revisions;
    for (const auto &[channel, rows] : byChannel) {
        const std::vector<PartEvent> events = store.events(partNumber, channel, failure);
        if (*failure) {
            return {};
        }
        // A channel the part before did not hold begins with a revision's first part.
        const qint64 firstFromMs = before == 0 || rows.empty() || rows.front().serial == before
                                       ? std::numeric_limits<qint64>::min()
                                       : rows.front().time.toMSecsSinceEpoch();
        std::vector<StatsStage> stages =
            stagesOf(store, channel, rows, std::vector<bool>(rows.size(), true), events,
                     firstFromMs, revisions, failure);
        if (*failure) {
            return {};
        }
        // A channel with no valid value in the newest run has no stage there.
        if (!stages.empty() && stages.back().values.front().serial > before) {
            last.emplace(channel, std::move(stages.back()));
        }
    }
    return last;
}

}  // namespace zelapp
