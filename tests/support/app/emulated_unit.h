// The real zel8d serving a private device folder, and libzelcomm.so bound to it: the unit the
// integration tests give the program. The library's failure lines (a missing entry point, say)
// are kept for the test to check; the emulator is started by the test, with its own arguments.
#pragma once

#include <QString>
#include <vector>

#include "emulator_process.h"
#include "temp_folder.h"
#include "unit/zelcomm_binding.h"

namespace zeltest {

struct EmulatedUnit {
    TempFolder devices;
    ScopedEnv deviceDir{"ZEL_DEVICE_DIR", devices.path().c_str()};
    EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    std::vector<QString> failures;
    zelapp::ZelcommBinding binding{QString::fromUtf8(ZELCOMM_DIR),
                                   [this](const QString &m) { failures.push_back(m); }};
};

}  // namespace zeltest
