#include "grid_test_support.h"
#include "results/GridSort.h"

#include <gtest/gtest.h>

namespace {

// Data rows from (text, height, X, Y) with numbers 1..n in reading order.
struct Row {
    const char* text;
    const char* height;
    const char* x;
    const char* y;
};
TGridModel gridOf(std::initializer_list<Row> rows) {
    TGridModel grid = filledGrid(int(rows.size()));
    int r = 1;
    for (const Row& row : rows) {
        grid.setCell(1, r, QString::fromUtf8(row.text));
        grid.setCell(2, r, row.height);
        grid.setCell(4, r, row.x);
        grid.setCell(5, r, row.y);
        ++r;
    }
    return grid;
}

}  // namespace

TEST(GridSort, TextsInCodeUnitOrderAndPrefixesFirst) {
    TGridModel grid = gridOf({{"abc", "1", "0", "0"}, {"a", "1", "0", "0"}, {"B", "1", "0", "0"},
                              {"ab", "1", "0", "0"}, {"文", "1", "0", "0"}, {"", "1", "0", "0"}});
    ASSERT_TRUE(sortGridByHeader(grid, 1));
    EXPECT_EQ(column(grid, 1), QStringList({"", "B", "a", "ab", "abc", QString::fromUtf8("文")}));
    EXPECT_TRUE(textComesBefore("B", "a"));
    EXPECT_FALSE(textComesBefore("abc", "ab"));
    // A surrogate pair (U+1F600: D83D DE00) sorts by its code units, before U+FF21.
    EXPECT_TRUE(textComesBefore(QString::fromUtf8("\U0001F600"), QString::fromUtf8("\uFF21")));
}

TEST(GridSort, XThenYAndNumberRestoresTheReadingOrderWithWholeRows) {
    TGridModel grid = gridOf({{"p", "1", "10", "5"}, {"q", "1", "2", "9"}, {"r", "1", "10", "-3"},
                              {"s", "1", " 2 ", "1"}, {"t", "1", "x", "0"}});
    const QString hiddenOfRow3 = grid.cell(7, 3);
    ASSERT_TRUE(sortGridByHeader(grid, 4));
    EXPECT_EQ(column(grid, 1), QStringList({"t", "s", "q", "r", "p"})) << "x sorts as 0, equal X by Y";
    EXPECT_EQ(grid.cell(7, 4), hiddenOfRow3) << "hidden columns travel with their row";
    ASSERT_TRUE(sortGridByHeader(grid, 5));
    EXPECT_EQ(column(grid, 1), QStringList({"r", "t", "s", "p", "q"}));
    ASSERT_TRUE(sortGridByHeader(grid, 0));
    EXPECT_EQ(column(grid, 1), QStringList({"p", "q", "r", "s", "t"}));
    EXPECT_EQ(column(grid, 0), QStringList({"1 ", "2 ", "3 ", "4 ", "5 "}));
}

TEST(GridSort, EqualKeysFollowTheExchangeOrderNotAStableSort) {
    TGridModel grid = gridOf({{"a", "2", "0", "0"}, {"b", "2", "0", "0"}, {"c", "1", "0", "0"}});
    ASSERT_TRUE(sortGridByHeader(grid, 2));
    EXPECT_EQ(column(grid, 1), QStringList({"c", "b", "a"}));
    ASSERT_TRUE(sortGridByHeader(grid, 2));
    EXPECT_EQ(column(grid, 1), QStringList({"c", "b", "a"})) << "a second click sorts ascending again";
}

TEST(GridSort, FrozenWhileSortingCurrentCellKeptAndOnlySortableHeaders) {
    TGridModel grid = gridOf({{"a", "3", "0", "0"}, {"b", "1", "0", "0"}, {"c", "2", "0", "0"}});
    grid.setCurrent(3, 2);
    int layouts = 0, cells = 0, moves = 0;
    grid.setListener({[&](int, int) { ++cells; }, [&] { ++layouts; }, [&] { ++moves; }, nullptr});
    ASSERT_TRUE(sortGridByHeader(grid, 2));
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(cells, 0);
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.Row(), 2);
    for (int col : {6, 7, 9, -1}) {
        EXPECT_FALSE(sortGridByHeader(grid, col)) << col;
    }
    EXPECT_EQ(column(grid, 1), QStringList({"b", "c", "a"}));
    EXPECT_EQ(averageHeightStatusLine(grid), QString::fromUtf8("文字高さの平均値= 2.000"));
}
