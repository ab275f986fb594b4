#include "core/process_watch.h"

#include <algorithm>
#include <set>

#include "core/part_history.h"
#include "setup/part_program.h"
#include "setup/setup.h"

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
    QList<ChannelBreak> breaks;
    for (const CharacteristicResult &c : part.characteristics) {
        if (!c.value) {
            continue;  // Not valid values are left out of the series
        }
        Stage &stage = stageFor(part, c);
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
    for (const ChannelBreak &one : breaks) {
        PartEvent event;
        event.time = part.ended.isValid() ? part.ended : QDateTime::currentDateTime();
        event.kind = PartEventKind::OutOfControl;
        event.partNumber = part.number;
        event.channel = one.channel;
        event.partId = record.id;
        event.data = storedRules(one.rules);
        // Told even when the store fails: the operator still sees the break on the board.
        history_.addEvent(event);
        awaited_.push_back({record.id, one.channel, event.data, event.time});
    }
    emit outOfControl(record.id, breaks);
    emit awaitedChanged();
}

ProcessWatch::Stage &ProcessWatch::stageFor(const PartResult &part, const CharacteristicResult &c) {
    const PartProgram &program = program_.program();
    const auto sides = program.sides.find(c.channel);
    const ToleranceSides side = sides != program.sides.end() ? sides->second : ToleranceSides::Both;
    Stage &stage = stages_[c.channel];
    // New limits are a new revision of the setup, and so a new stage: read it again.
    if (stage.number == part.number && stage.limits == c.limits && stage.sides == side &&
        stage.subgroupSize == program.subgroupSize) {
        return stage;
    }
    stage = Stage{};
    stage.number = part.number;
    stage.limits = c.limits;
    stage.sides = side;
    stage.subgroupSize = program.subgroupSize;
    if (std::optional<StatsStage> read = history_.lastStage(part.number, c.channel)) {
        stage.values = std::move(read->values);
        stage.frozen = read->frozen;
    }
    return stage;
}

std::vector<int> ProcessWatch::judge(Stage &stage, const std::vector<int> &rules) {
    if (stage.limitless && !stage.frozen) {
        return {};
    }
    const int k = std::max(1, stage.subgroupSize);
    StatsOptions options;
    options.subgroupSize = k;
    options.rules = rules;
    options.limits = stage.limits;
    options.sides = stage.sides;
    options.frozen = stage.frozen ? stage.frozen : stage.baseline;

    // Once the limits are fixed only the newest subgroups matter: a tail starting on a subgroup
    // boundary keeps the subgroups as the whole stage forms them.
    std::size_t from = 0;
    const std::size_t window = std::size_t(kTailSubgroups) * std::size_t(k);
    if (options.frozen && stage.values.size() > window) {
        from = (stage.values.size() - window) / std::size_t(k) * std::size_t(k);
    }
    const std::vector<SeriesValue> tail(stage.values.begin() + std::ptrdiff_t(from),
                                        stage.values.end());
    const StatsResult result = judge_(tail, options);
    if (!options.frozen && stage.values.size() >= baselineValues(k)) {
        if (result.noLimits.isEmpty()) {
            stage.baseline = FrozenLimits{result.kind, k, result.first, result.second,
                                          result.sigmaWithin.value_or(0)};
        } else {
            stage.limitless = true;
        }
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

}  // namespace zelapp
