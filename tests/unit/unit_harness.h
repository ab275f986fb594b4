// A unit on a fixed signal with calibration kept in memory, and a way to send it frames.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "calibration_store.h"
#include "protocol.h"
#include "request_frame.h"
#include "signals.h"
#include "unit.h"

namespace zeltest {

struct Answer {
    std::uint8_t status = 0;
    std::vector<std::uint8_t> data;  // response data (from offset 3), 257 bytes

    float real() const {
        float v;
        std::memcpy(&v, data.data(), 4);
        return v;
    }
    std::int16_t word() const { return static_cast<std::int16_t>(zelproto::getU16(data.data())); }
    std::string text() const { return reinterpret_cast<const char *>(data.data()); }
};

inline std::vector<std::uint8_t> realBytes(float value) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    return {bytes, bytes + 4};
}

struct UnitHarness {
    explicit UnitHarness(zelunit::UnitConfig config = {}) : unit(config, signal, store) {
        unit.powerOn();
    }

    // Frame with the request code and payload; the length byte is the payload's size.
    Answer request(std::uint8_t code, std::vector<std::uint8_t> payload = {0}) {
        return raw(requestFrame(code, payload));
    }
    Answer raw(const std::vector<std::uint8_t> &frame) {
        std::uint8_t out[zelproto::kAreaSize];
        std::memset(out, 0xEE, sizeof out);
        const std::size_t written =
            unit.handleRequest(frame.data(), frame.size(), out, sizeof out, seconds);
        Answer answer;
        answer.status = written > 1 ? out[1] : 0xFF;
        answer.data.assign(out + 3, out + sizeof out);
        return answer;
    }
    std::uint8_t define(int channel, const std::string &text) {
        std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(channel)};
        payload.insert(payload.end(), text.begin(), text.end());
        payload.push_back(0);
        return request(zelproto::code::DefineChannel, payload).status;
    }
    std::uint8_t set(std::uint8_t code, int number, float value) {
        std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(number)};
        const auto bytes = realBytes(value);
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        return request(code, payload).status;
    }
    float read(std::uint8_t code, int number) {
        return request(code, {static_cast<std::uint8_t>(number)}).real();
    }
    void scan(int count = 1) {
        for (int i = 0; i < count; ++i) {
            seconds += 0.01;
            unit.scan(seconds);
        }
    }

    zelunit::FixedSignal signal{8, 1};
    zelunit::MemoryCalibrationStore store;
    zelunit::Unit unit;
    double seconds = 0.0;
};

}  // namespace zeltest
