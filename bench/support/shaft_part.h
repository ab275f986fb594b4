// The part the history benchmarks store: a good drive shaft of n diameters, all in mm at four
// decimals, with values spread over the good zone.
#pragma once

#include <QDateTime>

#include "model/part_result.h"

namespace zelbench {

// `n` varies the values from part to part.
inline zelapp::PartResult shaftPart(int characteristics, const QDateTime &ended, int n = 0) {
    zelapp::PartResult part;
    part.number = QStringLiteral("SHAFT-4711");
    part.description = QStringLiteral("Drive shaft, finish ground");
    part.started = ended.addMSecs(-800);
    part.ended = ended;
    part.completed = true;
    part.verdict = zelapp::ToleranceVerdict::Good;
    for (int c = 1; c <= characteristics; ++c) {
        zelapp::CharacteristicResult result;
        result.channel = c;
        result.description = QStringLiteral("Diameter %1").arg(c);
        result.units = QStringLiteral("mm");
        result.decimals = 4;
        result.limits = {-0.02f, -0.015f, 0.015f, 0.02f};
        result.value = float((n * 37 + c * 11) % 300 - 150) / 10000.0f;
        result.verdict = zelapp::ToleranceVerdict::Good;
        part.characteristics.push_back(result);
    }
    return part;
}

}  // namespace zelbench
