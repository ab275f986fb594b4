// What the current view shows, as the grid and bar windows count it.
#pragma once

#include <optional>
#include <vector>

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

// What one position of a view shows: a channel, a probe or an analog input, by number. A
// window rebuilt for another view or group keeps the value at a position only when the same
// item is still there; any other value would be shown for an item that did not measure it.
struct ViewItem {
    enum class Kind : unsigned char { None, Channel, Lvdt, Analog };
    Kind kind = Kind::None;
    int number = 0;
    bool operator==(const ViewItem &) const = default;
};

// The items of positions 1..n of the current view, in order (element 0 is position 1).
std::vector<ViewItem> viewItems(const Setup &setup, const AppState &state);

// Whether the 1-based position shows the same item in both lists: then its value may stay.
bool sameItemAt(const std::vector<ViewItem> &before, const std::vector<ViewItem> &now,
                int position);

// The channel shown at a 1-based position of the current view: in group view the group's
// channel at that position, in channel view the position itself; 0 in other views or outside.
int viewChannelAt(const Setup &setup, const AppState &state, int position);

}  // namespace zelapp
