// The unit's channel formula language: compiled once when a channel is defined into a short
// stack program, evaluated on every scan.
//
//   formula := expr
//   expr    := term { ("+" | "-") term }
//   term    := unary { ("*" | "/") unary }
//   unary   := ("-" | "+") unary | primary
//   primary := number | ref | "(" expr ")" | ABS(expr) | SQRT(expr)
//            | GOR(set) | LOR(set) | MAX(Cn) | MIN(Cn) | TIR(Cn)
//   ref     := T<n> | A<n> | C<n>            probe, analog input, channel
//   set     := item { "," item }            all items of one kind
//   item    := ref | ref ":" ref            an ascending range of one kind, e.g. T1:T4
//
// Letters are case-insensitive; blanks and tabs are ignored everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelunit {

// What the unit has; references beyond it are refused.
struct FormulaLimits {
    int probes = 8;      // T1..Tprobes
    int analogs = 1;     // A1..Aanalogs
    int channels = 255;  // C1..Cchannels
};

// Bounds of the evaluator (beyond them: status 19).
inline constexpr int kMaxNesting = 16;        // parentheses and function calls inside each other
inline constexpr int kMaxInstructions = 128;  // compiled length of one formula
inline constexpr int kMaxStackDepth = 32;     // evaluation stack

enum class Op : std::uint8_t {
    Constant,    // push value
    Probe,       // push probe a
    Analog,      // push analog input a
    Channel,     // push channel a
    ChannelMax,  // push the largest value of channel a since the last reset
    ChannelMin,  // push the smallest
    ChannelTir,  // push largest - smallest
    RangeMax,    // push the largest of kind a (0 probe, 1 analog, 2 channel) numbers b..c
    RangeMin,    // push the least
    Max2,        // pop two, push the greater
    Min2,        // pop two, push the lesser
    Add,
    Subtract,
    Multiply,
    Divide,  // x / 0 gives 0
    Negate,
    Abs,
    Sqrt,  // sqrt of a negative number gives 0
};

struct Instruction {
    Op op = Op::Constant;
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::uint8_t c = 0;
    float value = 0.0f;
};

struct CompiledFormula {
    std::vector<Instruction> code;
    // Channels whose value, minimum or maximum the formula reads, ascending, without repeats.
    std::vector<std::uint8_t> channelRefs;
    // Bytes the compiled code takes in the unit's formula memory (4 per instruction).
    std::size_t codeBytes() const { return code.size() * 4; }
};

struct CompileResult {
    std::uint8_t status = 0;  // 0 or a unit status code (see below)
    CompiledFormula formula;  // valid only when status is 0
};

// Status codes of a rejected formula:
//   10 a channel the unit does not have (C0, beyond FormulaLimits::channels)
//   12 misplaced token: an operator, comma or ")" where an operand is expected, text left over
//      after a complete expression, a character that is not part of the language
//   13 unbalanced parentheses
//   15 a probe or analog input the unit does not have (T0, T9 on an 8-probe unit, A2, ...)
//   16 a function without its argument list or with the wrong arguments (ABS T1, ABS(),
//      ABS(T1,T2), MAX(T1), TIR(C1+1))
//   17 a malformed number (1.2.3, 1E, 1E+, ".", a number beyond the single-precision range)
//   18 an unknown symbol (a name that is not T, A, C or a function, a T/A/C without a number)
//   19 beyond kMaxNesting, kMaxInstructions or kMaxStackDepth
//   22 the formula ends where an operand is still expected (empty, "T1+", "ABS(")
//   23 a bad set: empty, items of different kinds, a descending range, an expression as item
CompileResult compileFormula(std::string_view text, const FormulaLimits &limits);

// What a running formula reads. Arrays are indexed by number: probes[1] is T1, index 0 unused.
struct EvalInputs {
    const double *probes = nullptr;
    const double *analogs = nullptr;
    const double *channels = nullptr;
    const double *channelMin = nullptr;
    const double *channelMax = nullptr;
};

// Runs a compiled formula. Never fails: division by zero and roots of negative numbers give 0.
double evaluate(const CompiledFormula &formula, const EvalInputs &inputs);

}  // namespace zelunit
