// Where a window goes so that all of it can be seen: a pop-up placed at a click near a screen's
// edge is moved just enough to lie wholly within that screen's work area.
#pragma once

#include <QPoint>
#include <QRect>

namespace zelapp {

// The top-left corner for `window` (outer rectangle, frame included, where it is wanted) that
// keeps it within `available`. A side that fits stays where it was wanted; a window larger than
// the area keeps its top left on the area's, so its title bar stays in reach.
QPoint fitOnScreen(const QRect &window, const QRect &available);

// The top-left corner for `window` (wanted where it is) that leaves `avoid` (the bar it was
// opened from) uncovered: right of it when the area has room there, else left of it, at the
// wanted height kept on the area; where neither side has room, as fitOnScreen places it.
QPoint placeBeside(const QRect &window, const QRect &avoid, const QRect &available);

}  // namespace zelapp
