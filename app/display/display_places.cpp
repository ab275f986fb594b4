#include "display/display_places.h"

#include "display/twips.h"
#include "display/view_items.h"
#include "setup/setup.h"

namespace zelapp {

namespace {

// The setup's record for the current view; none in group view.
std::optional<SetupWindow> viewRecord(int viewType, DisplayKind kind) {
    const bool grid = kind == DisplayKind::Grid;
    switch (viewType) {
        case VIEWTYPECHANNELS:
            return grid ? SetupWindow::ChannelGrid : SetupWindow::ChannelBar;
        case VIEWTYPELVDTS:
            return grid ? SetupWindow::LvdtGrid : SetupWindow::LvdtBar;
        case VIEWTYPEANALOGS:
            return grid ? SetupWindow::AnalogGrid : SetupWindow::AnalogBar;
        default:
            return std::nullopt;
    }
}

WindowGeometry groupPlace(const group &g, DisplayKind kind) {
    if (kind == DisplayKind::Grid) {
        return {g.WindowGridTop, g.WindowGridLeft, g.WindowGridHeight, g.WindowGridWidth};
    }
    return {g.WindowBarTop, g.WindowBarLeft, g.WindowBarHeight, g.WindowBarWidth};
}

void setGroupPlace(group &g, DisplayKind kind, const WindowGeometry &p) {
    if (kind == DisplayKind::Grid) {
        g.WindowGridTop = p.Top;
        g.WindowGridLeft = p.Left;
        g.WindowGridHeight = p.Height;
        g.WindowGridWidth = p.Width;
    } else {
        g.WindowBarTop = p.Top;
        g.WindowBarLeft = p.Left;
        g.WindowBarHeight = p.Height;
        g.WindowBarWidth = p.Width;
    }
}

}  // namespace

std::optional<WindowGeometry> storedDisplayPlace(const Setup &setup, const AppState &state,
                                                 DisplayKind kind) {
    // The analog view's places are saved with the setup but not brought back: the setup file
    // has always carried them that way.
    if (state.ViewType == VIEWTYPEANALOGS) {
        return std::nullopt;
    }
    WindowGeometry place;
    if (state.ViewType == VIEWTYPEGROUPS) {
        const group *g = shownGroup(setup, state);
        if (g == nullptr) {
            return std::nullopt;
        }
        place = groupPlace(*g, kind);
    } else if (auto record = viewRecord(state.ViewType, kind)) {
        place = setup.windows()[static_cast<int>(*record)];
    } else {
        return std::nullopt;
    }
    if (place.Height <= 0) {
        return std::nullopt;
    }
    return place;
}

void storeDisplayPlace(Setup &setup, const AppState &state, DisplayKind kind,
                       const WindowGeometry &place) {
    const WindowGeometry held{clampTwips(place.Top), clampTwips(place.Left),
                              clampTwips(place.Height), clampTwips(place.Width)};
    if (state.ViewType == VIEWTYPEGROUPS) {
        if (group *g = shownGroup(setup, state)) {
            setGroupPlace(*g, kind, held);
        }
    } else if (auto record = viewRecord(state.ViewType, kind)) {
        setup.windows()[static_cast<int>(*record)] = held;
    }
}

}  // namespace zelapp
