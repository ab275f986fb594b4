// Why a call of the parts history failed: what every table family of the store hands back.
#pragma once

#include <QString>

namespace zelapp {

// Why a store call failed: SQLite's own words, and whether it says the file is damaged or held
// by another program (SQLITE_BUSY, said as "locked by another program").
struct StoreFailure {
    QString cause;
    bool damaged = false;
    bool busy = false;
};

}  // namespace zelapp
