// What the current view shows, as the grid and bar windows count it.
#pragma once

#include <optional>

#include "base/app_state.h"

namespace zelapp {

class Setup;
class group;

// The group of group view: CurrentGroup when it names one, else none.
group *shownGroup(const Setup &setup, const AppState &state);

// Number of items of the current view: the shown group's Count (0 when CurrentGroup names no
// group), or the setup's channels, probes or analog inputs. None for a view that is none of the
// four (the window keeps its count).
std::optional<int> viewItemCount(const Setup &setup, const AppState &state);

// The channel shown at a 1-based position of the current view: in group view the group's
// channel at that position, in channel view the position itself; 0 in other views or outside.
int viewChannelAt(const Setup &setup, const AppState &state, int position);

}  // namespace zelapp
