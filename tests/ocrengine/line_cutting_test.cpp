// Cutting text blocks into the lines the recogniser reads.
#include "ocrengine/LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A block of filled squares standing for glyphs: (left, top, size) each.
TextBlock blockOf(const std::vector<std::array<int, 3>>& glyphs)
{
    TextBlock b{1 << 30, 1 << 30, 0, 0, 0, {}, {}};
    for (const auto& [l, t, s] : glyphs)
        for (int y = t; y < t + s; ++y)
            for (int x = l; x < l + s; ++x) {
                b.xs.push_back(x);
                b.ys.push_back(y);
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x);
                b.bottom = std::max(b.bottom, y);
            }
    b.charSize = 20;
    return b;
}

std::vector<std::pair<int, int>> spans(const std::vector<LinePiece>& pieces)
{
    std::vector<std::pair<int, int>> out;
    for (const LinePiece& p : pieces)
        out.emplace_back(*std::min_element(p.xs.begin(), p.xs.end()), *std::min_element(p.ys.begin(), p.ys.end()));
    std::sort(out.begin(), out.end(), [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    return out;
}

TEST(LineCutting, SeparatesRowsAndTextsSideBySide)
{
    struct Case {
        const char* name;
        std::vector<std::array<int, 3>> glyphs;
        std::vector<std::pair<int, int>> pieces;  // left, top of each piece
    };
    const Case cases[] = {
        {"one line, narrow gaps", {{0, 0, 20}, {24, 0, 20}, {48, 0, 20}}, {{0, 0}}},
        {"a word space stays", {{0, 0, 20}, {24, 0, 20}, {54, 0, 20}}, {{0, 0}}},
        {"a blank a height wide stays", {{0, 0, 20}, {24, 0, 20}, {64, 0, 20}}, {{0, 0}}},
        {"a TEXT 1.5 heights away", {{0, 0, 20}, {24, 0, 20}, {74, 0, 20}, {98, 0, 20}}, {{0, 0}, {74, 0}}},
        {"two rows", {{0, 0, 20}, {24, 0, 20}, {0, 30, 20}, {24, 30, 20}}, {{0, 0}, {0, 30}}},
        {"smaller text beside", {{0, 0, 24}, {28, 0, 24}, {60, 12, 12}, {75, 12, 12}, {90, 12, 12}},
         {{0, 0}, {60, 12}}},
        {"a thin stroke joins its row", {{0, 0, 20}, {24, 0, 20}, {48, 23, 3}}, {{0, 0}}},
        {"a mark after text stays with it", {{0, 0, 20}, {24, 0, 20}, {48, 17, 3}}, {{0, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spans(cutLines(blockOf(c.glyphs), 0)), c.pieces) << c.name;
}

TEST(LineCutting, ReadsTurnedBlocksAcrossTheirOwnDirection)
{
    // The first case turned a quarter: a column of three glyphs read at 90 degrees is one line.
    const std::vector<LinePiece> turned = cutLines(blockOf({{0, 0, 20}, {0, 24, 20}, {0, 48, 20}}), 90);
    ASSERT_EQ(turned.size(), 1u);
    EXPECT_EQ(turned[0].xs.size(), 3u * 400u);
    EXPECT_EQ(turned[0].angleDeg, 90);
}

TEST(LineCutting, LaysAColumnOutAsARow)
{
    InkImage ink;
    ink.width = 40;
    ink.height = 120;
    ink.ink.assign(size_t(ink.width * ink.height), 0);
    TextLayout layout;
    // Three glyphs 20 high, 30 apart, and a dash in the middle of a fourth cell.
    layout.blocks.push_back(blockOf({{10, 0, 20}, {10, 30, 20}, {10, 60, 20}, {10, 99, 2}}));
    for (size_t i = 0; i < layout.blocks[0].xs.size(); ++i)
        ink.ink[size_t(layout.blocks[0].ys[i] * ink.width + layout.blocks[0].xs[i])] = 255;
    layout.blockOf.assign(ink.ink.size(), -1);
    std::vector<int> xs, ys;
    const InkImage row = columnAsRow(ink, layout, 0, xs, ys);
    ASSERT_EQ(xs.size(), layout.blocks[0].xs.size());
    EXPECT_GT(row.width, 4 * 20);
    EXPECT_LT(row.height, 5 * 20 / 2);
    // Left to right in the row as top to bottom in the column; the dash mid-height.
    const int dashX = *std::max_element(xs.begin(), xs.end());
    EXPECT_GT(dashX, 3 * 20);
    const int glyphTop = *std::min_element(ys.begin(), ys.end());
    for (size_t i = 0; i < xs.size(); ++i)
        if (xs[i] >= dashX - 1)
            EXPECT_GT(ys[i], glyphTop + 5);
    // A single glyph is not a column.
    layout.blocks[0] = blockOf({{10, 0, 20}});
    EXPECT_EQ(columnAsRow(ink, layout, 0, xs, ys).width, 0);
}

}  // namespace
