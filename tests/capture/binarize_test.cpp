#include "capture/Binarize.h"

#include <gtest/gtest.h>

namespace {
QImage filled(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return img;
}
int grey(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    return (qRed(p) + qGreen(p) + qBlue(p)) / 3;
}
}  // namespace

TEST(Binarize, TwoLevelsSplitAtTheLowerOne) {
    QImage img = filled(20, 10, QColor(30, 30, 30));
    for (int x = 5; x < 9; ++x)
        for (int y = 2; y < 7; ++y) img.setPixelColor(x, y, QColor(200, 220, 240));
    EXPECT_EQ(otsuThreshold(img), 30);
    binarizeBitmap(img);
    EXPECT_EQ(img.format(), QImage::Format_RGB888);
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(6, 3), qRgb(255, 255, 255));
}

TEST(Binarize, UniformImages) {
    struct Case { int level; QRgb result; };
    for (const Case c : {Case{0, qRgb(0, 0, 0)}, Case{1, qRgb(255, 255, 255)}, Case{128, qRgb(255, 255, 255)}}) {
        QImage img = filled(7, 3, QColor(c.level, c.level, c.level));
        EXPECT_EQ(otsuThreshold(img), 0) << c.level;
        binarizeBitmap(img);
        EXPECT_EQ(img.pixel(3, 1), c.result) << c.level;
    }
}

TEST(Binarize, GreyIsTheTruncatedMeanOfTheChannels) {
    QImage img(2, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, QColor(31, 20, 10));  // 61 div 3 = 20
    img.setPixelColor(1, 0, QColor(30, 20, 10));  // 60 div 3 = 20
    EXPECT_EQ(grey(img, 0, 0), 20);
    EXPECT_EQ(otsuThreshold(img), 0) << "one grey level only";
}

TEST(Binarize, EmptyImageIsLeftAlone) {
    QImage none;
    EXPECT_EQ(otsuThreshold(none), 0);
    binarizeBitmap(none);
    EXPECT_TRUE(none.isNull());
    QImage zero(0, 5, QImage::Format_RGB888);
    EXPECT_EQ(otsuThreshold(zero), 0);
}

TEST(Binarize, OtherFormatsAreConverted) {
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(qRgb(10, 10, 10));
    img.setPixel(1, 1, qRgb(250, 250, 250));
    binarizeBitmap(img);
    EXPECT_EQ(img.format(), QImage::Format_RGB888);
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(Binarize, TruncationDecidesTheSideOfABorderPixel) {
    // Grey levels 20 and 21; (32, 20, 10) is 62 div 3 = 20 and must fall black,
    // although its mean rounds to 21.
    QImage img(3, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, QColor(21, 21, 21));
    img.setPixelColor(1, 0, QColor(32, 20, 10));
    img.setPixelColor(2, 0, QColor(20, 20, 20));
    EXPECT_EQ(otsuThreshold(img), 20);
    binarizeBitmap(img);
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(2, 0), qRgb(0, 0, 0));
}

TEST(Binarize, EqualSplitsKeepTheSmallerThreshold) {
    // Levels 0, 10, 20 in equal numbers: splitting after 0 or after 10 gives the
    // same between-class variance.
    QImage img(3, 2, QImage::Format_RGB888);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) img.setPixelColor(x, y, QColor(10 * x, 10 * x, 10 * x));
    EXPECT_EQ(otsuThreshold(img), 0);
}

TEST(Binarize, RowPaddingIsNeverTouched) {
    QImage img(3, 2, QImage::Format_RGB888);  // 9 pixel bytes in rows of 12
    ASSERT_GT(img.bytesPerLine(), 9);
    for (int y = 0; y < 2; ++y) {
        uchar* row = img.scanLine(y);
        for (int i = 0; i < img.bytesPerLine(); ++i) row[i] = i < 9 ? uchar(40 * (i / 3) + 10) : 0xAB;
    }
    binarizeBitmap(img);
    for (int y = 0; y < 2; ++y) {
        const uchar* row = img.constScanLine(y);
        for (int i = 9; i < img.bytesPerLine(); ++i) EXPECT_EQ(row[i], 0xAB) << y << ":" << i;
        for (int i = 0; i < 9; ++i) EXPECT_TRUE(row[i] == 0 || row[i] == 255);
    }
}
