#include "results/ResultReader.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {
// 8 pixels per UTF-16 code unit stands in for the grid's font.
int fakeWidth(const QString& s) { return 8 * int(s.size()); }

struct Reader : ::testing::Test {
    TGridModel grid{9, 5};
    CropGeometry g;
    QTemporaryDir dir;
    QString exportPath = dir.filePath("MIRTEX.tsv");
    void SetUp() override { setupResultHeader(grid); }
    int read(const QStringList& lines, double txhsc = 1, bool degFix = false) {
        return readResultSL(lines, g, txhsc, degFix, grid, fakeWidth, exportPath);
    }
    QByteArray exported() const {
        QFile f(exportPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }
    QStringList row(int r) const {
        QStringList cells;
        for (int c = 0; c < 9; ++c) cells << grid.cell(c, r);
        return cells;
    }
};
}  // namespace

TEST_F(Reader, UprightWorkedExample) {
    g = {0.5, 100, 200, 0, 0};
    ASSERT_EQ(read({"0: ABC: (10,20),(110,20),(110,40),(10,40)"}, 0.8), 1);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(row(1), (QStringList{"1 ", "ABC", "8.000", "0.0", "105.000", "185.000",
                                   "105.000,190.000,155.000,190.000,155.000,180.000,105.000,180.000",
                                   "10,20,110,20,110,40,10,40", "50.00"}));
}

TEST_F(Reader, VerticalWorkedExample) {
    g = {1, 0, 0, 0, 0};
    ASSERT_EQ(read({"3: 縦書き: (10,10),(30,10),(30,100),(10,100)"}), 1);
    EXPECT_EQ(grid.cell(1, 1), "縦書き");
    EXPECT_EQ(grid.cell(3, 1), "270.0");
    EXPECT_EQ(grid.cell(4, 1), "20.000");
    EXPECT_EQ(grid.cell(5, 1), "-10.000");
    EXPECT_EQ(grid.cell(8, 1), "90.00");
    EXPECT_EQ(grid.cell(2, 1), "20.000");
    EXPECT_EQ(grid.cell(7, 1), "30,10,30,100,10,100,10,10");
    EXPECT_EQ(grid.cell(6, 1), "30.000,-10.000,30.000,-100.000,10.000,-100.000,10.000,-10.000");
}

TEST_F(Reader, OneCharacterIsNeverVertical) {
    g = {1, 0, 0, 0, 0};
    read({"3: 縦: (10,10),(30,10),(30,100),(10,100)"});
    EXPECT_EQ(grid.cell(3, 1), "0.0");
    EXPECT_EQ(grid.cell(4, 1), "10.000");
    EXPECT_EQ(grid.cell(5, 1), "-55.000");
    EXPECT_EQ(grid.cell(8, 1), "20.00");
    EXPECT_EQ(grid.cell(2, 1), "90.000");
}

TEST_F(Reader, VerticalThresholdIsOnePointFourTimesTheWidth) {
    g = {1, 0, 0, 0, 0};
    read({"0: 縦書: (0,0),(10,0),(10,14),(0,14)", "1: 縦書: (0,0),(10,0),(10,13),(0,13)"});
    EXPECT_EQ(grid.cell(3, 1), "270.0");
    EXPECT_EQ(grid.cell(3, 2), "0.0");
}

TEST_F(Reader, TextMayHoldColonsAndBrackets) {
    g = {1, 0, 0, 0, 0};
    read({"5: f(x): y: (0,0),(40,0),(40,10),(0,10)"});
    EXPECT_EQ(grid.cell(1, 1), "f(x): y");
    EXPECT_EQ(grid.cell(8, 1), "40.00");
}

TEST_F(Reader, AnglesAreMeasuredCounterClockwiseInEveryQuadrant) {
    g = {1, 0, 0, 0, 0};
    // Image y points down, drawing y up: a baseline rising to the right in the
    // drawing falls in pixel y.
    struct Case { const char* line; const char* angle; };
    const Case cases[] = {
        {"0: AB: (0,10),(10,0),(20,10),(10,20)", "45.0"},
        {"0: AB: (20,10),(10,0),(0,10),(10,20)", "135.0"},
        {"0: AB: (20,10),(10,20),(0,10),(10,0)", "225.0"},
        {"0: AB: (0,10),(10,20),(20,10),(10,0)", "315.0"},
        {"0: AB: (40,10),(0,10),(0,0),(40,0)", "180.0"},
    };
    for (const auto& c : cases) {
        read({c.line});
        EXPECT_EQ(grid.cell(3, 1), c.angle) << c.line;
    }
}

