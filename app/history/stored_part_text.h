// A stored part's time and values as text wherever they leave the program (the CSV export,
// zelparts): one fixed form whatever the locale, so that other programs can read them.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace zelapp {

// "yyyy-MM-ddTHH:mm:ss.zzz+hh:mm" at the time's own offset from UTC ("+00:00", never "Z").
QString partTimeText(const QDateTime &time);

// The value rounded to `decimals` with "." (a rounded zero has no sign); empty when not valid.
// Negative decimals (the revision does not know the channel): the shortest exact form.
QString storedValueText(std::optional<double> value, int decimals);

}  // namespace zelapp
