#include "stats/stats_view_data.h"

#include <QStringList>
#include <QTimeZone>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "history/stored_part_text.h"
#include "stats/capability.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

std::optional<double> nominalOf(const RevisionCharacteristic &c) {
    bool ok = false;
    const double value = c.nominal.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> lowTolOf(const RevisionCharacteristic &c) {
    return c.sides == ToleranceSides::UpperOnly ? std::nullopt
                                                : std::optional<double>(c.limits.loTol);
}

std::optional<double> highTolOf(const RevisionCharacteristic &c) {
    return c.sides == ToleranceSides::LowerOnly ? std::nullopt
                                                : std::optional<double>(c.limits.hiTol);
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString timeText(const QDateTime &time) {
    return time.toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

QString pointTip(const StatsStage &stage, const Subgroup &subgroup, int decimals) {
    const auto &values = stage.values;
    const int last = subgroup.first + subgroup.count - 1;
    if (subgroup.count <= 0 || last >= static_cast<int>(values.size())) {
        return {};
    }
    const SeriesValue &a = values[static_cast<size_t>(subgroup.first)];
    const SeriesValue &b = values[static_cast<size_t>(last)];
    QString tip = subgroup.count == 1 ? u"%1\nSerial %2\nValue %3"_s.arg(timeText(a.time))
                                            .arg(a.serial)
                                            .arg(storedValueText(a.value, decimals))
                                      : u"%1 to %2\nSerials %3 to %4\nMean %5"_s
                                            .arg(timeText(a.time), timeText(b.time))
                                            .arg(a.serial)
                                            .arg(b.serial)
                                            .arg(number(subgroup.mean, decimals + 1));
    for (int i = subgroup.first; i <= last; ++i) {
        if (values[static_cast<size_t>(i)].excluded) {
            tip += u"\nExcluded: serial %1"_s.arg(values[static_cast<size_t>(i)].serial);
        }
    }
    return tip;
}

// "Cp: 1.06 (95 %: 0.95 to 1.17)", or "Cp: - (why)".
QString indexText(const ShownIndex &shown) {
    const CapabilityIndex &index = shown.index;
    if (!index.value) {
        return u"%1: - (%2)"_s.arg(shown.name, index.reason);
    }
    const QString bounds = index.ci95 ? u"95 %: %1 to %2"_s.arg(number(index.ci95->low, 2),
                                                                number(index.ci95->high, 2))
                                      : u"no 95 % bounds: %1"_s.arg(index.noCi95);
    return u"%1: %2 (%3)"_s.arg(shown.name, number(*index.value, 2), bounds);
}

// "ppm within: below LSL 12.3, above USL 0.4, in all 12.7", or "ppm within: - (why)".
QString ppmText(const QString &source, const PartsPerMillion &ppm) {
    if (!ppm.total) {
        return u"ppm %1: - (%2)"_s.arg(source, ppm.reason);
    }
    QStringList sides;
    if (ppm.below) {
        sides << u"below LSL %1"_s.arg(number(*ppm.below, 1));
    }
    if (ppm.above) {
        sides << u"above USL %1"_s.arg(number(*ppm.above, 1));
    }
    sides << u"in all %1"_s.arg(number(*ppm.total, 1));
    return u"ppm %1: %2"_s.arg(source, sides.join(u", "_s));
}

// "Weibull fit", "folded normal fit", "lognormal fit".
QString fitName(Distribution kind) {
    return (kind == Distribution::Weibull ? u"Weibull"_s
                                          : distributionName(kind).replace(u'-', u' ')) +
           u" fit"_s;
}

// "Weibull fit (shape 1.84, scale 0.0123)", or "Weibull fit: - (why)".
QString fitText(const DistributionFit &fit) {
    const QString name = fitName(fit.kind);
    if (!fit.fitted()) {
        return u"%1: - (%2)"_s.arg(name, fit.reason);
    }
    const auto [first, second] = fit.parameters;
    return u"%1 (%2 %3, %4 %5)"_s.arg(name, first.name, QString::number(first.value, 'g', 4),
                                      second.name, QString::number(second.value, 'g', 4));
}

QString normalityText(const NormalityTest &test) {
    return test.a2 ? u"Anderson-Darling A²: %1, p %2"_s.arg(number(*test.a2, 3), number(*test.p, 4))
                   : u"Anderson-Darling A²: - (%1)"_s.arg(test.reason);
}

QString sigmaText(const std::optional<double> &sigma, int decimals) {
    return sigma ? number(*sigma, decimals + 1) : u"-"_s;
}

}  // namespace

PartFilter periodFilter(const StatsPeriod &period, const QDateTime &now) {
    PartFilter filter;
    switch (period.kind) {
        case StatsPeriod::Kind::Today:
            filter.since = QDateTime(now.date(), QTime(0, 0), now.timeZone());
            break;
        case StatsPeriod::Kind::LastParts:
            break;
        case StatsPeriod::Kind::Range:
            if (period.from.isValid()) {
                filter.since = period.from;
            }
            if (period.to.isValid()) {
                filter.until = period.to;
            }
            break;
    }
    return filter;
}

int periodLastParts(const StatsPeriod &period) {
    return period.kind == StatsPeriod::Kind::LastParts ? std::max(1, period.lastParts) : 0;
}

std::pair<QString, QString> chartTitles(ChartKind kind) {
    switch (kind) {
        case ChartKind::IndividualsMovingRange:
            return {u"X"_s, u"MR"_s};
        case ChartKind::XbarR:
            return {u"X-bar"_s, u"R"_s};
        case ChartKind::XbarS:
            return {u"X-bar"_s, u"s"_s};
    }
    return {};
}

StatsOptions programStatsOptions(const PartProgram &program, int channel) {
    StatsOptions options;
    options.subgroupSize = program.subgroupSize;
    options.rules = effectiveRules(program, channel);
    options.distribution = effectiveDistribution(program, channel);
    return options;
}

std::vector<StatsResult> computeStages(const StatsSeries &series, StatsOptions options) {
    std::vector<StatsResult> results;
    for (const StatsStage &stage : series.stages) {
        options.limits = stage.characteristic.limits;
        options.sides = stage.characteristic.sides;
        options.frozen = stage.frozen;
        results.push_back(computeStats(stage.values, options));
    }
    return results;
}

StatisticsContent statisticsContent(const StatsSeries &series,
                                    const std::vector<StatsResult> &results,
                                    const QString &characteristic) {
    StatisticsContent content;
    content.results = results;
    const ChartKind kind =
        results.empty() ? ChartKind::IndividualsMovingRange : results.back().kind;
    std::tie(content.first.title, content.second.title) = chartTitles(kind);
    const size_t stages = std::min(series.stages.size(), results.size());
    for (size_t s = 0; s < stages; ++s) {
        const StatsStage &stage = series.stages[s];
        const StatsResult &result = results[s];
        const int decimals = stage.characteristic.decimals;
        const bool hasLimits = result.noLimits.isEmpty();
        content.first.stages.push_back(
            {hasLimits ? std::optional(result.first) : std::nullopt, result.limitsFrozen});
        content.second.stages.push_back(
            {hasLimits ? std::optional(result.second) : std::nullopt, result.limitsFrozen});
        content.first.pointsPerStage.push_back(static_cast<int>(result.subgroups.size()));
        content.second.pointsPerStage.push_back(static_cast<int>(result.subgroups.size()));
        for (size_t i = 0; i < result.subgroups.size(); ++i) {
            const Subgroup &subgroup = result.subgroups[i];
            ChartPoint point;
            point.value = subgroup.mean;
            point.leftOut = subgroup.leftOut;
            const int last = subgroup.first + subgroup.count - 1;
            for (int v = subgroup.first; v <= last && v < static_cast<int>(stage.values.size());
                 ++v) {
                const SeriesValue &value = stage.values[static_cast<size_t>(v)];
                point.excluded = point.excluded || value.excluded;
                point.partId = value.partId;
                point.serial = value.serial;
            }
            point.tip = pointTip(stage, subgroup, decimals);
            ChartPoint spread = point;
            spread.value = subgroup.spread;
            std::set<int> firstRules, secondRules;
            for (const RuleBreak &b : result.breaks) {
                if (b.subgroup == static_cast<int>(i)) {
                    (b.secondChart ? secondRules : firstRules).insert(b.rule);
                }
            }
            const auto join = [](const std::set<int> &rules) {
                QStringList texts;
                for (int r : rules) {
                    texts << QString::number(r);
                }
                return texts.join(u',');
            };
            point.rules = join(firstRules);
            spread.rules = join(secondRules);
            content.first.points.push_back(point);
            content.second.points.push_back(spread);
        }
        content.first.decimals = content.second.decimals = decimals;
    }
    if (stages > 0) {
        const StatsStage &stage = series.stages[stages - 1];
        const StatsResult &result = results[stages - 1];
        HistogramData &h = content.histogram;
        for (const SeriesValue &value : stage.values) {
            if (!value.excluded) {
                h.values.push_back(value.value);
            }
        }
        h.mean = result.mean;
        h.sigmaOverall = result.sigmaOverall;
        h.lowTol = lowTolOf(stage.characteristic);
        h.highTol = highTolOf(stage.characteristic);
        h.nominal = nominalOf(stage.characteristic);
        h.decimals = stage.characteristic.decimals;
        if (kind == ChartKind::IndividualsMovingRange) {
            content.first.lowTol = h.lowTol;
            content.first.highTol = h.highTol;
            content.first.nominal = h.nominal;
        }
        content.numbers = numbersText(result, stage, characteristic, static_cast<int>(stages),
                                      static_cast<int>(stages));
    } else {
        content.numbers = u"%1\nNo values in this period."_s.arg(characteristic);
    }
    return content;
}

QString numbersText(const StatsResult &result, const StatsStage &stage,
                    const QString &characteristic, int stageNumber, int stages) {
    const int decimals = stage.characteristic.decimals;
    const auto [firstTitle, secondTitle] = chartTitles(result.kind);
    QStringList lines;
    lines << (stages > 1 ? u"%1, stage %2 of %3"_s.arg(characteristic).arg(stageNumber).arg(stages)
                         : characteristic);
    lines << u"n: %1"_s.arg(result.n);
    const bool anyValue = result.n > 0;
    lines << u"Mean: %1"_s.arg(anyValue ? number(result.mean, decimals + 1) : u"-"_s);
    const QString method = sigmaWithinMethod(result.kind);
    lines << u"Sigma within of the period (%1): %2"_s.arg(
        method, sigmaText(result.sigmaWithinPeriod, decimals));
    lines << u"Sigma within of the %1limits: %2"_s.arg(
        result.limitsFrozen ? u"frozen "_s : QString(),
        sigmaText(result.sigmaWithinLimits, decimals));
    lines << u"Sigma overall: %1"_s.arg(sigmaText(result.sigmaOverall, decimals));
    // The extremes are parts' values: shown as the results show them.
    lines << u"Minimum: %1"_s.arg(anyValue ? storedValueText(result.minimum, decimals) : u"-"_s);
    lines << u"Maximum: %1"_s.arg(anyValue ? storedValueText(result.maximum, decimals) : u"-"_s);
    QStringList within;
    QStringList overall;
    for (const ShownIndex &shown : shownIndices(result, stage.characteristic.sides)) {
        lines << indexText(shown);
        (shown.within ? within : overall) << shown.name;
    }
    lines << u"%1: sigma within of the period (%2)"_s.arg(within.join(u", "_s), method);
    if (result.fit) {
        lines << u"%1: percentile method of the %2"_s.arg(overall.join(u", "_s),
                                                          fitText(*result.fit));
    } else {
        lines << u"%1: sigma overall"_s.arg(overall.join(u", "_s));
    }
    lines << ppmText(u"within"_s, result.ppmWithin)
          << ppmText(result.fit ? fitName(result.fit->kind) : u"overall"_s, result.ppmOverall)
          << ppmText(u"observed"_s, result.ppmObserved);
    lines << normalityText(result.andersonDarling);
    const QString frozen = result.limitsFrozen ? u" (frozen)"_s : QString();
    if (result.noLimits.isEmpty()) {
        for (const auto &[title, limits] :
             {std::pair{firstTitle, result.first}, std::pair{secondTitle, result.second}}) {
            lines << u"%1 chart%2: LCL %3, CL %4, UCL %5"_s.arg(
                title, frozen, number(limits.lcl, decimals + 1), number(limits.cl, decimals + 1),
                number(limits.ucl, decimals + 1));
        }
    } else {
        lines << u"Control limits: - (%1)"_s.arg(result.noLimits);
    }
    std::map<int, std::set<qint64>> serials;
    for (const RuleBreak &b : result.breaks) {
        if (b.subgroup < 0 || b.subgroup >= static_cast<int>(result.subgroups.size())) {
            continue;
        }
        const Subgroup &subgroup = result.subgroups[static_cast<size_t>(b.subgroup)];
        const int last = subgroup.first + subgroup.count - 1;
        if (last >= 0 && last < static_cast<int>(stage.values.size())) {
            serials[b.rule].insert(stage.values[static_cast<size_t>(last)].serial);
        }
    }
    if (serials.empty()) {
        lines << u"Rules broken: none"_s;
    }
    for (const auto &[rule, set] : serials) {
        QStringList list;
        for (qint64 serial : set) {
            list << QString::number(serial);
        }
        lines << u"Rule %1 broken at serial%2 %3"_s.arg(rule).arg(
            list.size() > 1 ? u"s"_s : QString(), list.join(u", "_s));
    }
    return lines.join(u'\n');
}

std::vector<PartEvent> causesNotGiven(const std::vector<PartEvent> &events) {
    std::vector<PartEvent> open;
    for (const PartEvent &event : events) {
        if (event.kind == PartEventKind::OutOfControl) {
            open.push_back(event);
        } else if (event.kind == PartEventKind::Cause) {
            std::erase_if(open, [&](const PartEvent &o) {
                return o.partId == event.partId && o.channel == event.channel;
            });
        }
    }
    return open;
}

QString causeLine(const PartEvent &event, qint64 serial) {
    return u"C%1 serial %2 at %3: rules %4"_s.arg(event.channel)
        .arg(serial)
        .arg(timeText(event.time), event.data);
}

std::optional<FrozenLimits> limitsToFreeze(const StatsResult &result, int subgroupSize) {
    if (!result.noLimits.isEmpty() || !result.sigmaWithinLimits) {
        return std::nullopt;
    }
    FrozenLimits limits;
    limits.kind = result.kind;
    limits.subgroupSize = subgroupSize;
    limits.first = result.first;
    limits.second = result.second;
    limits.sigmaWithin = *result.sigmaWithinLimits;
    return limits;
}

QString latestPartNumber(PartStore &store) {
    const PartPage page = store.newestBefore(0, 1);
    return page.parts.empty() ? QString() : page.parts.front().number;
}

}  // namespace zelapp
