#include "control_commands.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace zel8d {

namespace {

std::vector<std::string> splitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == '\t' || line[i] == ' ')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != '\t' && line[i] != ' ') {
            ++i;
        }
        if (i > start) {
            fields.emplace_back(line.substr(start, i - start));
        }
    }
    return fields;
}

ControlReply ok(std::string value = {}) {
    return {value.empty() ? "OK" : "OK\t" + value, false};
}
ControlReply error(const std::string &reason) {
    return {"ERR\t" + reason, false};
}

// Shortest text that reads back as the same single-precision value, as the unit holds it.
std::string formatValue(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    return std::string(text, result.ptr);
}

ControlReply get(const std::string &name, Emulator &emulator) {
    const zelunit::Unit &unit = emulator.unit();
    if ((name[0] == 'C' || name[0] == 'c') && name.size() > 1) {
        long n = 0;
        if (!parseInteger(name.substr(1), 1, 255, &n) || !unit.channels().hasChannel(int(n))) {
            return error("the unit has no channel " + name.substr(1));
        }
        return ok(formatValue(unit.channels().value(static_cast<int>(n))));
    }
    char kind = 0;
    int n = 0;
    if (!parseInputName(name, &kind, &n)) {
        return error("get takes C<n>, T<n> or A<n>, not '" + name + "'");
    }
    if (kind == 'T') {
        if (!unit.inputs().hasProbe(n)) {
            return error("the unit has no probe T" + std::to_string(n));
        }
        return ok(formatValue(unit.inputs().probeReading(n)));
    }
    if (!unit.inputs().hasAnalog(n)) {
        return error("the unit has no analog input A" + std::to_string(n));
    }
    return ok(formatValue(unit.inputs().analogReading(n)));
}

ControlReply set(const std::string &name, const std::string &text, Emulator &emulator) {
    zelunit::FixedSignal *signal = emulator.fixedSignal();
    if (signal == nullptr) {
        return error(
            "the inputs follow the demo signal; start zel8d with --signal fixed to set "
            "them");
    }
    char kind = 0;
    int n = 0;
    double value = 0.0;
    if (!parseInputName(name, &kind, &n)) {
        return error("set takes T<n> or A<n>, not '" + name + "'");
    }
    if (!parseReal(text, &value)) {
        return error("'" + text + "' is not a number");
    }
    const bool done = kind == 'T' ? signal->setProbe(n, value) : signal->setAnalog(n, value);
    if (!done) {
        return error(std::string("the unit has no input ") + kind + std::to_string(n));
    }
    return ok();
}

}  // namespace

ControlReply executeControl(std::string_view line, Emulator &emulator) {
    const std::vector<std::string> f = splitFields(line);
    if (f.empty()) {
        return error("empty command");
    }
    const std::string &command = f[0];
    auto wants = [&](std::size_t count) { return f.size() == count + 1; };
    long n = 0;
    if (command == "set") {
        return wants(2) ? set(f[1], f[2], emulator) : error("usage: set T<n>|A<n> VALUE");
    }
    if (command == "get") {
        return wants(1) ? get(f[1], emulator) : error("usage: get C<n>|T<n>|A<n>");
    }
    if (command == "silent") {
        if (!wants(1) || (f[1] != "on" && f[1] != "off")) {
            return error("usage: silent on|off");
        }
        emulator.driver().setSilent(f[1] == "on");
        return ok();
    }
    if (command == "status") {
        if (!wants(1) || !parseInteger(f[1], 0, 255, &n)) {
            return error("usage: status N (1 to 255; 0 takes it back)");
        }
        emulator.driver().answerNextRequestWith(static_cast<std::uint8_t>(n));
        return ok();
    }
    if (command == "delay") {
        if (!wants(1) || !parseInteger(f[1], 0, 600000, &n)) {
            return error("usage: delay MILLISECONDS (0 to 600000)");
        }
        emulator.driver().setDelay(static_cast<double>(n) / 1000.0);
        return ok();
    }
    if (command == "scan") {
        if (!wants(1) || !parseInteger(f[1], 1, kMaxScansPerCommand, &n)) {
            return error("usage: scan N (1 to " + std::to_string(kMaxScansPerCommand) + ")");
        }
        const double now = emulator.now();
        for (long i = 0; i < n; ++i) {
            emulator.unit().scan(now);
        }
        return ok();
    }
    if (command == "save-error") {
        if (!wants(1) || !parseInteger(f[1], 1, 255, &n)) {
            return error("usage: save-error N (1 to 255)");
        }
        emulator.unit().failNextStore(static_cast<std::uint8_t>(n));
        return ok();
    }
    if (command == "stats") {
        if (!wants(0)) {
            return error("usage: stats");
        }
        const ScanSchedule &schedule = emulator.schedule();
        char text[128];
        std::snprintf(text, sizeof text, "scans=%ld\tdropped=%ld\tseconds=%.3f\tlongest=%.1f",
                      schedule.scans(), schedule.dropped(), emulator.now(),
                      schedule.longestScan() * 1e6);
        return ok(text);
    }
    if (command == "quit") {
        return wants(0) ? ControlReply{"OK", true} : error("usage: quit");
    }
    // Echo at most the start of whatever arrived.
    return error("unknown command '" + command.substr(0, 40) + "'");
}

}  // namespace zel8d
