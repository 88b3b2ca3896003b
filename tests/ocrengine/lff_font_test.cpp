// The LibreCAD stroke font reader: Debian's own fonts and small fonts written here.
#include "ocrengine/strokefont/LffFont.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const std::string kFonts = "/usr/share/librecad/fonts/";

LffFont fromText(const std::string& text)
{
    LffFont f;
    std::string error;
    EXPECT_TRUE(f.loadFromText(text, &error)) << error;
    return f;
}

void expectPoint(const StrokePoint& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-6);
    EXPECT_NEAR(p.y, y, 1e-6);
}

TEST(LffFont, ReadsTheStrokesOfAKnownGlyph)
{
    LffFont standard;
    ASSERT_TRUE(standard.load(kFonts + "standard.lff"));
    // [0041] A: "0.8333,2.5;5.1666,2.5" and "0,0;3,9;6,0"
    const std::vector<StrokePolyline> a = standard.strokes(U'A');
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(a[0].size(), 2u);
    expectPoint(a[0][0], 0.8333, 2.5);
    expectPoint(a[0][1], 5.1666, 2.5);
    ASSERT_EQ(a[1].size(), 3u);
    expectPoint(a[1][0], 0, 0);
    expectPoint(a[1][1], 3, 9);
    expectPoint(a[1][2], 6, 0);
    EXPECT_DOUBLE_EQ(standard.letterSpacing(), 3);
    EXPECT_DOUBLE_EQ(standard.advance(U'A'), 9);

    LffFont kanji;
    ASSERT_TRUE(kanji.load(kFonts + "kst32b.lff"));
    for (char32_t c : {U'基', U'φ', U'㎜', U'ガ', U'±', U'×'})
        EXPECT_FALSE(kanji.strokes(c).empty()) << uint32_t(c);
    EXPECT_GT(kanji.glyphCount(), 6000u);
}

TEST(LffFont, ComposedGlyphIncludesTheOtherGlyph)
{
    LffFont standard;
    ASSERT_TRUE(standard.load(kFonts + "standard.lff"));
    // [00e9] é: "C0065" then its accent "1,8.5;3,10".
    const std::vector<StrokePolyline> e = standard.strokes(U'e'), eAcute = standard.strokes(U'é');
    ASSERT_EQ(eAcute.size(), e.size() + 1);
    for (size_t i = 0; i < e.size(); ++i)
        ASSERT_EQ(eAcute[i].size(), e[i].size());
    expectPoint(eAcute.back()[0], 1, 8.5);
    expectPoint(eAcute.back()[1], 3, 10);

    // Inclusions that loop end instead of recursing for ever; unknown ones add nothing.
    const LffFont loop = fromText("[0041] A\nC0042\n0,0;1,1\n\n[0042] B\nC0041\nC0099\n2,2;3,3\n");
    EXPECT_FALSE(loop.strokes(U'A').empty());
}

TEST(LffFont, ArcSegmentsFollowTheirBulge)
{
    // [0028] "(": "1,10;1,-1,A0.181818", an arc bulging left of the chord.
    LffFont standard;
    ASSERT_TRUE(standard.load(kFonts + "standard.lff"));
    const std::vector<StrokePolyline> paren = standard.strokes(U'(');
    ASSERT_EQ(paren.size(), 1u);
    ASSERT_GT(paren[0].size(), 3u);
    expectPoint(paren[0].front(), 1, 10);
    expectPoint(paren[0].back(), 1, -1);
    for (size_t i = 1; i + 1 < paren[0].size(); ++i)
        EXPECT_LT(paren[0][i].x, 1.0);

    // Bulge 1 is a half circle, counter-clockwise from the previous vertex: from
    // (0,0) to (2,0) it passes below, through (1,-1); bulge -1 passes above.
    const LffFont half = fromText("# LetterSpacing: 2\n[0061] a\n0,0;2,0,A1\n[0062] b\n0,0;2,0,A-1\n");
    EXPECT_DOUBLE_EQ(half.letterSpacing(), 2);
    for (const auto& [c, below] : {std::pair{U'a', true}, std::pair{U'b', false}}) {
        const StrokePolyline arc = half.strokes(c).at(0);
        double lowest = 0, highest = 0;
        for (const StrokePoint& p : arc) {
            EXPECT_NEAR(std::hypot(p.x - 1, p.y), 1.0, 1e-9);
            lowest = std::min(lowest, p.y);
            highest = std::max(highest, p.y);
        }
        EXPECT_NEAR(below ? lowest : -highest, -1.0, 0.02) << char(c);
    }
}

TEST(LffFont, LaysOutTextWithLatinFromTheLatinFont)
{
    const LffFont big = fromText("[0041] A\n0,0;4,0\n[57fa] 基\n0,0;9,9\n");
    const LffFont latin = fromText("# WordSpacing: 5\n[0041] A\n0,0;2,0\n");
    double width = 0;
    const std::vector<StrokePolyline> line = layoutStrokeText(big, &latin, U"A 基A", 1.0, &width);
    ASSERT_EQ(line.size(), 3u);
    expectPoint(line[0][1], 2, 0);                    // A from the Latin font
    expectPoint(line[1][0], 2 + 3 + 5, 0);            // advance 2 + 3, then the blank
    expectPoint(line[2][0], 2 + 3 + 5 + 9 + 3, 0);    // after 基
    EXPECT_DOUBLE_EQ(width, 2 + 3 + 5 + 9 + 3 + 2);
    // Without a Latin font the big font draws A too.
    EXPECT_EQ(layoutStrokeText(big, nullptr, U"A", 1.0, &width).at(0).at(1).x, 4);
}

TEST(LffFont, RefusesUnreadableFiles)
{
    LffFont f;
    std::string error;
    EXPECT_FALSE(f.load("/nonexistent.lff", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(f.loadFromText("# only a comment\n", &error));
    // A malformed polyline is skipped, the rest of the glyph kept.
    const LffFont g = fromText("[0041] A\n0,0;x,1\n0,0;1,1,A0.5\n");
    EXPECT_EQ(g.strokes(U'A').size(), 1u);
}

}  // namespace
