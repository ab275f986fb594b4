// The part program: what a part cycle measures and how it starts. It is kept in the "[Part]"
// section of the part file beside the setup (setup/part_file.h), never in the setup file. Every
// key is optional; what a key does not say, the defaults below and the setup say.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "model/distribution.h"
#include "model/tolerance.h"

namespace zelapp {

class Setup;

enum class PartStart {
    Key,   // the operator (or another program) starts each cycle
    Auto,  // a cycle starts when a part is on the gauge
};

struct PartProgram {
    static constexpr int kMostNumberChars = 30;
    static constexpr int kDefaultPresentTimeMs = 200;
    static constexpr int kDefaultSettleTimeMs = 300;
    static constexpr int kDefaultTimeoutMs = 10000;
    static constexpr int kMostSubgroupSize = 25;  // stats/process_stats.h takes no more
    static constexpr int kRuleCount = 8;          // the run rules are numbered 1..8

    QString number;                    // "Number"; empty: the setup file's name
    QString description;               // "Description"
    std::vector<int> characteristics;  // "Characteristics"; empty: every channel with a formula
    PartStart start = PartStart::Key;  // "Start": key or auto
    // "PresentChannel", "PresentLow", "PresentHigh": in auto, a part is on the gauge while this
    // channel reads inside [low, high]. Channel 0: none set.
    int presentChannel = 0;
    double presentLow = 0;
    double presentHigh = 0;
    // "PresentTime": in auto, a part is put on once the present channel has read inside its
    // window this long, so that a bouncing signal starts no cycle.
    int presentTimeMs = kDefaultPresentTimeMs;
    std::optional<double> settleBand;         // "SettleBand"; none: 5 steps of the last decimal
    int settleTimeMs = kDefaultSettleTimeMs;  // "SettleTime"
    int dynamicTimeMs = 0;                    // "DynamicTime"
    int timeoutMs = kDefaultTimeoutMs;        // "Timeout"
    bool askId = false;                       // "AskId"
    // "Nominal<n>": the nominal of channel n for the exports, a number text as written in C
    // notation ("12.5", "1e-3"); a channel absent has none (the midpoint of its limits is used).
    std::map<int, QString> nominals;
    // "OneSided<n>": "upper" or "lower"; a channel absent has both limits.
    std::map<int, ToleranceSides> sides;
    // "DfqFolder": where this part's DFQ files go, instead of the folder of Parts > Settings;
    // empty: that folder.
    QString dfqFolder;
    // "Subgroup": consecutive parts forming a subgroup of the control charts; 1: individuals
    // (I-MR), 2..10: X-bar/R, 11..25: X-bar/s.
    int subgroupSize = 1;
    // "Rules<n>": the run rules (1..8) watched on channel n, e.g. "1,2,3,4"; a channel absent
    // watches rule 1 only.
    std::map<int, std::vector<int>> rules;
    // "Distribution<n>": what channel n's capability is judged by ("weibull", "folded-normal",
    // "lognormal" for run-out and form); a channel absent is normal.
    std::map<int, Distribution> distributions;

    bool operator==(const PartProgram &) const = default;
};

// A run rule as the operator chooses it: "1 one point beyond 3 sigma"; empty outside 1..8.
QString runRuleName(int rule);
// The run rules of a channel: the program's, else rule 1 only.
std::vector<int> effectiveRules(const PartProgram &program, int channel);
// The run rules of a "Rules<n>" text: different numbers 1..8 separated by commas ("1,2,3,4");
// none when the text is not such a list (an empty text is none too).
std::optional<std::vector<int>> parseRules(const QString &text);
// "1,2,3,4": the rules as "Rules<n>" writes them.
QString rulesText(const std::vector<int> &rules);
// The distribution of a channel: the program's, else normal.
Distribution effectiveDistribution(const PartProgram &program, int channel);

// What the part program's defaults come to for a setup.
// The part number: the program's, else the setup file's name without its extension.
QString effectivePartNumber(const PartProgram &program, const QString &setupPath);
// The channels judged, in order: the program's that the setup measures (it has the channel and
// the channel a formula), else every channel of the setup with a formula. None while one of
// them needs a Dynamic time the program does not give (dynamicWithoutTime): such a channel would
// read 0 and pass every part, and a part judged without it would pass unchecked.
std::vector<int> effectiveCharacteristics(const PartProgram &program, const Setup &setup);
// The program's characteristics the setup measures (it has the channel and the channel a
// formula), else every channel of the setup with a formula; before the rule on dynamic ones.
std::vector<int> measuredCharacteristics(const PartProgram &program, const Setup &setup);
// The characteristics, of those the setup measures, whose formula uses MAX, MIN or TIR (directly
// or through the channels it reads) while the program's DynamicTime is 0.
std::vector<int> dynamicWithoutTime(const PartProgram &program, const Setup &setup);
// "Runout (C10) is measured while the part turns: give it a Dynamic time".
QString needsDynamicTimeText(const Setup &setup, int channel);
// A channel as messages name it: "Runout (C10)", "C10" when it has no description.
QString characteristicName(int channel, const QString &description);
QString characteristicName(const Setup &setup, int channel);
// Why each of the program's characteristics that the setup cannot measure is passed over
// ("Channel 9: the setup has 4 channels."), in the program's order; none when all can be.
QStringList passedOverCharacteristics(const PartProgram &program, const Setup &setup);
// The settle band of a channel with these decimals: the program's, else 5 steps of the last
// decimal (0.0005 at 4 decimals).
double effectiveSettleBand(const PartProgram &program, int decimals);

// ---- The "[Part]" section of a part file ----
// Its keys, in the order they are written.
enum class PartKey {
    Number,
    Description,
    Characteristics,
    Start,
    PresentChannel,
    PresentLow,
    PresentHigh,
    PresentTime,
    SettleBand,
    SettleTime,
    DynamicTime,
    Timeout,
    AskId,
    DfqFolder,
    Subgroup,
};
inline constexpr int kPartKeyCount = 15;
// "Nominal<n>", "OneSided<n>", "Rules<n>" and "Distribution<n>" follow, channel by channel; they
// are not in PartKey because each channel has its own.

struct PartProgramRead {
    PartProgram program;
    // One line per line that does not read ("Line 7: SettleTime ... "); its key keeps its
    // default.
    QStringList warnings;
    bool clean() const { return warnings.isEmpty(); }
};
// Reads the "[Part]" section of a part file's text; lines of other sections are not looked at.
PartProgramRead parsePartProgram(const QByteArray &bytes);
// `existing` with its "[Part]" section holding `program`: keys at their default are left out,
// lines of the section that are not ours stay, and every other byte of the file is kept.
QByteArray mergePartProgram(const QByteArray &existing, const PartProgram &program);

// The part program of the setup in use: the one owner, and the one notice of its change.
class ActivePartProgram : public QObject {
    Q_OBJECT
  public:
    const PartProgram &program() const { return program_; }
    // Whether the part file read cleanly (or there was none): a file that did not is never
    // overwritten without asking.
    bool readCleanly() const { return clean_; }
    // Puts a program in place; `changed` when it differs or its cleanliness does.
    void replace(const PartProgram &program, bool readCleanly = true);

  signals:
    void changed();

  private:
    PartProgram program_;
    bool clean_ = true;
};

}  // namespace zelapp
