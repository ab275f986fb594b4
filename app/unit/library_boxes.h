// The library's own error boxes switched off for a stretch of calls whose statuses the caller
// reports itself, or has reported already: a refusal then costs no box of the library's, let
// alone one per call. The program runs with the boxes on (start-up switches them on), so they
// are on again at the end of the stretch. Only the unit's error codes are silenced: the library
// still says when it enters demonstration mode.
#pragma once

#include "unit/unit_api.h"

namespace zelapp {

class LibraryBoxesOff {
  public:
    explicit LibraryBoxesOff(UnitApi &unit) : unit_(unit) { unit_.ZelMsgBox(0); }
    ~LibraryBoxesOff() { unit_.ZelMsgBox(1); }
    LibraryBoxesOff(const LibraryBoxesOff &) = delete;
    LibraryBoxesOff &operator=(const LibraryBoxesOff &) = delete;

  private:
    UnitApi &unit_;
};

}  // namespace zelapp
