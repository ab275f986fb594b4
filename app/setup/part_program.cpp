#include "setup/part_program.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <set>

#include "base/runtime_text.h"
#include "model/channel.h"
#include "model/formula_inputs.h"
#include "setup/ini_section.h"
#include "setup/setup.h"

namespace zelapp {

QString effectivePartNumber(const PartProgram &program, const QString &setupPath) {
    if (!program.number.isEmpty()) {
        return program.number;
    }
    return QFileInfo(setupPath).completeBaseName();
}

namespace {
// A channel that measures nothing has no value to judge: a part would be Not valid for no reason.
bool measured(const Setup &setup, int channel) {
    const Channel *c = setup.channel(channel);
    return c != nullptr && !c->Formula().isEmpty();
}
}  // namespace

std::vector<int> measuredCharacteristics(const PartProgram &program, const Setup &setup) {
    std::vector<int> out;
    if (!program.characteristics.empty()) {
        std::copy_if(program.characteristics.begin(), program.characteristics.end(),
                     std::back_inserter(out), [&setup](int n) { return measured(setup, n); });
        return out;
    }
    for (int channel = 1; channel <= setup.channelCount(); ++channel) {
        if (measured(setup, channel)) {
            out.push_back(channel);
        }
    }
    return out;
}

std::vector<int> effectiveCharacteristics(const PartProgram &program, const Setup &setup) {
    if (!dynamicWithoutTime(program, setup).empty()) {
        return {};
    }
    return measuredCharacteristics(program, setup);
}

std::vector<int> dynamicWithoutTime(const PartProgram &program, const Setup &setup) {
    std::vector<int> out;
    if (program.dynamicTimeMs > 0) {
        return out;
    }
    const auto formulaOf = [&setup](int n) {
        const Channel *c = setup.channel(n);
        return c != nullptr ? c->Formula() : QString();
    };
    for (int channel : measuredCharacteristics(program, setup)) {
        if (channelInputs(channel, formulaOf).maxMin) {
            out.push_back(channel);
        }
    }
    return out;
}

QString characteristicName(int channel, const QString &description) {
    const QString number = QStringLiteral("C%1").arg(channel);
    const QString name = description.trimmed();
    return name.isEmpty() ? number : QStringLiteral("%1 (%2)").arg(name, number);
}

QString characteristicName(const Setup &setup, int channel) {
    const Channel *c = setup.channel(channel);
    return characteristicName(channel, c != nullptr ? c->Description : QString());
}

QString needsDynamicTimeText(const Setup &setup, int channel) {
    return characteristicName(setup, channel) +
           QStringLiteral(" is measured while the part turns: give it a Dynamic time");
}

QStringList passedOverCharacteristics(const PartProgram &program, const Setup &setup) {
    QStringList out;
    const int count = setup.channelCount();
    for (int channel : program.characteristics) {
        if (channel < 1 || channel > count) {
            out << QStringLiteral("Channel %1: the setup has %2 channels.").arg(channel).arg(count);
        } else if (!measured(setup, channel)) {
            out << QStringLiteral("Channel %1 has no formula.").arg(channel);
        }
    }
    return out;
}

QString runRuleName(int rule) {
    // The zones are thirds of the distance from the centre line to each control limit.
    static constexpr std::array<const char *, PartProgram::kRuleCount> kNames = {
        "one point beyond 3 sigma",
        "two of three beyond 2 sigma on one side",
        "four of five beyond 1 sigma on one side",
        "eight in a row on one side",
        "six in a row rising or falling",
        "fourteen in a row alternating up and down",
        "fifteen in a row within 1 sigma",
        "eight in a row beyond 1 sigma on both sides",
    };
    if (rule < 1 || rule > PartProgram::kRuleCount) {
        return {};
    }
    return QString::number(rule) + QLatin1Char(' ') +
           QString::fromLatin1(kNames[static_cast<std::size_t>(rule - 1)]);
}

std::vector<int> effectiveRules(const PartProgram &program, int channel) {
    const auto rules = program.rules.find(channel);
    return rules != program.rules.end() && !rules->second.empty() ? rules->second
                                                                  : std::vector<int>{1};
}

std::optional<std::vector<int>> parseRules(const QString &text) {
    std::vector<int> rules;
    for (const QString &item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int rule = item.trimmed().toInt(&ok);
        if (!ok || rule < 1 || rule > PartProgram::kRuleCount ||
            std::find(rules.begin(), rules.end(), rule) != rules.end()) {
            return std::nullopt;
        }
        rules.push_back(rule);
    }
    return rules;
}

QString rulesText(const std::vector<int> &rules) {
    QStringList items;
    for (const int rule : rules) {
        items << QString::number(rule);
    }
    return items.join(QLatin1Char(','));
}

Distribution effectiveDistribution(const PartProgram &program, int channel) {
    const auto distribution = program.distributions.find(channel);
    return distribution != program.distributions.end() ? distribution->second
                                                       : Distribution::Normal;
}

double effectiveSettleBand(const PartProgram &program, int decimals) {
    if (program.settleBand) {
        return *program.settleBand;
    }
    return 5 * std::pow(10.0, -std::max(0, decimals));
}

// ---- The "[Part]" section ----

namespace {
const QString kSection = QStringLiteral("[Part]");

using Key = PartKey;
// In the order they are written.
constexpr std::array<const char *, kPartKeyCount> kKeyNames = {
    "Number",      "Description", "Characteristics", "Start",      "PresentChannel",
    "PresentLow",  "PresentHigh", "PresentTime",     "SettleBand", "SettleTime",
    "DynamicTime", "Timeout",     "AskId",           "DfqFolder",  "Subgroup",
};
const QString kNominal = QStringLiteral("Nominal");
const QString kOneSided = QStringLiteral("OneSided");
const QString kRules = QStringLiteral("Rules");
const QString kDistribution = QStringLiteral("Distribution");

QString nameOf(Key key) {
    return QString::fromLatin1(kKeyNames[static_cast<std::size_t>(key)]);
}

std::optional<Key> keyOf(const QString &name) {
    for (std::size_t i = 0; i < kKeyNames.size(); ++i) {
        if (name.compare(QLatin1StringView(kKeyNames[i]), Qt::CaseInsensitive) == 0) {
            return static_cast<Key>(i);
        }
    }
    return std::nullopt;
}

// The channel of "Nominal<n>" or "OneSided<n>": 0 for a key of that name without a channel
// number of 1 or more ("Nominal0"); none for any other key.
std::optional<int> channelOfKey(const QString &name, const QString &prefix) {
    if (!name.startsWith(prefix, Qt::CaseInsensitive) || name.size() == prefix.size()) {
        return std::nullopt;
    }
    const QString digits = name.mid(prefix.size());
    for (const QChar c : digits) {
        if (!c.isDigit()) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const int channel = digits.toInt(&ok);
    return ok && channel >= 1 ? channel : 0;
}

std::optional<int> wholeAtLeast(const QString &text, int least) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= least ? std::optional<int>(n) : std::nullopt;
}

std::optional<std::vector<int>> channelList(const QString &text) {
    std::vector<int> channels;
    if (text.isEmpty()) {
        return channels;
    }
    for (const QString &item : text.split(QLatin1Char(','))) {
        const std::optional<int> channel = wholeAtLeast(item.trimmed(), 1);
        if (!channel || std::find(channels.begin(), channels.end(), *channel) != channels.end()) {
            return std::nullopt;
        }
        channels.push_back(*channel);
    }
    return channels;
}

std::optional<bool> trueOrFalse(const QString &text) {
    if (text.compare(QLatin1StringView("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QLatin1StringView("false"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    return std::nullopt;
}

QString numberText(double value) {
    return rt::defaultText(value);
}

// The nominal as written: the exports take its own digits, not a double's.
std::optional<QString> nominalOf(const QString &text) {
    return rt::localeReal(text, QLocale::c()) && !text.contains(QLatin1Char(','))
               ? std::optional<QString>(text)
               : std::nullopt;
}

std::optional<ToleranceSides> sidesOf(const QString &text) {
    if (text.compare(QLatin1StringView("upper"), Qt::CaseInsensitive) == 0) {
        return ToleranceSides::UpperOnly;
    }
    if (text.compare(QLatin1StringView("lower"), Qt::CaseInsensitive) == 0) {
        return ToleranceSides::LowerOnly;
    }
    return std::nullopt;
}

// Reads the section key by key; what a line does not give stays at its default and is told.
class SectionReader {
  public:
    void line(int number, const QString &text, const std::optional<IniKeyValue> &kv) {
        if (!kv) {
            warn(number, QStringLiteral("\"%1\" is no Key=Value line; it is passed over.")
                             .arg(text.trimmed()));
            return;
        }
        PartProgram &p = read_.program;
        if (channelKey(number, *kv, kNominal, p.nominals, nominalOf,
                       "is not a number; none is used (the midpoint of the tolerance limits).") ||
            channelKey(number, *kv, kOneSided, p.sides, sidesOf,
                       "is neither upper nor lower; both tolerance limits are used.") ||
            channelKey(number, *kv, kRules, p.rules, parseRules,
                       "is not a list of different rules 1 to 8 such as 1,2,3,4; rule 1 is "
                       "used.") ||
            channelKey(number, *kv, kDistribution, p.distributions, parseDistribution,
                       "is none of normal, weibull, folded-normal and lognormal; normal is "
                       "used.")) {
            return;
        }
        // Keys of later versions of the program are left to them.
        const std::optional<Key> key = keyOf(kv->key);
        if (key) {
            lines_[*key] = number;
            read(*key, number, kv->value);
        }
    }

    // The rules between keys, once every line is read.
    PartProgramRead finish() {
        PartProgram &p = read_.program;
        const PartProgram defaults;
        if (p.presentLow > p.presentHigh) {
            warn(std::max(lineOf(Key::PresentLow), lineOf(Key::PresentHigh)),
                 QStringLiteral("PresentHigh %1 is below PresentLow %2; both take their default "
                                "(0).")
                     .arg(numberText(p.presentHigh), numberText(p.presentLow)));
            p.presentLow = defaults.presentLow;
            p.presentHigh = defaults.presentHigh;
        }
        if (p.start == PartStart::Auto && p.presentChannel == 0) {
            warn(lineOf(Key::Start),
                 QStringLiteral("Start auto needs a PresentChannel; key is used."));
            p.start = PartStart::Key;
        }
        const qint64 least = qint64(p.settleTimeMs) + p.dynamicTimeMs;
        if (p.timeoutMs <= least) {
            const int at =
                std::max({lineOf(Key::Timeout), lineOf(Key::SettleTime), lineOf(Key::DynamicTime)});
            QString text = QStringLiteral(
                               "Timeout %1 does not exceed SettleTime + DynamicTime "
                               "(%2 ms); ")
                               .arg(p.timeoutMs)
                               .arg(least);
            p.timeoutMs = defaults.timeoutMs;
            if (p.timeoutMs <= least) {
                p.settleTimeMs = defaults.settleTimeMs;
                p.dynamicTimeMs = defaults.dynamicTimeMs;
                text += QStringLiteral("Timeout, SettleTime and DynamicTime take their default.");
            } else {
                text += QStringLiteral("the default (%1) is used.").arg(p.timeoutMs);
            }
            warn(at, text);
        }
        return read_;
    }

  private:
    // A key of one channel ("Nominal<n>" ...): true when the line is one. Its value is what
    // `parse` reads, else the channel has none and the line is told, `refusal` saying why and
    // what is used instead; a key without a channel number is passed over.
    template <typename T, typename Parse>
    bool channelKey(int number, const IniKeyValue &kv, const QString &prefix,
                    std::map<int, T> &keys, Parse parse, const char *refusal) {
        const std::optional<int> channel = channelOfKey(kv.key, prefix);
        if (!channel) {
            return false;
        }
        if (*channel == 0) {
            warn(number,
                 QStringLiteral("%1 \"%2\" names no channel (1 or more); it is passed over.")
                     .arg(kv.key, kv.value));
            return true;
        }
        if (const std::optional<T> read = parse(kv.value)) {
            keys[*channel] = *read;
            return true;
        }
        keys.erase(*channel);
        warn(number,
             QStringLiteral("%1 \"%2\" ").arg(kv.key, kv.value) + QString::fromLatin1(refusal));
        return true;
    }

    void read(Key key, int number, const QString &value) {
        PartProgram &p = read_.program;
        const PartProgram defaults;
        // A line that does not read puts its key back to the default: a later bad line of a
        // key must not leave an earlier line's value standing.
        const auto refuse = [&](const QString &what, const QString &fallback) {
            warn(number, QStringLiteral("%1 \"%2\" %3; %4 is used.")
                             .arg(nameOf(key), value, what, fallback));
        };
        const auto time = [&](int &field, int fallback) {
            const std::optional<int> ms = wholeAtLeast(value, 0);
            field = ms.value_or(fallback);
            if (!ms) {
                refuse(QStringLiteral("is not a whole number of milliseconds (0 or more)"),
                       QStringLiteral("the default (%1)").arg(fallback));
            }
        };
        const auto real = [&](double &field) {
            const std::optional<double> v = rt::localeReal(value, QLocale::c());
            field = v.value_or(0);
            if (!v) {
                refuse(QStringLiteral("is not a number"), QStringLiteral("the default (0)"));
            }
        };
        switch (key) {
            case Key::Number:
                p.number = value.size() <= PartProgram::kMostNumberChars ? value : QString();
                if (value.size() > PartProgram::kMostNumberChars) {
                    refuse(QStringLiteral("has more than %1 characters")
                               .arg(PartProgram::kMostNumberChars),
                           QStringLiteral("the setup file's name"));
                }
                return;
            case Key::Description:
                p.description = value;
                return;
            case Key::Characteristics: {
                const std::optional<std::vector<int>> list = channelList(value);
                p.characteristics = list.value_or(std::vector<int>{});
                if (!list) {
                    refuse(QStringLiteral("is not a list of different channel numbers such as "
                                          "1,3,5"),
                           QStringLiteral("every channel with a formula"));
                }
                return;
            }
            case Key::Start:
                p.start = value.compare(QLatin1StringView("auto"), Qt::CaseInsensitive) == 0
                              ? PartStart::Auto
                              : PartStart::Key;
                if (p.start == PartStart::Key &&
                    value.compare(QLatin1StringView("key"), Qt::CaseInsensitive) != 0) {
                    refuse(QStringLiteral("is neither key nor auto"), QStringLiteral("key"));
                }
                return;
            case Key::PresentChannel: {
                const std::optional<int> channel = wholeAtLeast(value, 1);
                p.presentChannel = channel.value_or(0);
                if (!channel) {
                    refuse(QStringLiteral("is not a channel number (1 or more)"),
                           QStringLiteral("none"));
                }
                return;
            }
            case Key::PresentLow:
                real(p.presentLow);
                return;
            case Key::PresentHigh:
                real(p.presentHigh);
                return;
            case Key::PresentTime:
                time(p.presentTimeMs, defaults.presentTimeMs);
                return;
            case Key::SettleBand: {
                std::optional<double> band = rt::localeReal(value, QLocale::c());
                if (band && *band <= 0) {
                    band.reset();
                }
                p.settleBand = band;
                if (!band) {
                    refuse(QStringLiteral("is not a number above 0"),
                           QStringLiteral("the default (5 steps of the last decimal)"));
                }
                return;
            }
            case Key::SettleTime:
                time(p.settleTimeMs, defaults.settleTimeMs);
                return;
            case Key::DynamicTime:
                time(p.dynamicTimeMs, defaults.dynamicTimeMs);
                return;
            case Key::Timeout:
                time(p.timeoutMs, defaults.timeoutMs);
                return;
            case Key::AskId:
                p.askId = trueOrFalse(value).value_or(false);
                if (!trueOrFalse(value)) {
                    refuse(QStringLiteral("is neither true nor false"), QStringLiteral("false"));
                }
                return;
            case Key::DfqFolder:
                p.dfqFolder = value;
                return;
            case Key::Subgroup: {
                const std::optional<int> size = wholeAtLeast(value, 1);
                const bool fits = size && *size <= PartProgram::kMostSubgroupSize;
                p.subgroupSize = fits ? *size : defaults.subgroupSize;
                if (!fits) {
                    refuse(QStringLiteral("is not a whole number from 1 to %1")
                               .arg(PartProgram::kMostSubgroupSize),
                           QStringLiteral("the default (1)"));
                }
                return;
            }
        }
    }

    int lineOf(Key key) const {
        const auto at = lines_.find(key);
        return at != lines_.end() ? at->second : 0;
    }
    void warn(int line, const QString &text) {
        read_.warnings << QStringLiteral("Line %1: ").arg(line) + text;
    }

    PartProgramRead read_;
    std::map<Key, int> lines_;  // the line each key was last read from
};

bool isOurs(const QString &line) {
    const std::optional<IniKeyValue> kv = iniKeyValueOf(line);
    return kv && (keyOf(kv->key).has_value() || channelOfKey(kv->key, kNominal).has_value() ||
                  channelOfKey(kv->key, kOneSided).has_value() ||
                  channelOfKey(kv->key, kRules).has_value() ||
                  channelOfKey(kv->key, kDistribution).has_value());
}

QByteArray sectionBody(const PartProgram &p) {
    const PartProgram defaults;
    QStringList lines;
    const auto put = [&lines](Key key, const QString &value) {
        lines << nameOf(key) + QLatin1Char('=') + value;
    };
    if (!p.number.isEmpty()) {
        put(Key::Number, p.number);
    }
    if (!p.description.isEmpty()) {
        put(Key::Description, p.description);
    }
    if (!p.characteristics.empty()) {
        QStringList channels;
        for (int channel : p.characteristics) {
            channels << QString::number(channel);
        }
        put(Key::Characteristics, channels.join(QLatin1Char(',')));
    }
    if (p.start != defaults.start) {
        put(Key::Start, QStringLiteral("auto"));
    }
    if (p.presentChannel != defaults.presentChannel) {
        put(Key::PresentChannel, QString::number(p.presentChannel));
    }
    if (p.presentLow != defaults.presentLow) {
        put(Key::PresentLow, numberText(p.presentLow));
    }
    if (p.presentHigh != defaults.presentHigh) {
        put(Key::PresentHigh, numberText(p.presentHigh));
    }
    if (p.presentTimeMs != defaults.presentTimeMs) {
        put(Key::PresentTime, QString::number(p.presentTimeMs));
    }
    if (p.settleBand) {
        put(Key::SettleBand, numberText(*p.settleBand));
    }
    if (p.settleTimeMs != defaults.settleTimeMs) {
        put(Key::SettleTime, QString::number(p.settleTimeMs));
    }
    if (p.dynamicTimeMs != defaults.dynamicTimeMs) {
        put(Key::DynamicTime, QString::number(p.dynamicTimeMs));
    }
    if (p.timeoutMs != defaults.timeoutMs) {
        put(Key::Timeout, QString::number(p.timeoutMs));
    }
    if (p.askId != defaults.askId) {
        put(Key::AskId, QStringLiteral("true"));
    }
    if (!p.dfqFolder.isEmpty()) {
        put(Key::DfqFolder, p.dfqFolder);
    }
    if (p.subgroupSize != defaults.subgroupSize) {
        put(Key::Subgroup, QString::number(p.subgroupSize));
    }
    // Channel by channel, so that a channel's export keys stand together.
    std::set<int> channels;
    for (const auto &entry : p.nominals) {
        channels.insert(entry.first);
    }
    for (const auto &entry : p.sides) {
        channels.insert(entry.first);
    }
    for (const auto &entry : p.rules) {
        channels.insert(entry.first);
    }
    for (const auto &entry : p.distributions) {
        channels.insert(entry.first);
    }
    for (const int channel : channels) {
        if (const auto nominal = p.nominals.find(channel); nominal != p.nominals.end()) {
            lines << kNominal + QString::number(channel) + QLatin1Char('=') + nominal->second;
        }
        if (const auto sides = p.sides.find(channel);
            sides != p.sides.end() && sides->second != ToleranceSides::Both) {
            lines << kOneSided + QString::number(channel) + QLatin1Char('=') +
                         (sides->second == ToleranceSides::UpperOnly ? QStringLiteral("upper")
                                                                     : QStringLiteral("lower"));
        }
        // Rule 1 alone is what an absent key means: not written.
        if (const auto rules = p.rules.find(channel); rules != p.rules.end() &&
                                                      !rules->second.empty() &&
                                                      rules->second != std::vector<int>{1}) {
            lines << kRules + QString::number(channel) + QLatin1Char('=') +
                         rulesText(rules->second);
        }
        if (const Distribution distribution = effectiveDistribution(p, channel);
            distribution != Distribution::Normal) {
            lines << kDistribution + QString::number(channel) + QLatin1Char('=') +
                         distributionName(distribution);
        }
    }
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toLatin1() + "\r\n";
    }
    return out;
}
}  // namespace

PartProgramRead parsePartProgram(const QByteArray &bytes) {
    SectionReader reader;
    forEachIniLine(
        bytes, kSection,
        [&reader](int number, const QString &line, const std::optional<IniKeyValue> &kv) {
            reader.line(number, line, kv);
        });
    return reader.finish();
}

QByteArray mergePartProgram(const QByteArray &existing, const PartProgram &program) {
    return mergeIniSection(existing, kSection, isOurs, sectionBody(program));
}

void ActivePartProgram::replace(const PartProgram &program, bool readCleanly) {
    if (program == program_ && readCleanly == clean_) {
        return;
    }
    program_ = program;
    clean_ = readCleanly;
    emit changed();
}

}  // namespace zelapp
