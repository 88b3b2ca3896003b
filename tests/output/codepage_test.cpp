#include "output/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, RoundTripsJapaneseAndSubstitutesTheRest) {
    struct Case { QString text; QByteArray cp932; };
    const Case cases[] = {
        {"ABC", "ABC"},
        {QString::fromUtf8("平面図"), "\x95\xbd\x96\xca\x90\x7d"},
        {QString::fromUtf8("\u2460"), "\x87\x40"},
        {QString::fromUtf8("a\u00e9b"), "a?b"},
        {QString::fromUtf8("\U0001F600x"), "?x"},  // one "?" per code point
        {QString(QChar(0xD800)) + "y", "?y"},      // a lone surrogate
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCp932(c.text), c.cp932) << c.text.toStdString();
    }
    EXPECT_EQ(fromCp932("\x95\xbd\x96\xca\x90\x7d"), QString::fromUtf8("平面図"));
    EXPECT_EQ(fromCp932("A\xff" "B"), QString::fromUtf8("A\uFFFDB"));
}
