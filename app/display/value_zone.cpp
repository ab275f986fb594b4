#include "display/value_zone.h"

#include <cmath>

#include "model/channel.h"

namespace zelapp {

ValueZone valueZoneOf(ToleranceVerdict verdict) {
    const BarZone zone = barZoneOf(verdict);
    return zone == BarZone::Neutral ? ValueZone{} : ValueZone{zone, verdictSymbol(verdict)};
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
