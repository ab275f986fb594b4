// The unit's statuses in the words the library uses for them, for the program's own reports of
// a refusal it read with the library's boxes off.
#pragma once

#include <QString>
#include <cstdint>

namespace zelapp {

// "Bad channel number" for 10, "Unknown error:0000000B" for 11, ... A status of the program's
// own (a missing input) or a lost unit gets its own words.
QString unitStatusText(int32_t status);

}  // namespace zelapp
