#include "dfq/dfq_settings.h"

namespace zelapp {

// Placeholder until the settings are read.
DfqSettings readDfqSettings(const QString &) {
    return {};
}

}  // namespace zelapp
