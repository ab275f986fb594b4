#include "model/formula_probes.h"

#include "model/formula_inputs.h"

namespace zelapp {

bool formulaUsesProbe(const QString &formula, int probe) {
    const std::set<int> probes = formulaInputs(formula).probes;
    return probe == 0 ? !probes.empty() : probes.contains(probe);
}

}  // namespace zelapp
