// The formula compiler takes any text from the wire; whatever compiles must also evaluate.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formula.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const zelunit::FormulaLimits limits{8, 2, 255};
    const zelunit::CompileResult result = zelunit::compileFormula(text, limits);
    if (result.status != 0) {
        return 0;
    }
    std::array<double, 256> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<double>(i) * 0.25 - 3.0;
    }
    const zelunit::EvalInputs inputs{values.data(), values.data(), values.data(), values.data(),
                                     values.data()};
    (void)zelunit::evaluate(result.formula, inputs);
    return 0;
}
