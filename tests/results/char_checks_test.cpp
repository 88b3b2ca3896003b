#include "results/CharChecks.h"

#include <gtest/gtest.h>

TEST(CharChecks, DisplayableCharacters) {
    struct Case { QString text; bool flagged; };
    const Case cases[] = {
        {"", false},
        {"平面図 S=1/100 ＡＢＣ１２３ かなカナ", false},
        {QString::fromUtf8("\u2460"), false},           // circled one is in CP932
        {QString::fromUtf8("W900\u00d7H2100"), false},  // the multiplication sign too
        {"?", false},
        {QString::fromUtf8("\u24d0"), true},            // circled small a
        {QString::fromUtf8("caf\u00e9"), true},
        {QString::fromUtf8("OK \U0001F600"), true},
        {QString::fromUtf8("\u03c6100"), false},        // Greek phi is in CP932
    };
    for (const auto& c : cases) EXPECT_EQ(checkSjisText(c.text), c.flagged) << c.text.toStdString();
}

TEST(CharChecks, AttentionCharacters) {
    EXPECT_TRUE(checkAttnText("A?B", " ? "));
    EXPECT_FALSE(checkAttnText("AB", " ? "));
    EXPECT_TRUE(checkAttnText("A#B", "?#"));
    EXPECT_FALSE(checkAttnText("a", "A"));  // case-sensitive
    EXPECT_TRUE(checkAttnText(QString::fromUtf8("\u00e9"), ""));
    EXPECT_FALSE(checkAttnText("AB", "  "));
}

TEST(CharChecks, OffendingCharacters) {
    EXPECT_EQ(offendingSjisChars(QString::fromUtf8("A\u00e9B")), QString::fromUtf8("\u00e9"));
    EXPECT_EQ(offendingSjisChars(QString::fromUtf8("\u00e9x\u00e9")), QString::fromUtf8("\u00e9\u00e9"));
    EXPECT_EQ(offendingSjisChars("plain"), "");
}

TEST(CharChecks, FindNextFlaggedRowWraps) {
    TGridModel grid(9, 6);  // data rows 1..5
    grid.setCell(1, 2, QString::fromUtf8("caf\u00e9"));
    grid.setCurrent(1, 5);
    EXPECT_EQ(findNextFlaggedRow(grid), 2);
    grid.setCurrent(1, 2);
    EXPECT_EQ(findNextFlaggedRow(grid), 2) << "the only flagged row is found again";
    grid.setCell(1, 4, QString::fromUtf8("\u24d0"));
    EXPECT_EQ(findNextFlaggedRow(grid), 4);
    grid.setCell(1, 2, "ok");
    grid.setCell(1, 4, "ok");
    EXPECT_EQ(findNextFlaggedRow(grid), -1);
}
