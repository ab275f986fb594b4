#include "model/verdict_marks.h"

namespace zelapp {

namespace {

const VerdictLook &lookOf(ToleranceVerdict verdict) {
    for (const VerdictLook &look : kVerdictLooks) {
        if (look.verdict == verdict) {
            return look;
        }
    }
    return kVerdictLooks.back();
}

}  // namespace

BarZone barZoneOf(ToleranceVerdict verdict) {
    return lookOf(verdict).zone;
}

QString sideTriangle(ToleranceVerdict verdict) {
    return QString::fromUtf16(lookOf(verdict).side);
}

QString verdictSymbol(ToleranceVerdict verdict) {
    const VerdictLook &look = lookOf(verdict);
    const QString symbol = QString::fromUtf16(look.symbol);
    return look.side[0] == u'\0' ? symbol : symbol + u' ' + QString::fromUtf16(look.side);
}

QStringList verdictSymbols() {
    QStringList symbols;
    for (const VerdictLook &look : kVerdictLooks) {
        symbols << verdictSymbol(look.verdict);
    }
    return symbols;
}

}  // namespace zelapp
