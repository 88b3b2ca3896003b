#include "imaging/ColorPalette.h"

#include <gtest/gtest.h>

TEST(AciPalette, RoundsHalvesToEven) {
    const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {24.0, 24},
                                            {23.999, 24}, {-0.5, 0}, {-1.5, -2}, {576.0, 576}};
    for (auto [x, want] : cases) EXPECT_EQ(AciPalette::roundHalfEven(x), want) << x;
}

TEST(AciPalette, CellNumbers) {
    struct Case { int column, row, aci; };
    const Case cases[] = {
        {0, 0, 18},  {1, 0, 28},  {23, 0, 248}, {0, 1, 16},  {0, 4, 10}, {0, 5, 11},
        {0, 9, 19},  {23, 9, 249}, {2, 4, 30},  {16, 6, 173},
        {0, 10, 1},  {8, 10, 9},  {9, 10, 0},  {23, 10, 0},
        {0, 11, 250}, {5, 11, 255}, {6, 11, 0}, {23, 11, 0},
        {24, 0, 0},  {-1, 0, 0},  {0, 12, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(AciPalette::aciInCell(c.column, c.row), c.aci) << c.column << "," << c.row;
}

TEST(AciPalette, NumberUnderTheMouse) {
    struct Case { double scale; int x, y, aci; };
    const Case cases[] = {
        // scale 1.0: 16-pixel cells
        {1.0, 0, 0, 18},     {1.0, 15, 15, 18},   {1.0, 16, 15, 28},   {1.0, 15, 16, 16},
        {1.0, 383, 159, 249}, {1.0, 40, 70, 30},
        {1.0, 143, 160, 9},  {1.0, 144, 160, 0},  {1.0, 150, 170, 0},  // row 10 column 9
        {1.0, 95, 191, 255}, {1.0, 96, 176, 0},   {1.0, 100, 180, 0},  // row 11 column 6
        {1.0, 384, 0, 0},    {1.0, 0, 192, 0},
        // scale 1.5: cells of 24 pixels
        {1.5, 23, 23, 18},   {1.5, 24, 23, 28},   {1.5, 23, 24, 16},
        {1.5, 215, 240, 9},  {1.5, 216, 240, 0},  {1.5, 143, 264, 255}, {1.5, 144, 264, 0},
        {1.5, 575, 239, 249}, {1.5, 576, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AciPalette::aciAtPoint(c.x, c.y, c.scale), c.aci) << c.scale << " at " << c.x << "," << c.y;
}

TEST(AciPalette, CellEdgesAndImageSizeAtTheScale) {
    EXPECT_EQ(AciPalette::imageSize(1.0), QSize(384, 192));
    EXPECT_EQ(AciPalette::imageSize(1.5), QSize(576, 288));
    EXPECT_EQ(AciPalette::imageSize(1.25), QSize(480, 240));
    EXPECT_EQ(AciPalette::cellRect(0, 0, 1.0), QRect(0, 0, 16, 16));
    EXPECT_EQ(AciPalette::cellRect(23, 11, 1.0), QRect(368, 176, 16, 16));
    // 16 * 1.0625 = 17: edges at 0, 17, 34; at 1.03125 the edges 16.5 and 33 round to 16 and 33
    EXPECT_EQ(AciPalette::cellRect(1, 0, 1.0625), QRect(17, 0, 17, 17));
    EXPECT_EQ(AciPalette::cellRect(1, 1, 1.03125), QRect(16, 16, 17, 17));
}

TEST(AciPalette, PaintedCellsHoldTheirColourInsideABlackOutline) {
    const QImage img = AciPalette::paint(1.0, QColor(32, 32, 32));
    ASSERT_EQ(img.size(), QSize(384, 192));
    EXPECT_EQ(QColor(img.pixel(2 * 16 + 8, 4 * 16 + 8)), aciToRgb(30).toQColor());
    EXPECT_EQ(QColor(img.pixel(8, 8)), aciToRgb(18).toQColor());
    EXPECT_EQ(QColor(img.pixel(5 * 16 + 8, 11 * 16 + 8)), aciToRgb(255).toQColor());
    for (QPoint edge : {QPoint(32, 70), QPoint(47, 70), QPoint(40, 64), QPoint(40, 79)})
        EXPECT_EQ(QColor(img.pixel(edge)), QColor(Qt::black)) << edge.x() << "," << edge.y();
    EXPECT_EQ(QColor(img.pixel(9 * 16 + 8, 10 * 16 + 8)), QColor(32, 32, 32));  // empty cell
}

TEST(AciChoice, TextAndParsing) {
    EXPECT_EQ(aciChoiceText(30), QString(" 30 (255, 127, 0)"));
    EXPECT_EQ(aciChoiceText(7), QString(" 7 (255, 255, 255)"));
    struct Case { const char* text; int fallback; std::optional<int> want; };
    const Case cases[] = {
        {" 30 (255, 127, 0)", 3, 30},
        {"5", 3, std::nullopt},          // no bracket: no change
        {"5 (", 3, 5},
        {"  12  (x", 1, 12},
        {"abc (1, 2, 3)", 3, 3},         // not an integer: the fallback
        {"(", 30, 30},                   // empty before the bracket
        {"", 1, std::nullopt},
        {"   ", 1, std::nullopt},
        {"-7 (", 1, -7},
        {"300 (", 1, 300},
        {"1 (2 (3", 1, 1},
        {"99999999999 (", 30, 30},       // beyond an int
    };
    for (const Case& c : cases) EXPECT_EQ(parseAciChoice(QString::fromUtf8(c.text), c.fallback), c.want) << c.text;
}