TEST(TextGeometry, DirectionCoversEveryQuadrantAndBothAxes) {
    struct Case { PointD a, b; double degrees; };
    const Case cases[] = {
        {{0, 0}, {1, 1}, 45},      {{0, 0}, {-1, 1}, 135},       {{0, 0}, {-1, -1}, 225},
        {{0, 0}, {1, -1}, 315},    {{0, 0}, {0, 5}, 90},         {{0, 0}, {0, -5}, 270},
        {{0, 0}, {0, 0}, 270},     {{0, 0}, {3, 0}, 0},          {{0, 0}, {-3, 0}, 180},
        {{0, 0}, {0.000009, 1}, 90}, {{0, 0}, {1, -0.000009}, 0}, {{0, 0}, {-2, 0}, 180},
        {{5, 5}, {5 + std::sqrt(3.0), 6}, 30},
    };
    for (const auto& c : cases) {
        const double got = radiansToDegrees(directionAtoB(c.a, c.b));
        EXPECT_NEAR(got, c.degrees, 1e-9) << c.b.x << "," << c.b.y;
        EXPECT_TRUE(got >= 0 && got < 360);
    }
    EXPECT_DOUBLE_EQ(distance({1, 1}, {4, 5}), 5.0);
}

TEST_F(Reader, SnapsToFiveDegreesOnlyWithDegFix) {
    struct Case { double deg; const char* snapped; };
    const Case cases[] = {{2.49, "0.0"}, {2.5, "5.0"}, {357.4, "355.0"}, {357.5, "0.0"},
                          {92.6, "95.0"}, {0, "0.0"}};
    for (const auto& c : cases) EXPECT_EQ(formatAngle(snapTo5Degrees(c.deg)), c.snapped) << c.deg;
    EXPECT_EQ(formatAngle(359.97), "0.0");
    EXPECT_EQ(formatAngle(359.94), "359.9");

    g = {1, 0, 0, 0, 0};
    // A baseline 100 long rising by 5 px: about 2.86 degrees.
    const QString tilted = "0: AB: (0,10),(100,5),(100,25),(0,30)";
    read({tilted}, 1, false);
    EXPECT_EQ(grid.cell(3, 1), "2.9");
    read({tilted}, 1, true);
    EXPECT_EQ(grid.cell(3, 1), "5.0");
}

TEST_F(Reader, EmptyListLeavesTheGridAndTheExportAlone) {
    grid.setCell(1, 1, "keep");
    const int widthBefore = grid.colWidth(1);
    {
        QFile earlier(exportPath);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier read\r\n");
    }
    EXPECT_EQ(read({}), 0);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.cell(1, 1), "keep");
    EXPECT_EQ(grid.colWidth(1), widthBefore);
    EXPECT_EQ(exported(), QByteArray("earlier read\r\n"));
}

TEST_F(Reader, EveryReadWritesTheExportOfTheRowsItRead) {
    g = {0.5, 100, 200, 300, 40};
    read({"0: AB: (10,20),(110,20),(110,40),(10,40)"});
    const QByteArray first = exported();
    EXPECT_EQ(first, QByteArray("0.50000000\t300,40\t100.00000000,200.00000000\r\n"
                                "AB\t10,20,110,20,110,40,10,40\t"
                                "105.000,190.000,155.000,190.000,155.000,180.000,105.000,180.000\r\n"));
    // A second read (the reload) replaces the file with its own rows.
    read({"0: C: (0,0),(10,0),(10,10),(0,10)", "1: D: (0,0),(10,0),(10,10),(0,10)"});
    const QList<QByteArray> lines = exported().split('\n');
    ASSERT_EQ(lines.size(), 4);  // three lines, each ended by CR LF
    EXPECT_TRUE(lines[1].startsWith("C\t"));
    EXPECT_TRUE(lines[2].startsWith("D\t"));
}

