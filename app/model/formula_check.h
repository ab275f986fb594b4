// Why the unit refused a channel formula, found by reading the text with the unit's own rules
// (the formula language the unit documents): "Bad formula at character 6 of 'T1+T2)': ')'
// without '('". It only explains a refusal the unit gave; the unit's answer always decides, and
// a reading that finds another fault than the unit's status explains nothing.
#pragma once

#include <QString>
#include <cstdint>

namespace zelapp {

// The setup's numbers of channels, probes and analog inputs: a reference beyond them is named.
struct FormulaCounts {
    int channels = 0;
    int probes = 0;
    int analogs = 0;
};

// Empty when the text shows nothing for that status (a full table or memory, a circular
// definition, a unit with fewer inputs than the setup).
QString explainFormulaRefusal(const QString &formula, int32_t status, const FormulaCounts &counts);

}  // namespace zelapp
