// What the grid window shows for the current view: its caption, the header cell and the item
// descriptions of rows 1..n. The window only copies this into its table.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "base/app_state.h"

namespace zelapp {

class Setup;

// Widths of the grid's three columns: description, value, spare.
inline constexpr std::array<int, 3> kGridColumnTwips{1400, 1000, 1000};

struct GridTable {
    QString header;     // cell (0, 0)
    QStringList items;  // column 0 of rows 1..n, in view order
    bool operator==(const GridTable &) const = default;
};

struct GridRows {
    // None: the window keeps what it shows now.
    std::optional<QString> caption;
    std::optional<GridTable> table;
};

// The current view's grid. A group without channels, or group view with CurrentGroup naming
// no group (the shown group was removed), gets the header row alone: rows kept from before
// would no longer be fed and would show old values as if live. A missing group has an empty
// name. Only a view that is none of the four keeps what the window shows.
GridRows gridRows(const Setup &setup, const AppState &state);

}  // namespace zelapp
