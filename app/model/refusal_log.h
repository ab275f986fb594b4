// What the unit refused while the setup went to it as a whole (a load, a new setup, other
// counts). An open batch collects the refusals, with the library's boxes off, and tells them in
// one message at its end; outside a batch nothing is kept, since the library's box says it.
#pragma once

#include <cstdint>

#include "unit/refused_items.h"
#include "unit/unit_api.h"

namespace zelapp {

struct RefusalLog {
    RefusedItems items;
    int openBatches = 0;

    // A status of a request on one item; a lost unit refuses nothing, it is not there.
    void note(RefusedItems::Item item, int number, int32_t status) {
        if (openBatches > 0 && status != 0 && status != kUnitNotCommunicating) {
            items.add(item, number, status);
        }
    }
};

}  // namespace zelapp
