// What the measurement objects need: the unit they forward to, the prompter for their
// messages and the settings (LvdtFSV).
#pragma once

#include "base/app_state.h"
#include "base/prompter.h"
#include "unit/unit_api.h"

namespace zelapp {

struct ModelContext {
    UnitApi &unit;
    Prompter &prompter;
    const AppState &state;
};

}  // namespace zelapp
