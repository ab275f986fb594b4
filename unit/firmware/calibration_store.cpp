#include "calibration_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelunit {

namespace {

constexpr const char *kHeader =
    "# ZEL-8 unit emulator: stored amplifier calibration\n"
    "# probe coarse-gain Ri fine-gain null\n";

bool readNumber(std::istringstream &in, long low, long high, long *out) {
    long value = 0;
    if (!(in >> value) || value < low || value > high) {
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

std::string CalibrationFile::format(const CalibrationRecords &records) {
    std::string text = kHeader;
    char line[64];
    for (const auto &[probe, s] : records) {
        std::snprintf(line, sizeof line, "T%d %d %d %d %d\n", probe, s.coarse, s.ri, s.fine,
                      s.null);
        text += line;
    }
    return text;
}

bool CalibrationFile::parse(const std::string &text, CalibrationRecords *records,
                            std::string *error) {
    CalibrationRecords parsed;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::istringstream fields(line.substr(first));
        char letter = 0;
        long probe = 0, coarse = 0, ri = 0, fine = 0, null = 0;
        std::string rest;
        if (!(fields >> letter) || (letter != 'T' && letter != 't') ||
            !readNumber(fields, 1, 255, &probe) || !readNumber(fields, 0, 255, &coarse) ||
            !readNumber(fields, 0, 255, &ri) || !readNumber(fields, -32768, 32767, &fine) ||
            !readNumber(fields, -32768, 32767, &null) || (fields >> rest)) {
            *error = "line " + std::to_string(number) + " is not \"T<probe> <coarse> <Ri> " +
                     "<fine> <null>\": " + line;
            return false;
        }
        parsed[static_cast<int>(probe)] =
            AmplifierSettings{static_cast<std::uint8_t>(coarse), static_cast<std::uint8_t>(ri),
                              static_cast<std::int16_t>(fine), static_cast<std::int16_t>(null)};
    }
    *records = std::move(parsed);
    return true;
}

bool CalibrationFile::load(CalibrationRecords *records, std::string *error) {
    std::error_code missing;
    if (!std::filesystem::exists(path_, missing) && !missing) {
        records->clear();  // nothing stored yet
        return true;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        *error = path_ + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!parse(text.str(), records, error)) {
        *error = path_ + ": " + *error;
        return false;
    }
    return true;
}

std::uint8_t CalibrationFile::save(const CalibrationRecords &records) {
    // Write a new file and move it over the old one, so a failure never leaves half a file.
    const std::string temporary = path_ + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << format(records);
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return kStoreWriteFailed;
        }
    }
    if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
        std::remove(temporary.c_str());
        return kStoreWriteFailed;
    }
    return 0;
}

}  // namespace zelunit
