#include "stats/control_constants.h"

namespace zelapp {

// Placeholder until the table is written.
const ControlConstants *controlConstants(int) {
    return nullptr;
}

}  // namespace zelapp
