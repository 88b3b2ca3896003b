#include "ocrengine/LineText.h"

#include <gtest/gtest.h>

namespace {

TEST(LineText, BlanksBetweenCjkGoOthersCollapse)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"シャ ッ タ ー\n", "シャッター"},
        {"平面図 S=1/100\n\n", "平面図 S=1/100"},
        {"  W900   H2100 ", "W900 H2100"},
        {"階 段\t室", "階段室"},
        {"ＧＬ ＋ 1200", "ＧＬ＋ 1200"},        // full-width forms count as CJK
        {"外壁 : ALC", "外壁 : ALC"},              // ASCII colon is not CJK
        {"寝室\u3000洋室", "寝室洋室"},            // ideographic space
        {"", ""},
        {" \n ", ""},
        {"A\xFF" "B", "AB"},                         // a stray byte is dropped
    };
    for (const auto& c : cases)
        EXPECT_EQ(cleanLineText(c.in), c.out) << c.in;
}

TEST(LineText, MarksAloneAreGraphics)
{
    for (const char* graphics : {"()", "／／／", "ーー", "< へ", "O 〇", "o", "|", "._,"})
        EXPECT_TRUE(looksLikeGraphics(graphics)) << graphics;
    for (const char* text : {"", " ", "0", "1", "(A)", "ー1", "φ", "GL-", "一階", "・A", "OK"})
        EXPECT_FALSE(looksLikeGraphics(text)) << text;
}

}  // namespace
