#include "zelparts_stats.h"

#include <algorithm>

#include "setup/part_file.h"
#include "setup/part_program.h"
#include "stats/stats_series.h"
#include "zelparts_say.h"

namespace zelparts {

using zelapp::CapabilityIndex;
using zelapp::StatsResult;

namespace {

QString number(double value) {
    return QString::number(value, 'g', 12);
}

QString line(const char *name, const QString &value) {
    return QString::fromLatin1(name) + QLatin1Char('\t') + value + QLatin1Char('\n');
}

QString indexText(const CapabilityIndex &index) {
    return index.value ? number(*index.value) : QStringLiteral("-");
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
    QString text = line("n", QString::number(result.n));
    text += line("mean", result.n > 0 ? number(result.mean) : QStringLiteral("-"));
    text += line("sigma_within", optional(result.sigmaWithin));
    text += line("sigma_overall", optional(result.sigmaOverall));
    switch (sides) {
        case zelapp::ToleranceSides::Both:
            text += line("cp", indexText(result.cp)) + line("cpk", indexText(result.cpk)) +
                    line("pp", indexText(result.pp)) + line("ppk", indexText(result.ppk));
            break;
        case zelapp::ToleranceSides::UpperOnly:
            text += line("cpu", indexText(result.cpu)) + line("ppu", indexText(result.ppu));
            break;
        case zelapp::ToleranceSides::LowerOnly:
            text += line("cpl", indexText(result.cpl)) + line("ppl", indexText(result.ppl));
            break;
    }
    const bool limits = result.noLimits.isEmpty();
    text += line("lcl", limits ? number(result.first.lcl) : QStringLiteral("-"));
    text += line("cl", limits ? number(result.first.cl) : QStringLiteral("-"));
    text += line("ucl", limits ? number(result.first.ucl) : QStringLiteral("-"));
    std::vector<int> shown;
    for (const int rule : rules) {
        if (std::find(shown.begin(), shown.end(), rule) != shown.end()) {
            continue;
        }
        shown.push_back(rule);
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
        text += QStringLiteral("rule%1\t%2\n").arg(rule).arg(serials.join(QLatin1Char(',')));
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
        const zelapp::PartProgram program = programOf(store, *partNumber, err);
        statsOptions.subgroupSize = options.subgroupSize.value_or(program.subgroupSize);
        statsOptions.rules =
            options.rules.value_or(zelapp::effectiveRules(program, options.channel));
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
