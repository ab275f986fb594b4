// The numbers of a DFQ file that are not measured values: limits, nominals and their midpoint,
// always in fixed notation ("0.00001", never "1E-05") and computed as decimals, so that the
// midpoint of -0.015 and 0.01 is -0.0025 and not a double's neighbour of it.
#pragma once

#include <QString>
#include <optional>

namespace zelapp {

// The shortest text that reads back as the Single, in fixed notation; -0 gives "0". None for
// NaN and infinities.
std::optional<QString> dfqSingleText(float value);

// A number text in C notation ("12.50", "+.5", "1e-3", "-2.5E2") in fixed notation, without
// leading or trailing zeros that carry nothing ("12.5", "0.5", "0.001", "-250"). None when the
// text is not such a number or its exponent is beyond +-100.
std::optional<QString> dfqFixedText(const QString &text);

// The exact midpoint of two texts in fixed notation as dfqFixedText gives them.
QString dfqMidpoint(const QString &first, const QString &second);

}  // namespace zelapp
