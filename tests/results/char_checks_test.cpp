#include "results/CharChecks.h"

#include <QList>
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
        {QString::fromUtf8("\uff5e"), false},           // full-width tilde
        {QString::fromUtf8("\u301c"), true},            // wave dash comes back as another character
        {QString(QChar(0xDC00)), true},                 // a lone surrogate
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
    // A surrogate pair counts as one character and does not shift the rest.
    EXPECT_EQ(offendingSjisChars(QString::fromUtf8("\U0001F600A\u00e9")), QString::fromUtf8("\U0001F600\u00e9"));
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

    struct Case { int current; QList<int> flagged; int expect; };
    const Case cases[] = {{1, {1, 3}, 3}, {3, {1, 3}, 1}, {5, {1, 3}, 1}, {2, {2, 4}, 4}, {4, {2, 4}, 2}};
    for (const auto& c : cases) {
        for (int r = 1; r <= 5; ++r) grid.setCell(1, r, c.flagged.contains(r) ? QString::fromUtf8("\u00e9") : "ok");
        grid.setCurrent(1, c.current);
        EXPECT_EQ(findNextFlaggedRow(grid), c.expect) << "current " << c.current;
    }
    TGridModel headerOnly(9, 1);
    EXPECT_EQ(findNextFlaggedRow(headerOnly), -1);
}