TEST_F(Reader, UnwritableExportThrowsAndKeepsTheRows) {
    g = {1, 0, 0, 0, 0};
    exportPath = dir.filePath("no-such-folder/MIRTEX.tsv");
    EXPECT_THROW(read({"0: kept: (0,0),(10,0),(10,10),(0,10)"}), std::runtime_error);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.cell(1, 1), "kept");
    EXPECT_EQ(grid.cell(8, 1), "10.00");
}

TEST_F(Reader, MalformedEntriesCountButFillOnlyWhatTheyCan) {
    g = {1, 0, 0, 0, 0};
    const QStringList lines = {
        "0: no corners at all",
        "1: three: (1,2),(3,4),(5,6)",
        "2: seven items: (1,2),(3,4),(5,6),(7)",
        "3: nine items: (1,2),(3,4),(5,6),(7,8,9)",
        "4: : (0,0),(10,0),(10,10),(0,10)",
        "5: words: (a,b),(c,d),(e,f),(g,h)",
        "6: huge: (1e308,1e308),(99999999999999999999,0),(-1e308,5),(0,1e400)",
        "",
        "(((((",
        "no colon (0,0),(10,0),(10,10),(0,10)",
    };
    ASSERT_EQ(read(lines), lines.size());
    EXPECT_EQ(grid.RowCount(), lines.size() + 1);
    for (int r = 1; r <= lines.size(); ++r) EXPECT_EQ(grid.cell(0, r), QString::number(r) + " ");
    EXPECT_EQ(grid.cell(1, 1), "");  // fewer than four "(": only the number (the cell held nothing)
    EXPECT_EQ(grid.cell(3, 1), "");
    EXPECT_EQ(grid.cell(1, 3), "seven items");  // wrong count: number and text
    EXPECT_EQ(grid.cell(3, 3), "");
    EXPECT_EQ(grid.cell(1, 4), "nine items");
    EXPECT_EQ(grid.cell(3, 4), "");
    EXPECT_EQ(grid.cell(1, 5), "");  // an empty text is still read
    EXPECT_EQ(grid.cell(3, 5), "0.0");
    EXPECT_EQ(grid.cell(7, 6), "0,0,0,0,0,0,0,0");  // non-numbers count as 0
    EXPECT_FALSE(grid.cell(3, 7).isEmpty());
    // Huge items: not 32-bit integers in pixels, still numbers in drawing units.
    const QStringList hugePixels = grid.cell(7, 7).split(',');
    ASSERT_EQ(hugePixels.size(), 8);
    EXPECT_EQ(hugePixels.count("0"), 7);
    EXPECT_EQ(hugePixels.count("5"), 1);
    EXPECT_TRUE(grid.cell(6, 7).contains("100000000000000000000.000")) << grid.cell(6, 7).toStdString();
    // Without a colon nothing is dropped as an index: the head less its last two characters.
    EXPECT_EQ(grid.cell(1, 10), "no colo");
    EXPECT_EQ(grid.cell(7, 10), "0,0,10,0,10,10,0,10");
}

TEST_F(Reader, MalformedRowsLoseTheirEarlierGeometryButNotTheirText) {
    g = {1, 0, 0, 0, 0};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c < 9; ++c) grid.setCell(c, r, "old");
    grid.setCurrent(2, 3);
    read({"0: none", "1: short: (1,2),(3,4),(5,6),(7)", "2: ok: (0,0),(10,0),(10,10),(0,10)"});
    // Without a corner list nothing more is written: the text cell keeps what it held.
    EXPECT_EQ(grid.cell(1, 1), "old");
    for (int c = 2; c < 9; ++c) EXPECT_EQ(grid.cell(c, 1), "") << c;
    EXPECT_EQ(grid.cell(1, 2), "short");
    for (int c = 2; c < 9; ++c) EXPECT_EQ(grid.cell(c, 2), "") << c;
    EXPECT_EQ(grid.cell(8, 3), "10.00");
    EXPECT_EQ(grid.Row(), 3) << "a read keeps the current cell";
    EXPECT_EQ(grid.Col(), 2);
}

