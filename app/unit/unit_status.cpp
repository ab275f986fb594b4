#include "unit/unit_status.h"

#include "unit/unit_api.h"

namespace zelapp {

QString unitStatusText(int32_t status) {
    switch (status) {
        case kUnitNotCommunicating:
        case 255:
            return QStringLiteral("ZEL-8 not communicating");
        case kMissingInput:
            return QStringLiteral("Missing argument");
        case 10:
            return QStringLiteral("Bad channel number");
        case 12:
        case 13:
        case 16:
        case 22:
            return QStringLiteral("Bad formula");
        case 14:
            return QStringLiteral("Table full");
        case 15:
            return QStringLiteral("Bad probe number");
        case 17:
            return QStringLiteral("Bad number in formula");
        case 18:
            return QStringLiteral("Bad symbol");
        case 19:
            return QStringLiteral("Formula too complex");
        case 20:
            return QStringLiteral("Circular channel definition");
        case 21:
            return QStringLiteral("Memory full");
        case 23:
            return QStringLiteral("Bad set in GOR or LOR function");
        default:
            return QStringLiteral("Unknown error:") +
                   QString::number(static_cast<uint32_t>(status), 16)
                       .rightJustified(8, QLatin1Char('0'))
                       .toUpper();
    }
}

}  // namespace zelapp
