#include "zelparts_stats.h"

#include <algorithm>

#include "setup/part_file.h"
#include "setup/part_program.h"
#include "stats/capability.h"
#include "stats/stats_series.h"
#include "stats/stats_view_data.h"
#include "zelparts_say.h"

using namespace Qt::StringLiterals;

namespace zelparts {

using zelapp::StatsResult;

namespace {

QString number(double value) {
    return QString::number(value, 'g', 12);
}

QString line(const QString &name, const QString &value) {
    return name + QLatin1Char('\t') + value + QLatin1Char('\n');
}

// A figure's line; one that cannot be had is "-" and a line "reason_<name>" saying why.
QString figure(const QString &name, const std::optional<QString> &value, const QString &why) {
    return value ? line(name, *value)
                 : line(name, QStringLiteral("-")) + line(QStringLiteral("reason_") + name, why);
}

QString figure(const QString &name, const std::optional<double> &value, const QString &why) {
    return figure(name, value ? std::optional(number(*value)) : std::nullopt, why);
}

// Each index of the sides and its 95 % bounds ("<low>,<high>"), as the numbers panel shows them.
QString indicesText(const StatsResult &result, zelapp::ToleranceSides sides) {
    QString text;
    for (const zelapp::ShownIndex &shown : zelapp::shownIndices(result, sides)) {
        const QString name = shown.name.toLower();
        const zelapp::CapabilityIndex &index = shown.index;
        text += figure(name, index.value, index.reason);
        const std::optional<QString> bounds =
            index.ci95 ? std::optional(number(index.ci95->low) + QLatin1Char(',') +
                                       number(index.ci95->high))
                       : std::nullopt;
        text += figure(name + QStringLiteral("_ci95"), bounds, index.noCi95);
    }
    return text;
}

// With a distribution other than normal: its name and its fitted parameters, by which pp..ppl
// and ppm_overall are had.
QString fitText(const StatsResult &result) {
    if (!result.fit) {
        return {};
    }
    const zelapp::DistributionFit &fit = *result.fit;
    QString text = line(u"distribution"_s, zelapp::distributionName(fit.kind));
    for (const zelapp::FitParameter &parameter : fit.parameters) {
        text += figure(parameter.name, fit.fitted() ? std::optional(parameter.value) : std::nullopt,
                       fit.reason);
    }
    return text;
}

// The part program of the part number's newest part, read from the part file beside its setup;
// a part file there that cannot be read is named on `err` and its defaults are used.
zelapp::PartProgram programOf(zelapp::PartStore &store, const QString &partNumber, QIODevice &err) {
    zelapp::PartFilter filter;
    filter.number = partNumber;
    const zelapp::PartPage page = store.newestBefore(0, 1, filter);
    if (page.parts.empty() || page.parts.front().setupFile.isEmpty()) {
        return {};
    }
    const QString setup = page.parts.front().setupFile;
    const zelapp::PartFileBytes file = zelapp::readPartFile(setup);
    if (!file.error.isEmpty()) {
        say(err, QStringLiteral("the part file %1 cannot be read (%2): the part program's "
                                "defaults are used")
                     .arg(QDir::toNativeSeparators(zelapp::partFilePath(setup)), file.error));
    }
    return file.exists ? zelapp::parsePartProgram(file.bytes).program : zelapp::PartProgram{};
}

}  // namespace

QString statsText(const StatsResult &result, const std::vector<zelapp::SeriesValue> &values,
                  zelapp::ToleranceSides sides, const std::vector<int> &rules) {
    const auto optional = [](const std::optional<double> &value) {
        return value ? number(*value) : QStringLiteral("-");
    };
    QString text = line(u"n"_s, QString::number(result.n));
    text += line(u"mean"_s, result.n > 0 ? number(result.mean) : u"-"_s);
    text += line(u"sigma_within"_s, optional(result.sigmaWithinPeriod));
    text += line(u"sigma_within_limits"_s, optional(result.sigmaWithinLimits));
    text += line(u"sigma_overall"_s, optional(result.sigmaOverall));
    text += fitText(result);
    text += indicesText(result, sides);
    const auto ppm = [](const QString &name, const zelapp::PartsPerMillion &ppm) {
        return figure(name, ppm.total, ppm.reason);
    };
    text += ppm(u"ppm_observed"_s, result.ppmObserved);
    text += ppm(u"ppm_within"_s, result.ppmWithin);
    text += ppm(u"ppm_overall"_s, result.ppmOverall);
    const zelapp::NormalityTest &ad = result.andersonDarling;
    text += figure(u"ad"_s, ad.a2, ad.reason) + figure(u"ad_p"_s, ad.p, ad.reason);
    const bool limits = result.noLimits.isEmpty();
    text += line(u"lcl"_s, limits ? number(result.first.lcl) : u"-"_s);
    text += line(u"cl"_s, limits ? number(result.first.cl) : u"-"_s);
    text += line(u"ucl"_s, limits ? number(result.first.ucl) : u"-"_s);
    std::vector<int> shown;
    for (const int rule : rules) {
        if (std::find(shown.begin(), shown.end(), rule) != shown.end()) {
            continue;
        }
        shown.push_back(rule);
        const QString name = u"rule%1"_s.arg(rule);
        // Empty: judged, no break. Without limits nothing is judged: "-" and why.
        if (!limits) {
            text += figure(name, std::optional<QString>(), result.noLimits);
            continue;
        }
        // The breaks come in the order of their subgroups: a point broken on both charts
        // follows itself.
        QStringList serials;
        qint64 last = -1;
        for (const zelapp::RuleBreak &broken : result.breaks) {
            if (broken.rule != rule) {
                continue;
            }
            const zelapp::Subgroup &group = result.subgroups[size_t(broken.subgroup)];
            const qint64 serial = values[size_t(group.first + group.count - 1)].serial;
            if (serial != last) {
                serials << QString::number(serial);
                last = serial;
            }
        }
        text += line(name, serials.join(QLatin1Char(',')));
    }
    return text;
}

int stats(zelapp::PartStore &store, const Options &options, QIODevice &out, QIODevice &err) {
    // Without --part, the newest part's number, which may be none (an untitled setup's).
    std::optional<QString> partNumber;
    if (!options.filter.number.isEmpty()) {
        partNumber = options.filter.number;
    } else {
        const zelapp::PartPage newest = store.newestBefore(0, 1, options.filter);
        if (newest.failure) {
            return failed(err, store, *newest.failure);
        }
        if (!newest.parts.empty()) {
            partNumber = newest.parts.front().number;
        }
    }
    zelapp::StatsOptions statsOptions;
    std::vector<zelapp::SeriesValue> values;
    if (partNumber) {
        const zelapp::StatsSeries series = zelapp::readStatsSeries(
            store, *partNumber, options.channel, options.filter, options.lastParts);
        if (series.failure) {
            return failed(err, store, *series.failure);
        }
        // A channel the part was never measured on is a mistake, not an empty period.
        if (series.stages.empty()) {
            zelapp::PartFilter ever;
            ever.number = *partNumber;
            const zelapp::StatsSeries any =
                zelapp::readStatsSeries(store, *partNumber, options.channel, ever, 1);
            if (any.failure) {
                return failed(err, store, *any.failure);
            }
            if (any.stages.empty()) {
                say(err, QStringLiteral("channel %1 is no characteristic of %2")
                             .arg(options.channel)
                             .arg(partNumber->isEmpty()
                                      ? QStringLiteral("the parts without a part number")
                                      : QStringLiteral("part ") + *partNumber));
                return kExitUsage;
            }
        }
        statsOptions =
            zelapp::programStatsOptions(programOf(store, *partNumber, err), options.channel);
        statsOptions.subgroupSize = options.subgroupSize.value_or(statsOptions.subgroupSize);
        statsOptions.rules = options.rules.value_or(statsOptions.rules);
        if (!series.stages.empty()) {
            const zelapp::StatsStage &stage = series.stages.back();
            values = stage.values;
            statsOptions.limits = stage.characteristic.limits;
            statsOptions.sides = stage.characteristic.sides;
            statsOptions.frozen = stage.frozen;
        }
    } else {
        statsOptions.rules = options.rules.value_or(std::vector<int>{1});
    }
    const StatsResult result = zelapp::computeStats(values, statsOptions);
    const QByteArray bytes =
        statsText(result, values, statsOptions.sides, statsOptions.rules).toUtf8();
    if (out.write(bytes) != bytes.size()) {
        say(err, QStringLiteral("cannot write the output: %1").arg(out.errorString()));
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace zelparts
