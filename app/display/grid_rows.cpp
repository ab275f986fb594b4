#include "display/grid_rows.h"

#include <algorithm>

#include "display/view_items.h"
#include "setup/setup.h"

namespace zelapp {

namespace {

// Descriptions of items 1..count; an item the setup does not hold shows an empty cell.
template <typename Lookup>
QStringList descriptions(int count, Lookup lookup) {
    QStringList items;
    items.reserve(std::max(count, 0));
    for (int i = 1; i <= count; ++i) {
        const auto *item = lookup(i);
        items.append(item != nullptr ? item->Description : QString());
    }
    return items;
}

}  // namespace

GridRows gridRows(const Setup &setup, const AppState &state) {
    switch (state.ViewType) {
        case VIEWTYPEGROUPS: {
            const group *g = shownGroup(setup, state);
            const QString name = g != nullptr ? g->Description : QString();
            GridTable table{name, {}};
            if (g != nullptr) {
                table.items =
                    descriptions(g->Count, [&](int p) { return setup.channel(g->GetChannel(p)); });
            }
            return {QStringLiteral("Group: ") + name, table};
        }
        case VIEWTYPECHANNELS:
            return {
                QStringLiteral("Channels"),
                GridTable{QStringLiteral("Channel"), descriptions(setup.channelCount(), [&](int i) {
                              return setup.channel(i);
                          })}};
        case VIEWTYPELVDTS:
            return {QStringLiteral("LVDTs"),
                    GridTable{QStringLiteral("LVDT"), descriptions(setup.lvdtCount(), [&](int i) {
                                  return setup.lvdt(i);
                              })}};
        case VIEWTYPEANALOGS:
            return {QStringLiteral("Analogs"),
                    GridTable{QStringLiteral("Analog Inputs"),
                              descriptions(setup.analogCount(),
                                           [&](int i) { return setup.analogInput(i); })}};
        default:
            return {};
    }
}

}  // namespace zelapp
