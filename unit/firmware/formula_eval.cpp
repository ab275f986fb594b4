// Runs compiled channel formulas: the inner loop of every scan.
#include <cmath>

#include "formula.h"

namespace zelunit {
namespace {

double readAt(const double *values, int n) {
    return values ? values[n] : 0.0;
}

const double *kindValues(const EvalInputs &inputs, int kind) {
    switch (kind) {
        case 0:
            return inputs.probes;
        case 1:
            return inputs.analogs;
        case 2:
            return inputs.channels;
        default:
            return nullptr;
    }
}

double rangeMax(const double *values, int first, int last) {
    if (!values) {
        return 0.0;
    }
    double best = values[first];
    for (int n = first + 1; n <= last; ++n) {
        best = values[n] > best ? values[n] : best;
    }
    return best;
}

double rangeMin(const double *values, int first, int last) {
    if (!values) {
        return 0.0;
    }
    double best = values[first];
    for (int n = first + 1; n <= last; ++n) {
        best = values[n] < best ? values[n] : best;
    }
    return best;
}

}  // namespace

// The code comes from compileFormula, which has bounded its stack use by kMaxStackDepth and
// its references by the unit's inputs. A missing input array reads as 0.
double evaluate(const CompiledFormula &formula, const EvalInputs &inputs) {
    double stack[kMaxStackDepth];
    int top = -1;
    for (const Instruction &i : formula.code) {
        switch (i.op) {
            case Op::Constant:
                stack[++top] = i.value;
                break;
            case Op::Probe:
                stack[++top] = readAt(inputs.probes, i.a);
                break;
            case Op::Analog:
                stack[++top] = readAt(inputs.analogs, i.a);
                break;
            case Op::Channel:
                stack[++top] = readAt(inputs.channels, i.a);
                break;
            case Op::ChannelMax:
                stack[++top] = readAt(inputs.channelMax, i.a);
                break;
            case Op::ChannelMin:
                stack[++top] = readAt(inputs.channelMin, i.a);
                break;
            case Op::ChannelTir:
                stack[++top] = readAt(inputs.channelMax, i.a) - readAt(inputs.channelMin, i.a);
                break;
            case Op::RangeMax:
                stack[++top] = rangeMax(kindValues(inputs, i.a), i.b, i.c);
                break;
            case Op::RangeMin:
                stack[++top] = rangeMin(kindValues(inputs, i.a), i.b, i.c);
                break;
            case Op::Max2:
                --top;
                stack[top] = stack[top + 1] > stack[top] ? stack[top + 1] : stack[top];
                break;
            case Op::Min2:
                --top;
                stack[top] = stack[top + 1] < stack[top] ? stack[top + 1] : stack[top];
                break;
            case Op::Add:
                --top;
                stack[top] += stack[top + 1];
                break;
            case Op::Subtract:
                --top;
                stack[top] -= stack[top + 1];
                break;
            case Op::Multiply:
                --top;
                stack[top] *= stack[top + 1];
                break;
            case Op::Divide:
                --top;
                stack[top] = stack[top + 1] == 0.0 ? 0.0 : stack[top] / stack[top + 1];
                break;
            case Op::Negate:
                stack[top] = -stack[top];
                break;
            case Op::Abs:
                stack[top] = std::fabs(stack[top]);
                break;
            case Op::Sqrt:
                stack[top] = stack[top] < 0.0 ? 0.0 : std::sqrt(stack[top]);
                break;
        }
    }
    return top >= 0 ? stack[top] : 0.0;
}

}  // namespace zelunit
