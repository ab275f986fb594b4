// The unit's firmware: answers request frames, scans its inputs and evaluates its channels,
// and stores amplifier calibration. Time is passed in (seconds since power-on), so the whole
// unit runs deterministically under a test's control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "calibration_store.h"
#include "channel_table.h"
#include "input_bank.h"
#include "signal_source.h"

namespace zelunit {

struct UnitConfig {
    int probes = 8;
    int analogs = 1;
    ChannelTableLimits table;
    double storeSeconds = 0.6;  // how long storing the calibration takes
};

// What the unit reports for a request it cannot take. The named codes 10..23 come from the
// channel table and the formula compiler.
namespace unitstatus {
inline constexpr std::uint8_t UnknownRequest = 1;  // no such request code
inline constexpr std::uint8_t BadFrame = 2;        // lead byte is not ':' or frame too short
inline constexpr std::uint8_t BadLength = 3;       // payload length does not fit the request
inline constexpr std::uint8_t BadValue = 4;        // a setting outside what the unit takes
}  // namespace unitstatus

inline constexpr int kMaxScanTime = 65535;  // tenths of a millisecond
inline constexpr int kMaxDirectEntries = 128;
inline constexpr std::uint8_t kDirectAnalogBase = 0x80;  // ZelReadDirect entry 0x81 = A1

class Unit {
  public:
    Unit(const UnitConfig &config, SignalSource &source, CalibrationStore &store);

    // Loads the stored calibration. Empty, or a warning when the store could not be read (the
    // unit then starts with nominal settings and keeps the store as it is until the next save).
    std::string powerOn();

    // Answers one request frame. Writes the whole response area (status at offset 1, data from
    // offset 3) into out and returns the bytes written: min(outSize, 260).
    std::size_t handleRequest(const std::uint8_t *frame, std::size_t length, std::uint8_t *out,
                              std::size_t outSize, double seconds);

    // One scan: sample every input, evaluate every defined channel, track minimum and maximum.
    void scan(double seconds);
    bool scanning() const { return scanning_; }
    int scanTime() const { return scanTime_; }  // tenths of a millisecond
    double scanPeriod() const { return scanTime_ * 1e-4; }

    // Finishes a calibration store that has run its time.
    void advance(double seconds);
    bool storing() const { return store_.busy; }
    double storeDue() const { return store_.due; }
    void failNextStore(std::uint8_t code) { failNextStore_ = code; }

    ChannelTable &channels() { return channels_; }
    const ChannelTable &channels() const { return channels_; }
    InputBank &inputs() { return inputs_; }
    const InputBank &inputs() const { return inputs_; }
    int muxTime() const { return muxTime_; }

  private:
    struct Store {
        bool busy = false;
        double due = 0.0;
        CalibrationRecords snapshot;
        std::uint8_t error = 0;
    };

    std::uint8_t dispatch(std::uint8_t code, const std::uint8_t *payload, std::size_t length,
                          std::uint8_t *data, std::size_t *dataLength, double seconds);
    std::uint8_t startStore(double seconds);
    void memoryImage(std::uint8_t *image, std::size_t size) const;

    double storeSeconds_;
    SignalSource &source_;
    CalibrationStore &storage_;
    InputBank inputs_;  // before channels_: the formulas are checked against its inputs
    ChannelTable channels_;
    CalibrationRecords stored_;  // as last loaded or stored, probes the unit lacks included
    Store store_;
    std::uint8_t failNextStore_ = 0;
    bool scanning_ = true;
    int scanTime_ = 100;
    int fpIn_ = 0;
    int fpOut_ = 0;
    int fpPrecision_ = 0;
    int muxTime_ = 0;
};

}  // namespace zelunit
