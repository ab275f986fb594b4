#include "display/value_zone.h"

#include <cmath>

#include "model/channel.h"

namespace zelapp {

ValueZone valueZoneOf(ToleranceVerdict verdict) {
    switch (verdict) {
        case ToleranceVerdict::Good:
            return {BarZone::Good, QStringLiteral("✓")};
        case ToleranceVerdict::WarningPlus:
            return {BarZone::Approach, QStringLiteral("▲")};
        case ToleranceVerdict::WarningMinus:
            return {BarZone::Approach, QStringLiteral("▼")};
        case ToleranceVerdict::RejectPlus:
            return {BarZone::Reject, QStringLiteral("++")};
        case ToleranceVerdict::RejectMinus:
            return {BarZone::Reject, QStringLiteral("--")};
        case ToleranceVerdict::NotValid:
            break;
    }
    return {};
}

ValueZone valueZone(const QString &text, const Channel *channel) {
    if (channel == nullptr) {
        return {};
    }
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const float value = number.toFloat(&ok);
    if (!ok || !std::isfinite(value)) {
        return {};
    }
    return valueZoneOf(judgeChannel(*channel, value));
}

bool fillsWholeWell(BarZone zone, OffScale offScale) {
    return zone == BarZone::Reject && offScale != OffScale::None;
}

}  // namespace zelapp
