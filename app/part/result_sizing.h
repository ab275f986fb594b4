// How large the result window writes: its fonts follow the window, the verdict's letters and
// the tiles' digits as large as their places allow and never clipped. Pure, so that the sizes
// that matter are tested without a display.
#pragma once

#include <QRect>
#include <QSize>
#include <functional>
#include <vector>

namespace zelapp {

// The size a text takes at a font's pixel size (the window measures with the real font).
using TextMeasure = std::function<QSize(int pixelSize)>;

// The largest pixel size in [least, most] at which `measure` fits within `box`; `least` when
// none does (or the box is empty). The measure is taken to grow with the pixel size.
int fittedPixelSize(QSize box, const TextMeasure &measure, int least, int most);

// How the tiles share their area: columns and rows of equal cells.
struct TileGrid {
    int columns = 0;
    int rows = 0;
    bool operator==(const TileGrid &) const = default;
};

// The pixel size a tile's value would get in a cell of the given size.
using CellPixels = std::function<int(QSize cell)>;

// The grid, `spacing` pixels between cells, that gives the values their largest pixel size;
// among equal ones, the one with the fewest columns. No tiles: 0 x 0.
TileGrid tileGrid(int tiles, QSize area, int spacing, const CellPixels &valuePixels);

// The cells of a grid over `area`, row by row from the top left, `count` of them.
std::vector<QRect> tileRects(const TileGrid &grid, QSize area, int spacing, int count);

// A tile's caption on top, its value in the middle (three fifths of the height) and its mark
// under it, inside `margin` pixels all round. The tolerance bar takes the foot of the value's
// place, a sixth of it (6 to 16 pixels); it is left out (empty) where the tile is narrower than
// the bar's least width or the digits would keep less than 24 pixels.
struct TileParts {
    QRect caption;
    QRect value;
    QRect mark;
    QRect bar;
    bool operator==(const TileParts &) const = default;
};
TileParts tileParts(QSize cell, int margin);

}  // namespace zelapp
