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

}  // namespace zelapp
