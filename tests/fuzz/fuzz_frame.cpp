// The unit's frame handler under any sequence of frames: each record of the input is one
// length byte and that many frame bytes; a zero length runs a scan instead.
#include <cstddef>
#include <cstdint>

#include "calibration_store.h"
#include "signals.h"
#include "unit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    zelunit::UnitConfig config;
    config.table.entries = 16;
    config.table.memoryBytes = 1024;
    config.storeSeconds = 0.0;
    zelunit::FixedSignal signal(8, 1, 0.001, 7);
    signal.setProbe(1, 0.01);
    signal.setAnalog(1, 0.5);
    zelunit::MemoryCalibrationStore store;
    zelunit::Unit unit(config, signal, store);
    unit.powerOn();
    std::uint8_t out[260];
    double seconds = 0.0;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t length = data[at++];
        seconds += 0.001;
        if (length == 0) {
            unit.scan(seconds);
            continue;
        }
        const std::size_t take = length < size - at ? length : size - at;
        unit.handleRequest(data + at, take, out, sizeof out, seconds);
        at += take;
    }
    return 0;
}
