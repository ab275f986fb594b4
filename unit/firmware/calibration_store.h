// Where the unit keeps its stored amplifier calibration across power cycles.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "amplifier.h"

namespace zelunit {

// Stored settings by probe number.
using CalibrationRecords = std::map<int, AmplifierSettings>;

// Error code the unit reports when the store could not be written.
inline constexpr std::uint8_t kStoreWriteFailed = 1;

class CalibrationStore {
  public:
    virtual ~CalibrationStore() = default;
    // The stored records; empty when nothing was stored yet. False with a reason when the
    // store exists but cannot be read (the unit then starts with nominal settings).
    virtual bool load(CalibrationRecords *records, std::string *error) = 0;
    // 0, or the error code to report.
    virtual std::uint8_t save(const CalibrationRecords &records) = 0;
};

// A text file, one probe per line: "T<n> <coarse> <Ri> <fine> <null>". Records of probes the
// unit does not have are kept and written back. The file is replaced atomically.
class CalibrationFile final : public CalibrationStore {
  public:
    explicit CalibrationFile(std::string path) : path_(std::move(path)) {}
    bool load(CalibrationRecords *records, std::string *error) override;
    std::uint8_t save(const CalibrationRecords &records) override;
    const std::string &path() const { return path_; }

    // The text form, shared by load and save (and by the tests).
    static std::string format(const CalibrationRecords &records);
    static bool parse(const std::string &text, CalibrationRecords *records, std::string *error);

  private:
    std::string path_;
};

// Keeps the records in memory only (a unit without persistent storage, and tests).
class MemoryCalibrationStore final : public CalibrationStore {
  public:
    bool load(CalibrationRecords *records, std::string *) override {
        *records = records_;
        return true;
    }
    std::uint8_t save(const CalibrationRecords &records) override {
        ++saves_;
        if (failWith_ == 0) {
            records_ = records;
        }
        return failWith_;
    }
    void failWith(std::uint8_t code) { failWith_ = code; }
    int saves() const { return saves_; }
    const CalibrationRecords &records() const { return records_; }

  private:
    CalibrationRecords records_;
    std::uint8_t failWith_ = 0;
    int saves_ = 0;
};

}  // namespace zelunit
