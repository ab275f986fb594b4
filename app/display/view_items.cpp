#include "display/view_items.h"

#include <algorithm>

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

std::vector<ViewItem> viewItems(const Setup &setup, const AppState &state) {
    const int count = viewItemCount(setup, state).value_or(0);
    std::vector<ViewItem> items;
    items.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int p = 1; p <= count; ++p) {
        switch (state.ViewType) {
            case VIEWTYPEGROUPS:
            case VIEWTYPECHANNELS:
                items.push_back({ViewItem::Kind::Channel, viewChannelAt(setup, state, p)});
                break;
            case VIEWTYPELVDTS:
                items.push_back({ViewItem::Kind::Lvdt, p});
                break;
            default:
                items.push_back({ViewItem::Kind::Analog, p});
                break;
        }
    }
    return items;
}

bool sameItemAt(const std::vector<ViewItem> &before, const std::vector<ViewItem> &now,
                int position) {
    const auto i = static_cast<std::size_t>(position - 1);
    return position >= 1 && i < before.size() && i < now.size() && before[i] == now[i];
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
