#include "emulator.h"

namespace zel8d {

namespace {

zelunit::SignalSource &chooseSource(const Options &options,
                                    std::unique_ptr<zelunit::FixedSignal> &fixed,
                                    std::unique_ptr<zelunit::DemoSignal> &demo) {
    if (options.signal == SignalKind::Demo) {
        demo = std::make_unique<zelunit::DemoSignal>(options.unit.probes, options.unit.analogs,
                                                     options.seed);
        return *demo;
    }
    fixed = std::make_unique<zelunit::FixedSignal>(options.unit.probes, options.unit.analogs,
                                                   options.noise, options.seed);
    for (const InputValue &input : options.values) {
        if (input.kind == 'T') {
            fixed->setProbe(input.number, input.value);
        } else {
            fixed->setAnalog(input.number, input.value);
        }
    }
    return *fixed;
}

std::unique_ptr<zelunit::CalibrationStore> chooseStore(const std::string &path) {
    if (path.empty()) {
        return std::make_unique<zelunit::MemoryCalibrationStore>();
    }
    return std::make_unique<zelunit::CalibrationFile>(path);
}

}  // namespace

Emulator::Emulator(const Options &options, const std::string &statePath)
    : store_(chooseStore(statePath)),
      unit_(options.unit, chooseSource(options, fixed_, demo_), *store_),
      driver_(unit_, options.ports),
      start_(std::chrono::steady_clock::now()) {}

double Emulator::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

}  // namespace zel8d
