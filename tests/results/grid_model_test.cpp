#include "results/GridModel.h"

#include <gtest/gtest.h>

TEST(GridModel, CurrentCellStaysInDataCells) {
    TGridModel grid(9, 5);
    int moves = 0;
    grid.setListener({nullptr, nullptr, [&] { ++moves; }, nullptr});
    grid.setCurrent(0, 0);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 1);
    grid.setCurrent(3, 4);
    EXPECT_EQ(moves, 1);
    grid.setRowCount(3);
    EXPECT_EQ(grid.Row(), 2) << "shrinking moves the current row onto the last data row";
    EXPECT_EQ(moves, 2);
    grid.setRow(99);
    EXPECT_EQ(grid.Row(), 2);
}

TEST(GridModel, SelectionAlwaysHoldsTheCurrentCell) {
    TGridModel grid(9, 8);
    grid.setCurrent(2, 3);
    grid.setSelection({4, 6, 5, 7});
    EXPECT_EQ(grid.selection(), (TGridRect{2, 3, 5, 7}));
    grid.setSelection({5, 7, 0, 0});
    EXPECT_EQ(grid.selection(), (TGridRect{1, 1, 5, 7}));
}

TEST(GridModel, CellsAndRowExchange) {
    TGridModel grid(3, 3);
    grid.setCell(1, 1, "a");
    grid.setCell(1, 2, "b");
    grid.setCell(5, 5, "ignored");
    EXPECT_EQ(grid.cell(5, 5), "");
    grid.exchangeRows(1, 2);
    EXPECT_EQ(grid.cell(1, 1), "b");
    EXPECT_EQ(grid.cell(1, 2), "a");
    grid.setRowCount(5);
    EXPECT_EQ(grid.cell(1, 2), "a") << "growing keeps the cells";
    EXPECT_EQ(grid.cell(1, 4), "");
}

TEST(GridModel, FrozenChangesNotifyOnceAtThaw) {
    TGridModel grid(3, 4);
    int layouts = 0, cells = 0;
    grid.setListener({[&](int, int) { ++cells; }, [&] { ++layouts; }, nullptr, nullptr});
    grid.freeze();
    grid.exchangeRows(1, 2);
    grid.setCell(1, 1, "x");
    EXPECT_EQ(layouts + cells, 0);
    grid.thaw();
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(cells, 0);
}
