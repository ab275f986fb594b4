// How large the grid's values are written: a grid window made large (to be read across the
// shop floor) writes them larger, one small window keeps the usual size.
#pragma once

namespace zelapp {

// The value font takes three fifths of a row's height (whole numbers: no rounding surprises).
inline constexpr int kGridValueShareNum = 3;
inline constexpr int kGridValueShareDen = 5;
// Never larger than this, in pixels: beyond it a value no longer fits its column's width.
inline constexpr int kGridValueMaxPixels = 96;

// Pixel size of the value column's font when `rows` rows (the header row included) share
// `height` pixels: three fifths of a row, never below the window's own font of
// `basePixels` nor above kGridValueMaxPixels (a base above that stays). No rows or no height:
// the base.
int gridValuePixelSize(int height, int rows, int basePixels);

// The row height for values of `pixels`: the font over its share, never below `baseRow`.
int gridRowHeight(int pixels, int baseRow);

// What the value and mark columns hold, measured once in the window's font of `pixels`: the
// advance of the widest value, of the widest verdict mark, and the margin beside a text. A text
// grows with its font, so the widths at other sizes are scaled from these.
struct GridAdvance {
    int pixels = 0;
    int value = 0;
    int mark = 0;
    int margin = 0;
};
struct GridColumns {
    int value = 0;
    int mark = 0;
    bool operator==(const GridColumns &) const = default;
};
// The value and mark columns for values of `pixels`: their widest text and a margin, never
// below their own widths `least`.
GridColumns gridColumns(int pixels, const GridAdvance &advance, const GridColumns &least);
// The value font for a grid `width` pixels wide whose first column takes `description`: the
// size by height (gridValuePixelSize), smaller while the value and mark columns would not fit
// beside it, so that a mark is never cut off; never below `basePixels`.
int gridValuePixelsFitting(int byHeight, int basePixels, int width, int description,
                           const GridAdvance &advance, const GridColumns &least);

}  // namespace zelapp
