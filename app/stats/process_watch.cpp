#include "stats/process_watch.h"

#include <algorithm>
#include <set>

#include "history/part_history.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "stats/stats_series.h"

namespace zelapp {

namespace {
// The values the limits come from when no baseline is given: 25 subgroups, or 100 individuals.
std::size_t baselineValues(int subgroupSize) {
    return subgroupSize <= 1 ? 100 : std::size_t(25) * std::size_t(subgroupSize);
}
}  // namespace

ProcessWatch::ProcessWatch(PartHistory &history, const ActivePartProgram &program, Setup &setup,
                           StatsJudge judge)
    : history_(history), program_(program), setup_(setup), judge_(std::move(judge)) {
    if (!judge_) {
        judge_ = computeStats;
    }
    connect(&history_, &PartHistory::partRecorded, this, &ProcessWatch::judgePart);
    connect(&history_, &PartHistory::fileChanged, this, &ProcessWatch::reload);
    connect(&program_, &ActivePartProgram::changed, this, &ProcessWatch::reload);
}

void ProcessWatch::reload() {
    stages_.clear();
    std::vector<AwaitedCause> awaited;
    if (history_.isOpen()) {
        const PartProgram &program = program_.program();
        const QString number = effectivePartNumber(program, setup_.state().SetupFileName);
        for (const int channel : effectiveCharacteristics(program, setup_)) {
            std::optional<StoreFailure> failure;
            for (const PartEvent &event : history_.events(number, channel, &failure)) {
                if (event.kind == PartEventKind::OutOfControl) {
                    awaited.push_back({event.partId, channel, event.data, event.time});
                } else if (event.kind == PartEventKind::Cause) {
                    std::erase_if(awaited, [&event](const AwaitedCause &a) {
                        return a.partId == event.partId && a.channel == event.channel;
                    });
                }
            }
        }
        std::stable_sort(
            awaited.begin(), awaited.end(),
            [](const AwaitedCause &a, const AwaitedCause &b) { return a.partId < b.partId; });
    }
    if (awaited != awaited_) {
        awaited_ = std::move(awaited);
        emit awaitedChanged();
    }
}

int ProcessWatch::awaitedParts() const {
    std::set<qint64> parts;
    for (const AwaitedCause &a : awaited_) {
        parts.insert(a.partId);
    }
    return int(parts.size());
}

std::optional<StoreFailure> ProcessWatch::giveCause(qint64 partId, int channel, const QString &who,
                                                    const QString &why) {
    const auto at = std::find_if(awaited_.begin(), awaited_.end(), [&](const AwaitedCause &a) {
        return a.partId == partId && a.channel == channel;
    });
    if (at == awaited_.end()) {
        return StoreFailure{QStringLiteral("No cause is awaited for this part and channel.")};
    }
    PartEvent event;
    event.time = QDateTime::currentDateTime();
    event.kind = PartEventKind::Cause;
    event.partNumber = effectivePartNumber(program_.program(), setup_.state().SetupFileName);
    event.channel = channel;
    event.partId = partId;
    event.who = who;
    event.why = why;
    event.data = at->rules;
    if (std::optional<StoreFailure> failure = history_.addEvent(event)) {
        return failure;
    }
    awaited_.erase(at);
    emit awaitedChanged();
    return std::nullopt;
}

void ProcessWatch::judgePart(const PartResult &part, const PartRecord &record) {
    // A part kept in memory is judged by no one: its place in the series is not settled yet.
    if (!record.recorded() || !part.completed) {
        return;
    }
    loadStages(part);
    QList<ChannelBreak> breaks;
    for (const CharacteristicResult &c : part.characteristics) {
        if (!c.value) {
            continue;  // Not valid values are left out of the series
        }
        Stage &stage = stages_[c.channel];
        if (stage.values.empty() || stage.values.back().partId != record.id) {
            stage.values.push_back({record.id, record.serial, part.ended, double(*c.value)});
        }
        std::vector<int> rules = judge(stage, effectiveRules(program_.program(), c.channel));
        if (!rules.empty()) {
            breaks.push_back({c.channel, std::move(rules)});
        }
    }
    if (breaks.isEmpty()) {
        return;
    }
    std::vector<PartEvent> events;
    for (const ChannelBreak &one : breaks) {
        PartEvent event;
        event.time = part.ended.isValid() ? part.ended : QDateTime::currentDateTime();
        event.kind = PartEventKind::OutOfControl;
        event.partNumber = part.number;
        event.channel = one.channel;
        event.partId = record.id;
        event.data = storedRules(one.rules);
        awaited_.push_back({record.id, one.channel, event.data, event.time});
        events.push_back(std::move(event));
    }
    // One transaction for the part's breaks. Awaited even when the store fails: the operator
    // still sees the break on the board.
    history_.addEvents(events);
    emit awaitedChanged();
}

ProcessWatch::Stage ProcessWatch::stageKey(const PartResult &part,
                                           const CharacteristicResult &c) const {
    const PartProgram &program = program_.program();
    const auto sides = program.sides.find(c.channel);
    Stage key;
    key.number = part.number;
    key.limits = c.limits;
    key.sides = sides != program.sides.end() ? sides->second : ToleranceSides::Both;
    key.subgroupSize = program.subgroupSize;
    return key;
}

void ProcessWatch::loadStages(const PartResult &part) {
    // New limits are a new revision of the setup, and so a new stage: read it again. The
    // stages are read for all the characteristics that need it at once, in one statement.
    std::map<int, Stage> fresh;
    for (const CharacteristicResult &c : part.characteristics) {
        Stage key = stageKey(part, c);
        const auto kept = stages_.find(c.channel);
        if (kept == stages_.end() || !kept->second.sameStage(key)) {
            fresh.emplace(c.channel, std::move(key));
        }
    }
    if (fresh.empty()) {
        return;
    }
    std::vector<int> channels;
    for (const auto &[channel, stage] : fresh) {
        channels.push_back(channel);
    }
    const int k = std::max(1, program_.program().subgroupSize);
    StageWindow window;
    window.first = baselineValues(k);
    window.perExcluded = std::size_t(k);
    window.newest = std::size_t(kTailSubgroups + 1) * std::size_t(k);
    std::map<int, StageEnds> read;
    if (PartStore *store = history_.openStore()) {
        std::optional<StoreFailure> failure;
        read = readStageEnds(*store, part.number, channels, window, &failure);
    }
    for (auto &[channel, stage] : fresh) {
        if (const auto stored = read.find(channel); stored != read.end()) {
            StageEnds &ends = stored->second;
            stage.frozen = ends.stage.frozen;
            stage.values = std::move(ends.stage.values);
            if (ends.skipped > 0) {
                // A long stage: its limits come from its first values, which are then needed
                // no more.
                const std::vector<SeriesValue> first(
                    stage.values.begin(), stage.values.begin() + std::ptrdiff_t(ends.first));
                if (!stage.frozen) {
                    fixLimits(stage, judge_(first, stageOptions(stage, {})));
                }
                stage.forget(ends.first);
                stage.dropped += ends.skipped;
            }
        }
        stages_[channel] = std::move(stage);
    }
}

StatsOptions ProcessWatch::stageOptions(const Stage &stage, const std::vector<int> &rules) {
    StatsOptions options;
    options.subgroupSize = std::max(1, stage.subgroupSize);
    options.rules = rules;
    options.limits = stage.limits;
    options.sides = stage.sides;
    options.frozen = stage.frozen ? stage.frozen : stage.baseline;
    return options;
}

void ProcessWatch::fixLimits(Stage &stage, const StatsResult &baseline) {
    if (baseline.noLimits.isEmpty()) {
        stage.baseline =
            FrozenLimits{baseline.kind, std::max(1, stage.subgroupSize), baseline.first,
                         baseline.second, baseline.sigmaWithinLimits.value_or(0)};
    } else {
        stage.limitless = true;
    }
}

std::vector<int> ProcessWatch::judge(Stage &stage, const std::vector<int> &rules) {
    if (stage.limitless && !stage.frozen) {
        stage.forget(stage.values.size());  // nothing of the stage will be judged again
        return {};
    }
    const int k = std::max(1, stage.subgroupSize);
    const StatsOptions options = stageOptions(stage, rules);

    // Once the limits are fixed only the newest subgroups matter: a tail starting on a subgroup
    // boundary of the whole stage keeps the subgroups as the stage forms them, and what is
    // before it is needed no more.
    if (options.frozen) {
        const std::size_t count = stage.dropped + stage.values.size();
        const std::size_t window = std::size_t(kTailSubgroups) * std::size_t(k);
        if (count > window) {
            stage.forget((count - window) / std::size_t(k) * std::size_t(k) - stage.dropped);
        }
    }
    const std::vector<SeriesValue> &tail = stage.values;
    const StatsResult result = judge_(tail, options);
    if (!options.frozen && tail.size() >= baselineValues(k)) {
        fixLimits(stage, result);
    }
    if (result.subgroups.empty()) {
        return {};
    }
    // Only a point this part completes: the last subgroup, full, ending with this value.
    const int last = int(result.subgroups.size()) - 1;
    const Subgroup &point = result.subgroups.back();
    if (point.leftOut || point.count != k ||
        std::size_t(point.first + point.count) != tail.size()) {
        return {};
    }
    std::set<int> broken;
    for (const RuleBreak &b : result.breaks) {
        if (b.subgroup == last && std::find(rules.begin(), rules.end(), b.rule) != rules.end()) {
            broken.insert(b.rule);
        }
    }
    return {broken.begin(), broken.end()};
}

bool ProcessWatch::Stage::sameStage(const Stage &other) const {
    return number == other.number && limits == other.limits && sides == other.sides &&
           subgroupSize == other.subgroupSize;
}

void ProcessWatch::Stage::forget(std::size_t oldest) {
    oldest = std::min(oldest, values.size());
    values.erase(values.begin(), values.begin() + std::ptrdiff_t(oldest));
    dropped += oldest;
}

}  // namespace zelapp
