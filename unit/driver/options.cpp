#include "options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace zel8d {

const char kUsage[] =
    "Usage: zel8d [OPTION]...\n"
    "       zel8d ctl [--dir DIR] COMMAND [ARGUMENT]...\n"
    "Emulates a ZEL-8 gauging unit and its driver on local sockets, for libzelcomm.\n"
    "\n"
    "Driver:\n"
    "  --dir DIR          serve the device sockets in DIR (default: $ZEL_DEVICE_DIR,\n"
    "                     else $XDG_RUNTIME_DIR/zel8, else /tmp/zel8-<uid>)\n"
    "  --port N           attach the unit to port N, 1 to 3 (default 1)\n"
    "  --silent-port N    port N has a driver but no unit: it opens, calls fail (the default\n"
    "                     for ports without the unit)\n"
    "  --absent-port N    port N has no driver: no device socket\n"
    "\n"
    "Unit:\n"
    "  --probes N         LVDT probes T1..TN (default 8)\n"
    "  --analogs N        analog inputs A1..AN (default 1)\n"
    "  --channels N       channel numbers 1..N (default 255)\n"
    "  --table N          formulas defined at once (default 128)\n"
    "  --memory BYTES     formula memory (default 16384)\n"
    "  --state FILE       stored amplifier calibration (default DIR/zel8d.state)\n"
    "  --save-time MS     how long storing the calibration takes (default 600)\n"
    "\n"
    "Signals:\n"
    "  --signal fixed     inputs hold set values (the default)\n"
    "  --signal demo      a shaft-gauging station: parts come and go, some out of tolerance\n"
    "  --set T1=0.0123    value of an input in fixed mode (repeatable)\n"
    "  --noise SIGMA      add noise of this standard deviation in fixed mode\n"
    "  --seed N           seed of noise and demo parts (default 1)\n"
    "\n"
    "  --ready-fd FD      write \"READY\\n\" to FD once the sockets are served, then close it\n"
    "  --help             show this help\n"
    "  --version          show the version\n"
    "\n"
    "Control commands (socket DIR/control, or zel8d ctl):\n"
    "  set T3 0.0123 | set A1 0.5   input value (fixed mode)\n"
    "  get C2 | get T3 | get A1     present value\n"
    "  silent on|off                driver calls fail while on, as if the unit were unplugged\n"
    "  status N                     answer the next request with status N (1-255)\n"
    "  delay MS                     answer every request MS milliseconds late (0: on time)\n"
    "  scan N                       run N scans now\n"
    "  stats                        scans run on schedule, scans dropped, seconds since start\n"
    "  save-error N                 the next calibration store fails with error N\n"
    "  quit                         stop the emulator\n";

bool parseInteger(const std::string &text, long low, long high, long *out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    errno = 0;
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = value;
    return true;
}

bool parseReal(const std::string &text, double *out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value)) {
        return false;
    }
    *out = value;
    return true;
}

bool parseInputName(const std::string &text, char *kind, int *number) {
    if (text.size() < 2) {
        return false;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    long n = 0;
    if ((letter != 'T' && letter != 'A') || !std::isdigit(static_cast<unsigned char>(text[1])) ||
        !parseInteger(text.substr(1), 1, 255, &n)) {
        return false;
    }
    *kind = letter;
    *number = static_cast<int>(n);
    return true;
}

ParseResult parseOptions(const std::vector<std::string> &args) {
    ParseResult result;
    Options &o = result.options;
    o.ports = {PortMode::Silent, PortMode::Silent, PortMode::Silent};
    bool portGiven[3] = {false, false, false};
    int unitPort = 1;
    auto fail = [&](std::string message) {
        result.error = std::move(message);
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (arg == "--version") {
            o.version = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return fail(arg.rfind("--", 0) == 0 ? arg + " needs a value"
                                                : "unexpected argument '" + arg + "'");
        }
        const std::string &value = args[++i];
        long n = 0;
        auto number = [&](long low, long high) {
            if (!parseInteger(value, low, high, &n)) {
                result.error = arg + " takes a whole number from " + std::to_string(low) + " to " +
                               std::to_string(high) + ", not '" + value + "'";
                return false;
            }
            return true;
        };
        if (arg == "--dir") {
            if (value.empty()) {
                return fail("--dir needs a folder");
            }
            o.folder = value;
        } else if (arg == "--state") {
            if (value.empty()) {
                return fail("--state needs a file name");
            }
            o.statePath = value;
        } else if (arg == "--port") {
            if (!number(1, 3))
                return result;
            unitPort = static_cast<int>(n);
        } else if (arg == "--silent-port" || arg == "--absent-port") {
            if (!number(1, 3))
                return result;
            o.ports[static_cast<std::size_t>(n - 1)] =
                arg == "--silent-port" ? PortMode::Silent : PortMode::Absent;
            portGiven[n - 1] = true;
        } else if (arg == "--probes") {
            if (!number(0, 255))
                return result;
            o.unit.probes = static_cast<int>(n);
        } else if (arg == "--analogs") {
            if (!number(0, 255))
                return result;
            o.unit.analogs = static_cast<int>(n);
        } else if (arg == "--channels") {
            if (!number(1, 255))
                return result;
            o.unit.table.channels = static_cast<int>(n);
        } else if (arg == "--table") {
            if (!number(1, 255))
                return result;
            o.unit.table.entries = static_cast<int>(n);
        } else if (arg == "--memory") {
            if (!number(1, 1 << 24))
                return result;
            o.unit.table.memoryBytes = static_cast<std::size_t>(n);
        } else if (arg == "--save-time") {
            if (!number(0, 3600000))
                return result;
            o.unit.storeSeconds = static_cast<double>(n) / 1000.0;
        } else if (arg == "--signal") {
            if (value == "fixed") {
                o.signal = SignalKind::Fixed;
            } else if (value == "demo") {
                o.signal = SignalKind::Demo;
            } else {
                return fail("--signal is 'fixed' or 'demo', not '" + value + "'");
            }
        } else if (arg == "--set") {
            const auto equals = value.find('=');
            InputValue input;
            if (equals == std::string::npos ||
                !parseInputName(value.substr(0, equals), &input.kind, &input.number) ||
                !parseReal(value.substr(equals + 1), &input.value)) {
                return fail("--set takes an input and a value such as T1=0.0123, not '" + value +
                            "'");
            }
            o.values.push_back(input);
        } else if (arg == "--noise") {
            if (!parseReal(value, &o.noise) || o.noise < 0.0) {
                return fail("--noise takes a standard deviation of 0 or more, not '" + value + "'");
            }
        } else if (arg == "--seed") {
            if (!number(0, 2147483647))
                return result;
            o.seed = static_cast<std::uint64_t>(n);
        } else if (arg == "--ready-fd") {
            if (!number(0, 65535))
                return result;
            o.readyFd = static_cast<int>(n);
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    if (portGiven[unitPort - 1]) {
        return fail("port " + std::to_string(unitPort) +
                    " has the unit; it cannot be silent or absent as well");
    }
    o.ports[static_cast<std::size_t>(unitPort - 1)] = PortMode::Unit;
    for (const InputValue &input : o.values) {
        const int count = input.kind == 'T' ? o.unit.probes : o.unit.analogs;
        if (input.number > count) {
            return fail(std::string("--set: the unit has no input ") + input.kind +
                        std::to_string(input.number));
        }
    }
    if (!o.values.empty() && o.signal != SignalKind::Fixed) {
        return fail("--set needs --signal fixed");
    }
    result.ok = true;
    return result;
}

}  // namespace zel8d
