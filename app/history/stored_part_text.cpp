#include "history/stored_part_text.h"

#include <QLocale>
#include <cmath>

namespace zelapp {

namespace {

// More decimals than a double holds only pads with noise; a damaged file may say anything.
constexpr int kMaxDecimals = 15;

bool isRoundedZero(const QString &text) {
    for (const QChar c : text) {
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString partTimeText(const QDateTime &time) {
    if (!time.isValid()) {
        return {};
    }
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString storedValueText(std::optional<double> value, int decimals) {
    if (!value) {
        return {};
    }
    if (decimals < 0) {
        return QString::number(*value, 'g', QLocale::FloatingPointShortest);
    }
    QString text = QString::number(*value, 'f', qMin(decimals, kMaxDecimals));
    if (std::isfinite(*value) && text.startsWith(QLatin1Char('-')) && isRoundedZero(text)) {
        text.remove(0, 1);
    }
    return text;
}

}  // namespace zelapp
