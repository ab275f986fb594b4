// The result window's sizes without a window: the largest font that fits its box, and the grid
// of tiles that gives the digits the most room.
#include "part/result_sizing.h"

#include <gtest/gtest.h>

#include "part/tolerance_bar.h"

namespace {

using zelapp::TileGrid;

// A font shaped like the window's sans serif in bold: each character 0.7 of the pixel size wide,
// a line 1.17 high.
zelapp::TextMeasure linear(int characters) {
    return [characters](int pixels) {
        return QSize(characters * pixels * 7 / 10, pixels * 117 / 100);
    };
}

TEST(ResultSizingTest, TheFontIsTheLargestThatFitsItsBox) {
    // "NOT VALID" with "⚠ ▲" beside it, about 13 characters, in a band of 1256 x 270.
    const int pixels = zelapp::fittedPixelSize(QSize(1256, 270), linear(13), 6, 2000);
    EXPECT_EQ(pixels, 138);
    EXPECT_LE(13 * pixels * 7 / 10, 1256);
    EXPECT_GT(13 * (pixels + 1) * 7 / 10, 1256);
    // Capitals are about 0.73 of the pixel size: 100 pixels tall at 1280 x 1024, over 80.
    EXPECT_GE(pixels * 73 / 100, 80);
    // The height bounds a wide box.
    EXPECT_EQ(zelapp::fittedPixelSize(QSize(5000, 117), linear(4), 6, 2000), 100);
    // Nothing fits, or no box: the least; the most caps it.
    EXPECT_EQ(zelapp::fittedPixelSize(QSize(3, 3), linear(4), 6, 2000), 6);
    EXPECT_EQ(zelapp::fittedPixelSize(QSize(), linear(4), 6, 2000), 6);
    EXPECT_EQ(zelapp::fittedPixelSize(QSize(100000, 100000), linear(4), 6, 300), 300);
}

TEST(ResultSizingTest, TheGridGivesTheDigitsTheMostRoom) {
    // The digits of "-88.8888" in a cell's value box.
    const auto digits = [](QSize cell) {
        return zelapp::fittedPixelSize(zelapp::tileParts(cell, 6).value.size(), linear(8), 6, 2000);
    };
    // Eight characteristics in the tiles' share of a maximised 1280 x 1024 window.
    const QSize area(1264, 450);
    const TileGrid grid = zelapp::tileGrid(8, area, 6, digits);
    EXPECT_EQ(grid, (TileGrid{3, 3}));
    const auto cells = zelapp::tileRects(grid, area, 6, 8);
    ASSERT_EQ(cells.size(), 8u);
    // Digits (0.73 of the pixel size) at least 40 pixels tall.
    EXPECT_GE(digits(cells[0].size()) * 73 / 100, 40);
    // One tile takes the whole area; a wide area puts tiles side by side.
    EXPECT_EQ(zelapp::tileGrid(1, area, 6, digits), (TileGrid{1, 1}));
    EXPECT_EQ(zelapp::tileGrid(2, QSize(1200, 200), 6, digits), (TileGrid{2, 1}));
    EXPECT_EQ(zelapp::tileGrid(0, area, 6, digits), (TileGrid{0, 0}));
    // No grid leaves a whole row empty: 5 tiles never take 4 x 2.
    for (int tiles = 1; tiles <= 32; ++tiles) {
        const TileGrid g = zelapp::tileGrid(tiles, area, 6, digits);
        EXPECT_GE(g.columns * g.rows, tiles);
        EXPECT_LT(g.columns * (g.rows - 1), tiles);
    }
}

TEST(ResultSizingTest, CellsAndTilePartsStayInsideTheirArea) {
    const QSize area(1000, 400);
    const auto cells = zelapp::tileRects({3, 2}, area, 6, 5);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0], QRect(0, 0, 329, 197));
    EXPECT_EQ(cells[4], QRect(335, 203, 329, 197));
    for (const QRect &cell : cells) {
        EXPECT_TRUE(QRect(QPoint(), area).contains(cell));
    }
    const zelapp::TileParts parts = zelapp::tileParts(QSize(329, 197), 6);
    EXPECT_EQ(parts.caption, QRect(6, 6, 317, 37));
    EXPECT_EQ(parts.value, QRect(6, 43, 317, 95));
    EXPECT_EQ(parts.bar, QRect(6, 138, 317, 16));
    EXPECT_EQ(parts.mark, QRect(6, 154, 317, 37));
    // A small tile keeps its digits and leaves the bar out: too low, or too narrow.
    EXPECT_TRUE(zelapp::tileParts(QSize(329, 60), 6).bar.isEmpty());
    EXPECT_EQ(zelapp::tileParts(QSize(329, 60), 6).value.height(), 28);
    EXPECT_TRUE(
        zelapp::tileParts(QSize(zelapp::kLeastToleranceBarWidth + 11, 197), 6).bar.isEmpty());
    EXPECT_FALSE(
        zelapp::tileParts(QSize(zelapp::kLeastToleranceBarWidth + 12, 197), 6).bar.isEmpty());
    // A cell smaller than its margins has empty parts, never negative ones.
    const zelapp::TileParts tiny = zelapp::tileParts(QSize(8, 8), 6);
    EXPECT_TRUE(tiny.value.isEmpty());
    EXPECT_TRUE(tiny.bar.isEmpty());
    EXPECT_GE(tiny.value.width(), 0);
}

}  // namespace
