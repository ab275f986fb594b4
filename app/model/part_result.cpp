#include "model/part_result.h"

namespace zelapp {

VerdictKind verdictKind(ToleranceVerdict verdict) {
    switch (verdict) {
        case ToleranceVerdict::Good:
            return VerdictKind::Good;
        case ToleranceVerdict::WarningPlus:
        case ToleranceVerdict::WarningMinus:
            return VerdictKind::Warning;
        case ToleranceVerdict::RejectPlus:
        case ToleranceVerdict::RejectMinus:
            return VerdictKind::Reject;
        case ToleranceVerdict::NotValid:
            break;
    }
    return VerdictKind::NotValid;
}

int verdictSide(ToleranceVerdict verdict) {
    switch (verdict) {
        case ToleranceVerdict::WarningPlus:
        case ToleranceVerdict::RejectPlus:
            return 1;
        case ToleranceVerdict::WarningMinus:
        case ToleranceVerdict::RejectMinus:
            return -1;
        default:
            return 0;
    }
}

bool wasCancelled(const PartResult &part) {
    return !part.completed && part.reason == part_reason::cancelled();
}

ToleranceVerdict worstVerdict(const std::vector<CharacteristicResult> &characteristics) {
    if (characteristics.empty()) {
        return ToleranceVerdict::NotValid;
    }
    ToleranceVerdict worst = characteristics.front().verdict;
    for (const CharacteristicResult &c : characteristics) {
        // Strictly worse only: among equally bad ones the first keeps its side.
        if (static_cast<int>(verdictKind(c.verdict)) > static_cast<int>(verdictKind(worst))) {
            worst = c.verdict;
        }
    }
    return worst;
}

QString verdictCode(ToleranceVerdict verdict) {
    switch (verdict) {
        case ToleranceVerdict::Good:
            return QStringLiteral("G");
        case ToleranceVerdict::WarningPlus:
            return QStringLiteral("W+");
        case ToleranceVerdict::WarningMinus:
            return QStringLiteral("W-");
        case ToleranceVerdict::RejectPlus:
            return QStringLiteral("R+");
        case ToleranceVerdict::RejectMinus:
            return QStringLiteral("R-");
        case ToleranceVerdict::NotValid:
            break;
    }
    return QStringLiteral("NV");
}

QString verdictWord(ToleranceVerdict verdict) {
    switch (verdictKind(verdict)) {
        case VerdictKind::Good:
            return QStringLiteral("GOOD");
        case VerdictKind::Warning:
            return QStringLiteral("WARNING");
        case VerdictKind::Reject:
            return QStringLiteral("REJECT");
        case VerdictKind::NotValid:
            break;
    }
    return QStringLiteral("NOT VALID");
}

QString shownText(const CharacteristicResult &c) {
    return c.value && verdictKind(c.verdict) != VerdictKind::NotValid ? c.text : QString();
}

}  // namespace zelapp
