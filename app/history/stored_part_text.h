// A stored part's time and values as text wherever they leave the program (the CSV export,
// zelparts, the DFQ file) and in the windows that read the history: one fixed form whatever the
// locale, so that other programs can read them.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace zelapp {

struct RevisionCharacteristic;

// "yyyy-MM-ddTHH:mm:ss.zzz+hh:mm" at the time's own offset from UTC ("+00:00", never "Z").
QString partTimeText(const QDateTime &time);

// The Single a stored value was read as: the history keeps a reading as a double, the exact one
// or the one nearest its shortest text, and either gives the Single back; a double no Single
// was read as (written by another program) gives its nearest. None when not valid or beyond a
// Single's range (a damaged file).
std::optional<float> storedSingle(std::optional<double> value);

// A stored value as the results show it (rt::resultText of the Single it was read as, at
// `decimals`, below 0 taken as 0) with ".": the text the operator read and the verdict judged.
// A double no Single was read as is rounded from its own shortest text. Empty when not valid or
// not finite.
QString storedValueText(std::optional<double> value, int decimals);
// The same at the decimals of the characteristic that judged it; the Single's shortest text when
// the revision does not know the channel (`judged` nullptr).
QString judgedValueText(std::optional<double> value, const RevisionCharacteristic *judged);

}  // namespace zelapp
