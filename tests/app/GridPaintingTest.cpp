#include "app/GridCellLook.h"
#include "app/ImageControl.h"

#include <gtest/gtest.h>

namespace {
constexpr GridHighlightColors kHighlight{0xff0078d7, 0xfffffffe};
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
}

TEST(GridCellLook, FixedCellsSelectionCurrentCellAndAlignment) {
    TGridModel grid(9, 6);
    grid.setCell(1, 5, QString::fromUtf8("A\u00e9B"));  // fails the displayable check
    grid.setCell(5, 3, QStringLiteral("?"));            // an attention character
    grid.setCurrent(2, 3);
    grid.setSelection({2, 2, 4, 3});
    ASSERT_EQ(grid.selection(), (TGridRect{2, 2, 4, 3}));

    struct Case {
        int col, row;
        bool focused;
        bool highlighted;
        Qt::Alignment alignment;
        bool fixedEdge, focusFrame;
    };
    const Case cases[] = {
        {0, 0, true, false, kCentre, true, false},   // corner
        {1, 0, true, false, kCentre, true, false},   // header of the text column
        {8, 0, true, false, kCentre, true, false},
        {0, 2, true, false, kRight, true, false},    // row number beside the selection
        {1, 2, true, false, kLeft, false, false},    // text column left of the selection
        {1, 5, true, false, kLeft, false, false},    // flagged content stays black
        {2, 2, true, true, kRight, false, false},
        {2, 3, true, true, kRight, false, true},     // current cell, grid focused
        {2, 3, false, true, kRight, false, false},   // current cell, focus elsewhere
        {4, 3, true, true, kRight, false, false},    // far corner of the range
        {5, 3, true, false, kRight, false, false},   // right of the range, attention text
        {3, 4, true, false, kRight, false, false},   // below the range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.col << "," << c.row << " focused " << c.focused);
        const GridCellLook look = gridCellLook(grid, c.col, c.row, c.focused, kHighlight);
        EXPECT_EQ(look.background, c.highlighted ? kHighlight.background : kGridCellBackground);
        EXPECT_EQ(look.text, c.highlighted ? kHighlight.text : kGridCellText);
        EXPECT_EQ(look.alignment, c.alignment);
        EXPECT_EQ(look.fixedEdge, c.fixedEdge);
        EXPECT_EQ(look.focusFrame, c.focusFrame);
    }
}

TEST(GridCellLook, PlainCellsAreBlackWithWhiteText) {
    EXPECT_EQ(kGridCellBackground, 0xff000000u);
    EXPECT_EQ(kGridCellText, 0xffffffffu);
    TGridModel grid(9, 3);
    grid.setCurrent(1, 1);
    const GridCellLook current = gridCellLook(grid, 1, 1, false, kHighlight);
    EXPECT_EQ(current.background, kHighlight.background);  // a one-cell selection is highlighted
    const GridCellLook other = gridCellLook(grid, 1, 2, false, kHighlight);
    EXPECT_EQ(other.background, kGridCellBackground);
}

TEST(ImageFit, ScalesToFitKeepingProportionsCentred) {
    struct Case { QSize picture, box; QRect expected; };
    const Case cases[] = {
        {{100, 50}, {596, 136}, {162, 0, 272, 136}},  // wide box
        {{50, 100}, {200, 100}, {75, 0, 50, 100}},
        {{400, 100}, {200, 100}, {0, 25, 200, 50}},   // shrinks
        {{10, 10}, {100, 50}, {25, 0, 50, 50}},       // grows
        {{0, 0}, {100, 50}, {}},
        {{10, 10}, {0, 50}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(fitCentred(c.picture, c.box), c.expected) << c.picture.width();
}

TEST(ImageFit, TriangleFillsTheLeftAndPointsRight) {
    const QColor green(32, 192, 32);
    const QImage tri = rightTriangleImage({14, 16}, green);
    ASSERT_EQ(tri.size(), QSize(14, 16));
    EXPECT_EQ(tri.pixelColor(2, 8), green);     // broad end on the left
    EXPECT_EQ(tri.pixelColor(10, 8), green);    // towards the tip, on the middle line
    EXPECT_EQ(tri.pixelColor(13, 1).alpha(), 0);
    EXPECT_EQ(tri.pixelColor(13, 14).alpha(), 0);
    EXPECT_EQ(tri.pixelColor(10, 2).alpha(), 0);
}
