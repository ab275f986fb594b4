// The program's session on zel8d through libzelcomm.so, as the benchmarks that measure the real
// library bring it up: the emulator serving a private device folder, the library bound (its
// calls timed) with its messages going to the session's prompter, and start-up with a channel
// count. Members are public: the benchmarks read the timed unit and steer the emulator.
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "emulator_process.h"
#include "session_fixture.h"
#include "session_start.h"
#include "temp_folder.h"
#include "timed_unit.h"
#include "unit/zelcomm_binding.h"

namespace zelbench {

struct EmulatedSession {
    // The library finds the emulator through ZEL_DEVICE_DIR, read at its first call.
    static std::string exported(const zeltest::TempFolder &folder) {
        setenv("ZEL_DEVICE_DIR", folder.path().c_str(), 1);
        return folder.path();
    }

    zeltest::TempFolder devices;
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, exported(devices)};
    zelapp::ZelcommBinding binding{QString::fromUtf8(ZELCOMM_DIR), printLibraryFailure};
    TimedUnit unit{binding};
    zeltest::SessionFixture f{&unit};

    // Starts zel8d with the arguments and the program with `channels` channels; false, with a
    // line on standard error, when either does not run.
    bool start(const std::vector<std::string> &arguments, int channels) {
        if (!emulator.start(arguments)) {
            std::fprintf(stderr, "zel8d did not start: %s\n", emulator.errors().c_str());
            return false;
        }
        binding.installMessageHook(f.prompter);
        return startWithChannels(f, channels);
    }
};

}  // namespace zelbench
