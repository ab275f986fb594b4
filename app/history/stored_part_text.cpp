#include "history/stored_part_text.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "base/runtime_text.h"
#include "history/part_store.h"

namespace zelapp {

namespace {

// The largest Single's shortest text: kept as its nearest double, it lies above the Single.
constexpr double kLargestSingle = 3.4028235e38;

// The Single the value was read as, when it is one: the history keeps a reading either exactly
// or as the double nearest its shortest text. None for a double no Single gives (written by
// another program, or beyond a Single's range).
std::optional<float> readingOf(double value) {
    if (std::fabs(value) > kLargestSingle) {
        return std::nullopt;
    }
    const float nearest = static_cast<float>(value);
    if (static_cast<double>(nearest) == value) {
        return nearest;
    }
    // The double nearest a shortest text can lie on the midpoint of two Singles
    // (7.038531e-26), and the cast then takes the even one: the Single is the one whose
    // shortest text it is.
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    for (const float single :
         {nearest, std::nextafter(nearest, -kInfinity), std::nextafter(nearest, kInfinity)}) {
        if (rt::shortestDecimal(single) == value) {
            return single;
        }
    }
    return std::nullopt;
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

std::optional<float> storedSingle(std::optional<double> value) {
    if (!value || !std::isfinite(*value) || std::fabs(*value) > kLargestSingle) {
        return std::nullopt;
    }
    const std::optional<float> reading = readingOf(*value);
    return reading ? reading : static_cast<float>(*value);
}

QString storedValueText(std::optional<double> value, int decimals) {
    if (!value || !std::isfinite(*value)) {
        return {};
    }
    const std::optional<float> reading = readingOf(*value);
    return reading ? rt::resultText(*reading, decimals, QLatin1Char('.'))
                   : rt::resultText(*value, decimals, QLatin1Char('.'));
}

QString judgedValueText(std::optional<double> value, const RevisionCharacteristic *judged) {
    if (judged != nullptr) {
        return storedValueText(value, judged->decimals);
    }
    if (!value || !std::isfinite(*value)) {
        return {};
    }
    const std::optional<float> reading = readingOf(*value);
    const double shortest = reading ? rt::shortestDecimal(*reading) : *value;
    return QString::number(shortest == 0 ? 0.0 : shortest, 'g', QLocale::FloatingPointShortest);
}

}  // namespace zelapp
