// What the measurement objects need: the unit they forward to, the prompter for their
// messages, the settings (LvdtFSV) and, while the setup goes to the unit as a whole, the log of
// what the unit refused.
#pragma once

#include "base/app_state.h"
#include "base/prompter.h"
#include "model/refusal_log.h"
#include "unit/unit_api.h"

namespace zelapp {

struct ModelContext {
    UnitApi &unit;
    Prompter &prompter;
    const AppState &state;
    RefusalLog *refusals = nullptr;

    void noteRefusal(RefusedItems::Item item, int number, int32_t status) const {
        if (refusals != nullptr) {
            refusals->note(item, number, status);
        }
    }
};

}  // namespace zelapp
