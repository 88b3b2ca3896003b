#include "capture/CropGeometryMath.h"
#include <gtest/gtest.h>
#include <cmath>

namespace {

const CadViewVars kView{100, 50, 40, 1000, 500};

struct CornerCase {
    const char* name;
    QPointF p1, p2;
};

class CropCornersTest : public ::testing::TestWithParam<CornerCase> {};

// The worked example, whatever order and diagonal the two corners come in.
TEST_P(CropCornersTest, SameRectangleAndOriginForEveryCornerOrder)
{
    const CornerCase& c = GetParam();
    const auto cut = computeCropCut(kView, c.p1, c.p2);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->pixels, QRect(350, 150, 250, 150));
    EXPECT_DOUBLE_EQ(cut->geometry.Scale, 0.2);
    EXPECT_DOUBLE_EQ(cut->geometry.OriginX, 20);
    EXPECT_DOUBLE_EQ(cut->geometry.OriginY, 60);
    EXPECT_EQ(cut->geometry.WidthPx, 250);
    EXPECT_EQ(cut->geometry.HeightPx, 150);
    EXPECT_EQ(cut->sizeText, QStringLiteral(" (50.0,30.0)/(250,150)=0.200000"));
}

INSTANTIATE_TEST_SUITE_P(Corners, CropCornersTest,
    ::testing::Values(CornerCase{"UpperLeftFirst", {20, 60}, {70, 30}},
                      CornerCase{"LowerRightFirst", {70, 30}, {20, 60}},
                      CornerCase{"LowerLeftFirst", {20, 30}, {70, 60}},
                      CornerCase{"UpperRightFirst", {70, 60}, {20, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

struct PixelCase {
    double offset;  // drawing units from the view centre
    int column;     // expected column: truncation toward zero, then + W div 2
    int row;        // expected row: H div 2 - truncation toward zero
};

class CropTruncationTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(CropTruncationTest, QuotientTruncatesTowardZeroOnBothSides)
{
    const PixelCase& c = GetParam();
    const double scale = viewScale(kView);
    EXPECT_EQ(pixelColumn(kView.centerX + c.offset, kView, scale), c.column);
    EXPECT_EQ(pixelRow(kView.centerY + c.offset, kView, scale), c.row);
}

INSTANTIATE_TEST_SUITE_P(Offsets, CropTruncationTest,
    ::testing::Values(PixelCase{-0.3, 499, 251}, PixelCase{0.3, 501, 249}, PixelCase{-0.1, 500, 250},
                      PixelCase{0.1, 500, 250}, PixelCase{0.0, 500, 250}, PixelCase{-30.0, 350, 400},
                      PixelCase{30.0, 650, 100}));

struct BadViewCase {
    const char* name;
    CadViewVars view;
    QPointF p2;
};

class CropBadViewTest : public ::testing::TestWithParam<BadViewCase> {};

TEST_P(CropBadViewTest, NoCut)
{
    EXPECT_FALSE(computeCropCut(GetParam().view, {20, 60}, GetParam().p2).has_value());
}

INSTANTIATE_TEST_SUITE_P(Views, CropBadViewTest,
    ::testing::Values(BadViewCase{"ZeroWidth", {100, 50, 40, 0, 500}, {70, 30}},
                      BadViewCase{"ZeroHeight", {100, 50, 40, 1000, 0}, {70, 30}},
                      BadViewCase{"NegativeHeight", {100, 50, 40, 1000, -5}, {70, 30}},
                      BadViewCase{"ZeroViewSize", {0, 50, 40, 1000, 500}, {70, 30}},
                      BadViewCase{"NanViewSize", {std::nan(""), 50, 40, 1000, 500}, {70, 30}},
                      BadViewCase{"CornerBeyondIntRange", {100, 50, 40, 1000, 500}, {1e300, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CropGeometryMath, SizeTextShowsAbsoluteSizes)
{
    // Drawing units come from the corners, so a reversed pick still shows positive sizes.
    const auto cut = computeCropCut(kView, {70.25, 30}, {20, 60.5});
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->sizeText, QString::asprintf(" (%.1f,%.1f)/(%d,%d)=%.6f", 50.25, 30.5,
                                               cut->pixels.width(), cut->pixels.height(), 0.2));
    EXPECT_GT(cut->pixels.width(), 0);
    EXPECT_GT(cut->pixels.height(), 0);
}

// Every pixel of the cut maps through the geometry back onto the drawing
// point the CAD draws there, within one pixel, for views of several shapes.
TEST(CropGeometryMath, GeometryMapsCutPixelsBackIntoTheDrawing)
{
    const CadViewVars views[] = {{100, 50, 40, 1000, 500}, {37.5, -12.25, 8000.5, 801, 603}, {2.5, 1e5, -3e4, 640, 480}};
    for (const CadViewVars& view : views) {
        const double s = viewScale(view);
        const QPointF a(view.centerX - 0.31 * view.screenW * s, view.centerY + 0.27 * view.screenH * s);
        const QPointF b(view.centerX + 0.22 * view.screenW * s, view.centerY - 0.19 * view.screenH * s);
        const auto cut = computeCropCut(view, b, a);
        ASSERT_TRUE(cut.has_value());
        for (const QPoint px : {QPoint(0, 0), QPoint(cut->pixels.width() - 1, 0),
                                QPoint(7, cut->pixels.height() - 1), QPoint(cut->pixels.width() / 2, 3)}) {
            const double gx = cut->geometry.OriginX + px.x() * s;
            const double gy = cut->geometry.OriginY - px.y() * s;
            // The continuous pixel position of that drawing point; halving an odd
            // drawing area in integers adds up to half a pixel.
            const double sx = view.screenW / 2.0 + (gx - view.centerX) / s;
            const double sy = view.screenH / 2.0 - (gy - view.centerY) / s;
            EXPECT_NEAR(sx, cut->pixels.x() + px.x(), 1.5) << px.x() << "," << px.y();
            EXPECT_NEAR(sy, cut->pixels.y() + px.y(), 1.5) << px.x() << "," << px.y();
        }
    }
}

struct ClipCase {
    QRect cut;
    QRect inside;
};

TEST(CropGeometryMath, ClipToAreaKeepsTheVisiblePart)
{
    const ClipCase cases[] = {
        {{10, 10, 20, 20}, {10, 10, 20, 20}},
        {{-5, -6, 20, 20}, {0, 0, 15, 14}},
        {{90, 95, 20, 20}, {90, 95, 10, 5}},
        {{200, 10, 5, 5}, {}},
    };
    for (const ClipCase& c : cases)
        EXPECT_EQ(clipToArea(c.cut, QSize(100, 100)), c.inside) << c.cut.x() << "," << c.cut.y();
}

// A source whose every pixel tells its own position.
QImage positionImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(10 + x, 20 + y, 200));
    return img;
}

struct CutCase {
    const char* name;
    QPoint sourceOrigin;
    QRect cut;
};

class CropCutImageTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CropCutImageTest, CopiesOverlapAndBlackensTheRest)
{
    const CutCase& c = GetParam();
    const QImage source = positionImage(40, 30);
    const QImage out = cutFromImage(source, c.sourceOrigin, c.cut);
    ASSERT_EQ(out.size(), c.cut.size());
    EXPECT_EQ(out.format(), QImage::Format_RGB888);
    const QRect sourceRect(c.sourceOrigin, source.size());
    int copied = 0;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QPoint area = c.cut.topLeft() + QPoint(x, y);
            const QRgb expected = sourceRect.contains(area) ? source.pixel(area - c.sourceOrigin) : qRgb(0, 0, 0);
            copied += sourceRect.contains(area);
            ASSERT_EQ(out.pixel(x, y) & 0xFFFFFF, expected & 0xFFFFFF) << x << "," << y;
        }
    EXPECT_EQ(copied, sourceRect.intersected(c.cut).width() * sourceRect.intersected(c.cut).height());
}

INSTANTIATE_TEST_SUITE_P(Cuts, CropCutImageTest,
    ::testing::Values(CutCase{"Inside", {0, 0}, {5, 4, 10, 8}},
                      CutCase{"OverUpperLeft", {0, 0}, {-3, -2, 8, 6}},
                      CutCase{"OverLowerRight", {0, 0}, {35, 26, 10, 10}},
                      CutCase{"SourceOffset", {100, 50}, {95, 48, 12, 9}},
                      CutCase{"Outside", {0, 0}, {50, 50, 4, 4}},
                      CutCase{"LargerThanSource", {0, 0}, {-2, -2, 44, 34}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CropGeometryMath, EmptySourceGivesBlackCut)
{
    const QImage out = cutFromImage(QImage(), QPoint(0, 0), QRect(0, 0, 3, 2));
    ASSERT_EQ(out.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(out.pixel(x, y) & 0xFFFFFF, 0u);
}

} // namespace
