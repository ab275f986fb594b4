// The control socket's commands: one line in, one reply line out ("OK", "OK<TAB>value" or
// "ERR<TAB>reason"). Fields are separated by tabs (blanks are taken too).
#pragma once

#include <string>
#include <string_view>

#include "emulator.h"

namespace zel8d {

struct ControlReply {
    std::string line;  // without the line feed
    bool quit = false;
};

ControlReply executeControl(std::string_view line, Emulator &emulator);

// Most scans one "scan" command runs.
inline constexpr long kMaxScansPerCommand = 100000;

}  // namespace zel8d
