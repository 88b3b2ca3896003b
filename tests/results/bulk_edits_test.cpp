#include "grid_test_support.h"
#include "results/BulkEdits.h"

#include <gtest/gtest.h>

namespace {

// Rounds the values through the grid and returns the cells as written.
QStringList roundedCells(bool angles, const QStringList& values, const QString& step) {
    TGridModel grid = filledGrid(int(values.size()));
    const int col = angles ? 3 : 4;
    for (int r = 1; r <= values.size(); ++r) grid.setCell(col, r, values[r - 1]);
    if (angles) roundAngles(grid, step);
    else roundCoordinates(grid, step);
    return column(grid, col);
}

}  // namespace

TEST(BulkEdits, AngleRounding) {
    struct Case {
        const char* step;
        QStringList in, out;
    };
    const Case cases[] = {
        {"90", {"44.9", "45.0", "315.0", "0"}, {"0.0", "90.0", "0.0", "0.0"}},
        {"5.0", {"2.5", "357.5", "-7", "-1", "12.4"}, {"5.0", "0.0", "355.0", "0.0", "10.0"}},
        {" 5 ", {"", "  ", "abc", "7 "}, {"", "  ", "0.0", "5.0"}},
    };
    for (const Case& c : cases) EXPECT_EQ(roundedCells(true, c.in, c.step), c.out) << c.step;
    for (const char* step : {"abc", "0", "-5", ""})
        EXPECT_EQ(roundedCells(true, {"44.9", "x"}, step), QStringList({"44.9", "x"})) << step;
}

TEST(BulkEdits, CoordinateRoundingAwayFromZero) {
    struct Case {
        const char* step;
        QStringList in, out;
    };
    const Case cases[] = {
        {"0.5", {"105.26", "-185.74", "12.24", "12.25", "-12.25"}, {"105.5", "-185.5", "12.0", "12.5", "-12.5"}},
        {"1", {"0.4", "-0.5", "-0.4", "", "y"}, {"0.0", "-1.0", "0.0", "", "0.0"}},
    };
    for (const Case& c : cases) EXPECT_EQ(roundedCells(false, c.in, c.step), c.out) << c.step;
    EXPECT_DOUBLE_EQ(roundCoordinate(12.25, 0.25), 12.25);
    EXPECT_EQ(roundedCells(false, {"1.26"}, "0"), QStringList({"1.26"}));

    // Both columns, every data row, the current cell kept, nothing recorded.
    TGridModel grid = filledGrid(2);
    for (int r = 1; r <= 2; ++r) {
        grid.setCell(4, r, "1.7");
        grid.setCell(5, r, "-2.2");
    }
    grid.setCurrent(1, 2);
    roundCoordinates(grid, "1");
    EXPECT_EQ(column(grid, 4), QStringList({"2.0", "2.0"}));
    EXPECT_EQ(column(grid, 5), QStringList({"-2.0", "-2.0"}));
    EXPECT_EQ(grid.Row(), 2);
}

// A step so small that value / step overflows leaves the cell as it was
// instead of writing "inf"; zero stays zero.
TEST(BulkEdits, OverflowingQuotientKeepsTheCell) {
    EXPECT_EQ(roundedCells(true, {"12", "0", "nan"}, "1e-320"), QStringList({"12", "0.0", "0.0"}));
    EXPECT_EQ(roundedCells(false, {"-12", "1e309"}, "1e-320"), QStringList({"-12", "0.0"}));
}

TEST(BulkEdits, ReplacementIsLeftToRightWithoutOverlapOrRescan) {
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll("Hello", "l", "1"), "He11o");
    EXPECT_EQ(replaceAll("LOL", "l", "1"), "LOL");
    EXPECT_EQ(replaceAll("ab", "a", "aa"), "aab");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

namespace {
class ReplaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid = filledGrid(3);
        grid.setCell(1, 1, "Hello");
        grid.setCell(1, 2, "LOL");
        grid.setCell(1, 3, "abc");
        grid.setCurrent(1, 2);
    }
    // The command with the user answering `answer` (nothing: cancel).
    void run(std::optional<ReplaceRequest> answer) {
        partialReplace(
            grid, undo, sgUndoCnt,
            [&](const QString& search) {
                asked << search;
                return answer;
            },
            [&](const QString& line) { status << line; });
    }
    TGridModel grid;
    TUndoCells undo;
    int sgUndoCnt = 7;
    QStringList asked, status;
};
}  // namespace

TEST_F(ReplaceTest, ChangedCellsAreCountedRecordedAndUndoneAsOne) {
    run(ReplaceRequest{"l", "1"});
    EXPECT_EQ(asked, QStringList({"LOL"})) << "the dialog starts with the current row's text";
    EXPECT_EQ(column(grid, 1), QStringList({"He11o", "LOL", "abc"}));
    EXPECT_EQ(status, QStringList({QString::fromUtf8("1 個の文字列を置換しました．")}));
    EXPECT_EQ(sgUndoCnt, 1);
    ASSERT_EQ(undo.Count(), 1);
    undo.Undo(&grid);
    EXPECT_EQ(grid.cell(1, 1), "Hello");
    EXPECT_EQ(grid.Row(), 1);
}

TEST_F(ReplaceTest, NothingReplacedKeepsTheGroupAndStillReports) {
    run(ReplaceRequest{"zz", "1"});
    EXPECT_EQ(status, QStringList({QString::fromUtf8("0 個の文字列を置換しました．")}));
    EXPECT_EQ(sgUndoCnt, 7);
    EXPECT_EQ(undo.Count(), 0);
}

TEST_F(ReplaceTest, CancelOrAnEmptyCurrentRowChangesNothing) {
    run(std::nullopt);
    EXPECT_TRUE(status.isEmpty());
    EXPECT_EQ(column(grid, 1), QStringList({"Hello", "LOL", "abc"}));
    grid.setCell(1, 2, "");
    run(ReplaceRequest{"l", "1"});
    grid.setCell(1, 2, "LOL");
    grid.setCell(0, 2, "");
    run(ReplaceRequest{"l", "1"});
    EXPECT_EQ(asked.size(), 1) << "no dialog for a row without number or text";
    EXPECT_TRUE(status.isEmpty());
    EXPECT_EQ(sgUndoCnt, 7);
}
