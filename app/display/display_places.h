// Where the grid and bar windows sit for the current view: the group's own record in group
// view, the setup's window records in the other views.
#pragma once

#include <optional>

#include "base/app_state.h"
#include "setup/window_geometry.h"

namespace zelapp {

class Setup;

enum class DisplayKind { Grid, Bars };

// The stored place to restore for the current view, or nothing when the window should stay
// where it is (no group to show, a record never saved, i.e. Height not above 0, and the
// analog view, whose places are stored but never restored).
std::optional<WindowGeometry> storedDisplayPlace(const Setup &setup, const AppState &state,
                                                 DisplayKind kind);

// Stores a place (twips) for the current view, each value held to 16 bits. In group view
// nothing is stored when CurrentGroup names no group.
void storeDisplayPlace(Setup &setup, const AppState &state, DisplayKind kind,
                       const WindowGeometry &place);

}  // namespace zelapp
