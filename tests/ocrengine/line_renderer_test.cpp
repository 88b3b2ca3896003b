// Rendered training lines: as the recogniser will see them, reproducible, in every style.
#include "ocrengine/training/LineRenderer.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class LineRendererTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char arg0[] = "line_renderer_test";
        static char* argv[] = {arg0, nullptr};
        if (!QGuiApplication::instance())
            new QGuiApplication(argc, argv);
    }
    LineRendererData load(LineSet set)
    {
        LineRendererData data;
        QString error;
        EXPECT_TRUE(loadRendererData(MIRTEX_SOURCE_DIR "/ocrengine/training", "/usr/share/librecad/fonts", set, data,
                                     &error))
            << error.toStdString();
        return data;
    }
};

// Share of ink pixels that are corners of a 2x2 square of ink: none in 1-pixel strokes.
double solidShare(const QImage& scene)
{
    const QRgb bg = scene.pixel(0, 0);
    auto ink = [&](int x, int y) { return scene.pixel(x, y) != bg; };
    int inked = 0, solid = 0;
    for (int y = 0; y + 1 < scene.height(); ++y)
        for (int x = 0; x + 1 < scene.width(); ++x)
            if (ink(x, y)) {
                ++inked;
                solid += ink(x + 1, y) && ink(x, y + 1) && ink(x + 1, y + 1) ? 1 : 0;
            }
    return inked ? double(solid) / inked : 1;
}

TEST_F(LineRendererTest, LinesAreRecogniserViewsOfTheirText)
{
    LineRenderer renderer(load(LineSet::Train), LineSet::Train, 7);
    QStringList styles;
    for (int i = 0; i < 40; ++i) {
        const LineSample s = renderer.next();
        ASSERT_EQ(s.height, 32);
        ASSERT_GT(s.width, 0);
        ASSERT_EQ(s.pixels.size(), size_t(s.width) * 32u);
        EXPECT_FALSE(s.text.trimmed().isEmpty());
        EXPECT_GE(s.size, 8);
        // Dark lettering on a light view, whatever the screen's colours were
        // (grey ACI 8 on black is the faintest; hatching darkens the background).
        std::vector<uint8_t> sorted = s.pixels;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_GT(sorted[sorted.size() / 2], 128) << s.text.toStdString();
        EXPECT_GT(sorted[sorted.size() / 2] - sorted.front(), 60) << s.text.toStdString();
        styles.append(s.style);
    }
    for (const char* style : {"stroke", "regular", "thin"})
        EXPECT_TRUE(styles.contains(style)) << style;
}

TEST_F(LineRendererTest, SameSeedSameLines)
{
    const LineRendererData data = load(LineSet::Train);
    LineRenderer a(data, LineSet::Train, 11), b(data, LineSet::Train, 11), c(data, LineSet::Train, 12);
    bool differs = false;
    for (int i = 0; i < 5; ++i) {
        const LineSample x = a.next(), y = b.next(), z = c.next();
        EXPECT_EQ(x.text, y.text);
        EXPECT_EQ(x.pixels, y.pixels);
        differs = differs || x.text != z.text;
    }
    EXPECT_TRUE(differs);
}

TEST_F(LineRendererTest, StrokeLetteringIsDrawnWithOnePixelLines)
{
    LineRenderer renderer(load(LineSet::Train), LineSet::Train, 3);
    const LineSample strokes = renderer.render("φ100 基礎", true, 24, false);
    const LineSample face = renderer.render("φ100 基礎", false, 24, false);
    ASSERT_GT(strokes.width, 0);
    ASSERT_GT(face.width, 0);
    EXPECT_LT(solidShare(strokes.scene), 0.05);
    EXPECT_GT(solidShare(face.scene), 0.2);
}

TEST_F(LineRendererTest, HeldOutSetsDrawOnlyTheirOwnDesign)
{
    LineRenderer stroke(load(LineSet::HeldOutStroke), LineSet::HeldOutStroke, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(stroke.next().style, "stroke");
    if (!missingFaces(LineSet::HeldOutFace).isEmpty())
        GTEST_SKIP() << "IPA Mincho not installed";
    LineRenderer face(load(LineSet::HeldOutFace), LineSet::HeldOutFace, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(face.next().style, "stroke");
}

}  // namespace
