// The text comparisons the accuracy figures rest on.
#include "ocrengine/samples/TextSamples.h"

#include <gtest/gtest.h>

namespace {

struct DistanceCase {
    const char* a;
    const char* b;
    int whole;      // editDistance(a, b)
    int substring;  // substringEditDistance(a, b)
};

TEST(TextScoring, EditDistancesOverCodePoints)
{
    const DistanceCase cases[] = {
        {"", "", 0, 0},
        {"", "abc", 3, 0},
        {"abc", "", 3, 3},
        {"平面図", "平面図", 0, 0},
        {"平面図", "平面画", 1, 1},
        {"GL+1,200", "GL+1200", 1, 1},
        {"居間", "1F 居間 台所", 6, 0},           // found inside a longer line
        {"居間", "1F 居問 台所", 7, 1},
        {"φ100", "$100 @200", 6, 1},
        {"A\U0001F600B", "AB", 1, 1},           // an emoji is one code point
    };
    for (const DistanceCase& c : cases) {
        const QString a = QString::fromUtf8(c.a), b = QString::fromUtf8(c.b);
        EXPECT_EQ(editDistance(a, b), c.whole) << c.a << " / " << c.b;
        EXPECT_EQ(substringEditDistance(a, b), c.substring) << c.a << " / " << c.b;
    }
}

TEST(TextScoring, ComparableTextFoldsWidthAndDropsWhiteSpace)
{
    EXPECT_EQ(comparableText(QString::fromUtf8("ＧＬ＋１，２００")), QStringLiteral("GL+1,200"));
    EXPECT_EQ(comparableText(QString::fromUtf8(" 外壁：ALC板\tt=100 ")), QString::fromUtf8("外壁:ALC板t=100"));
}

}  // namespace
