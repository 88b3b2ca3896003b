#include "cad/RowDisplay.h"
#include "cad/RowPreview.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(RowDisplay, ArrowGeometryFollowsTheDrawingAreaWidth) {
    // SCREENSIZE 1600 x 900, ratio 0.05: L = 80, S = 40, tip at the centre.
    EXPECT_EQ(arrowTriangle(1600, 900, 0.05, {}), (QList<QPoint>{{800, 450}, {720, 410}, {720, 490}}));
    EXPECT_EQ(arrowTriangle(1001, 601, 0.05, {7, 3}), (QList<QPoint>{{507, 303}, {457, 278}, {457, 328}}))
        << "L and S truncated, centre by integer division, then the offset";
}

TEST(RowPreview, CornersAreEightStrictFields) {
    EXPECT_EQ(previewCorners("1,2,3,4,5,6,7,8"), (std::array<int, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(previewCorners("1,x,3,4,5,6,7,2.5"), (std::array<int, 8>{1, -1, 3, 4, 5, 6, 7, -1}));
    EXPECT_FALSE(previewCorners("1,2,3,4,5,6,7"));
    EXPECT_FALSE(previewCorners("1,2,3,4,5,6,7,8,9"));
    EXPECT_FALSE(previewCorners(""));
}

namespace {
const QColor kLine(0, 255, 0);
const QRgb kGround = qRgb(90, 90, 90);

QImage ground(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kGround);
    return image;
}
}  // namespace

TEST(RowPreview, CutOutHasTheOutlineTheMarkAndAWhiteMarginBeyondTheSource) {
    // Corners 1 (30,20), 2 (70,20), 3 (70,35), 4 (30,35) in a 100 x 60 image.
    const auto out = cutOutPreview(ground(100, 60), {30, 20, 70, 20, 70, 35, 30, 35}, kLine);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->size(), QSize(40 + 40, 15 + 40));
    EXPECT_EQ(out->pixel(20, 20), kLine.rgb()) << "corner 1 on the outline";
    EXPECT_EQ(out->pixel(60, 35), kLine.rgb()) << "corner 3";
    EXPECT_EQ(out->pixel(40, 20), kLine.rgb()) << "top edge";
    EXPECT_EQ(out->pixel(40, 27), kGround) << "inside the line";
    // The mark around (30, 27), the middle of corner 1 to corner 4 (truncated).
    EXPECT_EQ(out->pixel(20, 27), kLine.rgb());
    EXPECT_EQ(out->pixel(21, 26), qRgb(255, 0, 0));
    EXPECT_EQ(out->pixel(21, 28), qRgb(255, 0, 0));
    EXPECT_EQ(out->pixel(0, 0), kGround) << "a margin inside the source keeps the source";

    // Near the image's edge the margin reaches beyond it and stays white.
    const auto edge = cutOutPreview(ground(100, 60), {2, 3, 40, 3, 40, 12, 2, 12}, kLine);
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->size(), QSize(38 + 40, 9 + 40));
    EXPECT_EQ(edge->pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(edge->pixel(17, 30), qRgb(255, 255, 255));
    EXPECT_EQ(edge->pixel(18, 30), kGround);
    EXPECT_EQ(edge->pixel(20, 20), kLine.rgb()) << "corner 1 at (2, 3)";
}

TEST(RowPreview, NonIntegerCornerWidensTheCutOutAndFarCornersAreRefused) {
    const auto wide = cutOutPreview(ground(100, 60), {-1, 20, 70, 20, 70, 35, 30, 35}, kLine);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->width(), 71 + 40);
    EXPECT_FALSE(cutOutPreview(ground(100, 60), {30, 20, 900000000, 20, 70, 35, 30, 35}, kLine));
}

TEST(RowPreview, FromTheFileOrNothing) {
    QTemporaryDir dir;
    const QString png = dir.filePath("source.png");
    EXPECT_FALSE(rowPreview(png, "30,20,70,20,70,35,30,35", kLine)) << "no file";
    ASSERT_TRUE(ground(100, 60).save(png));
    EXPECT_FALSE(rowPreview(png, "30,20,70,20,70,35", kLine)) << "not eight fields";
    const auto out = rowPreview(png, "30,20,70,20,70,35,30,35", kLine);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pixel(20, 20), kLine.rgb());
}
