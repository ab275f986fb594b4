// zel8d's command line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "unit.h"

namespace zel8d {

enum class SignalKind { Fixed, Demo };

// An input and a value from --set T1=0.0123.
struct InputValue {
    char kind = 'T';  // 'T' probe or 'A' analog input
    int number = 0;
    double value = 0.0;
};

struct Options {
    std::string folder;     // empty: the driver's default device folder
    std::string statePath;  // empty: <folder>/zel8d.state
    std::array<PortMode, 3> ports{PortMode::Unit, PortMode::Silent, PortMode::Silent};
    zelunit::UnitConfig unit;
    SignalKind signal = SignalKind::Fixed;
    std::vector<InputValue> values;
    double noise = 0.0;
    std::uint64_t seed = 1;
    int readyFd = -1;
    bool help = false;
    bool version = false;
};

struct ParseResult {
    bool ok = false;
    std::string error;  // what was wrong, for the usage message
    Options options;
};

ParseResult parseOptions(const std::vector<std::string> &args);

// "T3" -> {'T', 3}; false when the text is not a letter T or A followed by a number 1..255.
bool parseInputName(const std::string &text, char *kind, int *number);

// A whole decimal number within [low, high].
bool parseInteger(const std::string &text, long low, long high, long *out);
// A finite real number, the whole text.
bool parseReal(const std::string &text, double *out);

extern const char kUsage[];

}  // namespace zel8d