TEST_F(Reader, AngleJustBelow360IsWrittenAsZero) {
    // Drawing dx 1000, dy -0.5: 359.971 degrees.
    g = {0.5, 0, 0, 0, 0};
    const QString line = "0: AB: (0,0),(2000,1),(2000,11),(0,10)";
    read({line}, 1, false);
    EXPECT_EQ(grid.cell(3, 1), "0.0");
    read({line}, 1, true);
    EXPECT_EQ(grid.cell(3, 1), "0.0");
}

TEST_F(Reader, ColumnWidthsFollowTheFont) {
    g = {1, 0, 0, 0, 0};
    read({"0: ABCDEFGHIJKLMNOPQRST: (0,0),(10,0),(10,10),(0,10)", "1: A: (0,0),(10,0),(10,10),(0,10)"});
    EXPECT_EQ(grid.colWidth(0), fakeWidth("0000000"));
    EXPECT_EQ(grid.colWidth(1), fakeWidth("ABCDEFGHIJKLMNOPQRST0000"));
    read({"0: A: (0,0),(10,0),(10,10),(0,10)"});
    EXPECT_EQ(grid.colWidth(1), fakeWidth("ABCDEFGHIJKLMNOPQRST0000")) << "column 1 only grows";
}

TEST_F(Reader, ResetAndHeaderLayout) {
    EXPECT_EQ(grid.ColCount(), 9);
    EXPECT_EQ(grid.RowCount(), 5);
    const QStringList headers = {"No.", "文字列", "文字高", "角度", "X 座標", "Y 座標", "", "", "文字列幅"};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(grid.cell(c, 0), headers[c]);
        EXPECT_EQ(grid.colWidth(c), (c == 6 || c == 7) ? 0 : 64) << c;
    }
    g = {1, 0, 0, 0, 0};
    read({"0: ABCDEFGHIJKLMNOPQRST: (0,0),(10,0),(10,10),(0,10)", "1: B: (0,0),(10,0),(10,10),(0,10)"});
    resetForNewResult(grid);
    EXPECT_EQ(grid.RowCount(), 2);
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(grid.cell(c, 1), "");
        EXPECT_EQ(grid.colWidth(c), (c == 6 || c == 7) ? 0 : 64) << c;
    }
}

TEST_F(Reader, AverageTextHeight) {
    grid.setRowCount(4);
    grid.setCell(2, 1, "2.000");
    grid.setCell(2, 2, " 4 ");
    grid.setCell(2, 3, "x");
    EXPECT_DOUBLE_EQ(averageTextHeight(grid), 2.0);
    grid.setRowCount(1);
    EXPECT_DOUBLE_EQ(averageTextHeight(grid), 0.0);
}

TEST(LenientNumbers, ParseWithFallback) {
    struct Case { const char* cell; double expect; };
    const Case cases[] = {{" 2.5 ", 2.5}, {"7 ", 7}, {"-0.25", -0.25}, {"abc", 9}, {"", 9},
                          {"1e999", 9}, {"nan", 9}, {"inf", 9}, {"3,5", 9}, {"\t1.5\n", 1.5},
                          {"+4", 4}, {"0x10", 9}, {"\uff12", 9}, {"1 2", 9}, {".5", 0.5}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(parseLenientNumber(c.cell, 9), c.expect) << c.cell;
    EXPECT_EQ(parseLenientInt(" 12 ", -1), 12);
    EXPECT_EQ(parseLenientInt("1.5", -1), -1);
    EXPECT_EQ(parseLenientInt("99999999999", -1), -1);
    EXPECT_EQ(parseLenientInt("-2147483648", -1), -2147483647 - 1);
    EXPECT_EQ(formatFixed(2.0, 3), "2.000");
}

TEST(LenientNumbers, IndependentOfTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formatFixed(1234.5, 3), "1234.500");
    EXPECT_EQ(formatAngle(12.34), "12.3");
    EXPECT_DOUBLE_EQ(parseLenientNumber("2,5", -1), -1);
    EXPECT_DOUBLE_EQ(parseLenientNumber("2.5", -1), 2.5);
    QLocale::setDefault(before);
}
