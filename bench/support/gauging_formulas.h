// Channel formulas of a gauging job, for benchmarks that fill the whole channel table.
#pragma once

#include <string>

namespace zelbench {

// Realistic channel formulas; each reads only channels defined before it, so none is circular.
inline std::string formulaFor(int n) {
    const std::string previous = "C" + std::to_string(n - 1);
    switch (n % 10) {
        case 0:
            return "(T1+T2)/2";
        case 1:
            return "T1+T2";
        case 2:
            return "(T3+T4)-(T1+T2)";
        case 3:
            return "GOR(T1:T6)-LOR(T1:T6)";
        case 4:
            return n > 1 ? "TIR(" + previous + ")" : "T7";
        case 5:
            return "ABS((T5+T6)-(T3+T4))*0.5";
        case 6:
            return "SQRT(T1*T1+T2*T2)";
        case 7:
            return n > 1 ? previous + "*0.5+T8" : "T8";
        case 8:
            return n > 1 ? "MAX(" + previous + ")-MIN(" + previous + ")" : "T7";
        default:
            return "A1*10-5+LOR(T1,T3,T5)";
    }
}

}  // namespace zelbench
