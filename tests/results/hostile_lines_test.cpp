#include "results/ResultReader.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The parser and the reader must survive any text: lines come from an engine and
// from files a user may have edited.
TEST(HostileLines, ParserFindsTheFourthBracketFromTheEnd) {
    const auto p = parseResultLine("12: a (b) : c: (1,2),(3,4),(5,6),(7,8)");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->text, "a (b) : c");
    EXPECT_EQ(p->cornerItems, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_FALSE(parseResultLine("0: x: (1,2),(3,4),(5,6)").has_value());
}

TEST(HostileLines, RandomLinesNeverCrashTheReader) {
    QRandomGenerator rng(1234);
    const QString alphabet = QString::fromUtf8("():, 0123456789-.e縦\t\r\n\u00e9\U0001F600");
    QStringList lines;
    for (int i = 0; i < 3000; ++i) {
        QString s;
        const int n = int(rng.bounded(60));
        for (int k = 0; k < n; ++k) s += alphabet[int(rng.bounded(alphabet.size()))];
        lines << s;
    }
    TGridModel grid(9, 5);
    setupResultHeader(grid);
    const CropGeometry g{0.25, 1e6, -1e6, 10, 10};
    QTemporaryDir dir;
    EXPECT_EQ(readResultSL(lines, g, 0.8, true, grid, [](const QString& s) { return int(s.size()); },
                           dir.filePath("MIRTEX.tsv")),
              lines.size());
    EXPECT_EQ(grid.RowCount(), lines.size() + 1);
    for (int r = 1; r < grid.RowCount(); ++r) {
        const QString angle = grid.cell(3, r);
        if (!angle.isEmpty()) {
            const double a = angle.toDouble();
            EXPECT_TRUE(a >= 0 && a < 360) << angle.toStdString();
        }
    }
}
