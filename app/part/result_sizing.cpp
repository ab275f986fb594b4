#include "part/result_sizing.h"

#include <algorithm>

#include "part/tolerance_bar.h"

namespace zelapp {

namespace {
constexpr int kLeastBarHeight = 6;
constexpr int kMostBarHeight = 16;
constexpr int kLeastValueBesideBar = 24;

bool fits(const QSize &size, const QSize &box) {
    return size.width() <= box.width() && size.height() <= box.height();
}
}  // namespace

int fittedPixelSize(QSize box, const TextMeasure &measure, int least, int most) {
    if (box.isEmpty() || most <= least || !fits(measure(least), box)) {
        return least;
    }
    // Invariant: `low` fits, `high` + 1 does not (or lies beyond `most`).
    int low = least;
    int high = most;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (fits(measure(middle), box)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

TileGrid tileGrid(int tiles, QSize area, int spacing, const CellPixels &valuePixels) {
    if (tiles <= 0) {
        return {};
    }
    TileGrid best{1, tiles};
    int bestPixels = -1;
    for (int columns = 1; columns <= tiles; ++columns) {
        const int rows = (tiles + columns - 1) / columns;
        // A grid whose last row would be empty has a smaller one with the same rows.
        if (columns > 1 && (rows * (columns - 1)) >= tiles) {
            continue;
        }
        const QSize cell((area.width() - spacing * (columns - 1)) / columns,
                         (area.height() - spacing * (rows - 1)) / rows);
        const int pixels = cell.isEmpty() ? 0 : valuePixels(cell);
        if (pixels > bestPixels) {
            bestPixels = pixels;
            best = {columns, rows};
        }
    }
    return best;
}

std::vector<QRect> tileRects(const TileGrid &grid, QSize area, int spacing, int count) {
    std::vector<QRect> rects;
    if (grid.columns <= 0 || grid.rows <= 0) {
        return rects;
    }
    const int width = std::max(0, (area.width() - spacing * (grid.columns - 1)) / grid.columns);
    const int height = std::max(0, (area.height() - spacing * (grid.rows - 1)) / grid.rows);
    for (int i = 0; i < count && i < grid.columns * grid.rows; ++i) {
        const int column = i % grid.columns;
        const int row = i / grid.columns;
        rects.emplace_back(column * (width + spacing), row * (height + spacing), width, height);
    }
    return rects;
}

TileParts tileParts(QSize cell, int margin) {
    const int width = std::max(0, cell.width() - 2 * margin);
    const int height = std::max(0, cell.height() - 2 * margin);
    const int place = height * 3 / 5;
    const int caption = (height - place) / 2;
    const int mark = height - place - caption;
    const int barHeight = std::clamp(place / 6, kLeastBarHeight, kMostBarHeight);
    const bool barFits =
        width >= kLeastToleranceBarWidth && place - barHeight >= kLeastValueBesideBar;
    const int value = barFits ? place - barHeight : place;
    return {QRect(margin, margin, width, caption), QRect(margin, margin + caption, width, value),
            QRect(margin, margin + caption + place, width, mark),
            barFits ? QRect(margin, margin + caption + value, width, barHeight) : QRect()};
}

}  // namespace zelapp
