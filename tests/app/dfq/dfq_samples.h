// The parts and characteristics of the reference files in golden/, built field by field as the
// history hands them to the DFQ writer.
#pragma once

#include <QTimeZone>

#include "history/part_store.h"

namespace zeltest {

inline zelapp::RevisionCharacteristic dfqCharacteristic(int channel, const QString &description,
                                                        int decimals, const QString &units,
                                                        float loTol, float hiTol) {
    zelapp::RevisionCharacteristic c;
    c.channel = channel;
    c.description = description;
    c.decimals = decimals;
    c.units = units;
    c.limits = {loTol, loTol, hiTol, hiTol};
    return c;
}

inline zelapp::StoredValue dfqValue(int channel, std::optional<float> value,
                                    const QString &verdict = QStringLiteral("G")) {
    zelapp::StoredValue v;
    v.channel = channel;
    if (value) {
        v.value = static_cast<double>(*value);  // the history keeps the Single exactly
    }
    v.verdict = verdict;
    return v;
}

inline zelapp::StoredPart dfqPart(qint64 serial, const QTime &time,
                                  std::vector<zelapp::StoredValue> values) {
    zelapp::StoredPart part;
    part.id = serial;
    part.time = QDateTime(QDate(2026, 3, 4), time, QTimeZone(3600));
    part.station = QStringLiteral("Gauge 2");
    part.number = QStringLiteral("A-100");
    part.description = QStringLiteral("Shaft");
    part.serial = serial;
    part.completed = true;
    part.values = std::move(values);
    return part;
}

// Two characteristics: C1 of three decimals with its nominal the midpoint of its limits, C3 of
// none with a nominal given in C notation; "ä" and "µ" in the texts.
inline std::vector<zelapp::RevisionCharacteristic> shaftCharacteristics() {
    zelapp::RevisionCharacteristic length =
        dfqCharacteristic(3, QStringLiteral("Length"), 0, QStringLiteral("\u00B5m"), 95.0f, 105.0f);
    length.nominal = QStringLiteral("1e2");
    return {dfqCharacteristic(1, QStringLiteral("Bore \u00E4 \u00B5m"), 3, QStringLiteral("mm"),
                              -0.015f, 0.01f),
            length};
}

// Good; a negative value, an identifier typed, C3 not valid; a cancelled cycle.
inline std::vector<zelapp::StoredPart> shaftParts() {
    zelapp::StoredPart first =
        dfqPart(7, QTime(10, 0, 0), {dfqValue(1, 0.0042f), dfqValue(3, 101.4f)});
    zelapp::StoredPart second =
        dfqPart(8, QTime(10, 1, 30),
                {dfqValue(1, -0.0123f), dfqValue(3, std::nullopt, QStringLiteral("NV"))});
    second.partId = QStringLiteral("SN 4711");
    second.verdict = QStringLiteral("NV");
    zelapp::StoredPart cancelled = dfqPart(
        9, QTime(10, 2, 5), {dfqValue(1, 0.002f), dfqValue(3, std::nullopt, QStringLiteral("NV"))});
    cancelled.completed = false;
    return {first, second, cancelled};
}

}  // namespace zeltest
