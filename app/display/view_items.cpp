#include "display/view_items.h"

#include "setup/setup.h"

namespace zelapp {

group *shownGroup(const Setup &setup, const AppState &state) {
    if (state.CurrentGroup < 1 || state.CurrentGroup > setup.groupCount()) {
        return nullptr;
    }
    return setup.groupAt(state.CurrentGroup);
}

std::optional<int> viewItemCount(const Setup &setup, const AppState &state) {
    switch (state.ViewType) {
        case VIEWTYPEGROUPS:
            if (const group *g = shownGroup(setup, state)) {
                return g->Count;
            }
            return 0;
        case VIEWTYPECHANNELS:
            return setup.channelCount();
        case VIEWTYPELVDTS:
            return setup.lvdtCount();
        case VIEWTYPEANALOGS:
            return setup.analogCount();
        default:
            return std::nullopt;
    }
}

int viewChannelAt(const Setup &setup, const AppState &state, int position) {
    if (state.ViewType == VIEWTYPEGROUPS) {
        const group *g = shownGroup(setup, state);
        return g != nullptr ? g->GetChannel(position) : 0;
    }
    if (state.ViewType == VIEWTYPECHANNELS && position >= 1 && position <= setup.channelCount()) {
        return position;
    }
    return 0;
}

}  // namespace zelapp
