// The result of one part cycle: the one record the result window, the live-value service and
// everything that stores, exports, charts or publishes parts reads. It holds what was captured
// and judged at the end of the cycle, as it was then, so that a later change of the setup
// never changes a part already measured.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "model/tolerance.h"

namespace zelapp {

// The reasons a part is Not valid, as the result window, the live-value service and the
// stored parts name them.
namespace part_reason {
inline QString unitLost() {
    return QStringLiteral("unit lost");
}
inline QString readFailed() {
    return QStringLiteral("read failed");
}
// A characteristic read, but its reading (or a limit) is no finite number.
inline QString notANumber() {
    return QStringLiteral("not a number");
}
// "range end T3" / "range end A2".
inline QString rangeEnd(QChar kind, int input) {
    return QStringLiteral("range end ") + kind + QString::number(input);
}
inline QString partRemoved() {
    return QStringLiteral("part removed");
}
inline QString setupChanged() {
    return QStringLiteral("setup changed");
}
inline QString timeout() {
    return QStringLiteral("timeout");
}
inline QString cancelled() {
    return QStringLiteral("cancelled");
}
inline QString busy() {
    return QStringLiteral("busy");
}
}  // namespace part_reason

// One characteristic of a part: a channel judged and recorded.
struct CharacteristicResult {
    int channel = 0;
    QString description;  // the channel's, at the capture
    QString units;
    int decimals = 0;
    ToleranceLimits limits;      // the channel's, at the capture
    std::optional<float> value;  // none: not valid
    QString text;                // the value as the results show it; empty when not valid
    ToleranceVerdict verdict = ToleranceVerdict::NotValid;
    QString reason;  // why it is not valid ("range end T3", "read failed"); empty otherwise

    bool operator==(const CharacteristicResult &) const = default;
};

// The captured text where the results show a value (the result window's tile, the Part topic's
// result(n)); empty when the characteristic is not valid, a reading that is not finite included.
QString shownText(const CharacteristicResult &c);

struct PartResult {
    qint64 count = 0;     // which part since the program started (1, 2, ...)
    QString number;       // the part number
    QString description;  // the part description
    QString id;           // the identifier the operator gave, if asked for
    QDateTime started;    // when the cycle started
    QDateTime ended;      // when it ended
    // A completed part keeps its values; one that is not completed (cancelled, timed out, the
    // unit lost ...) keeps none and is Not valid.
    bool completed = false;
    ToleranceVerdict verdict = ToleranceVerdict::NotValid;
    QString reason;  // empty, or one of part_reason's texts
    std::vector<CharacteristicResult> characteristics;

    bool operator==(const PartResult &) const = default;
};

// A cycle the operator cancelled: it judged no part, so it is counted apart and nothing stands
// for it once its result is let go.
bool wasCancelled(const PartResult &part);

// The worst verdict of the characteristics (Not valid > Reject > Warning > Good), with the side
// of the worst; among equally bad ones the first gives the side. No characteristic: Not valid.
ToleranceVerdict worstVerdict(const std::vector<CharacteristicResult> &characteristics);

// "G", "W+", "W-", "R+", "R-", "NV": the verdict as the live values and the stored parts give it.
QString verdictCode(ToleranceVerdict verdict);
// "GOOD", "WARNING", "REJECT", "NOT VALID": the word the result window shows.
QString verdictWord(ToleranceVerdict verdict);
// Which of the four kinds the verdict is, whatever its side.
enum class VerdictKind { Good, Warning, Reject, NotValid };
VerdictKind verdictKind(ToleranceVerdict verdict);
// +1 for a Plus side, -1 for a Minus side, 0 otherwise.
int verdictSide(ToleranceVerdict verdict);

}  // namespace zelapp
