#include "grid_test_support.h"
#include "results/UndoCells.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(UndoCells, LevelsCountPerGridAndUndoTakesTheLatestBack) {
    TGridModel a = filledGrid(3), b = filledGrid(3);
    TUndoCells undo;
    EXPECT_EQ(undo.UndoLevels(), 0);
    TUndoCell* first = undo.Add(&a, 1, 1);
    undo.Add(&b, 2, 2);
    TUndoCell* second = undo.Add(&a, 4, 3);
    EXPECT_EQ(first->UndoLevel(), 0);
    EXPECT_EQ(undo.Items(1)->UndoLevel(), 0) << "another grid counts on its own";
    EXPECT_EQ(second->UndoLevel(), 1);
    EXPECT_EQ(second->Text(), "c4r3");
    EXPECT_EQ(second->Grid(), &a);
    EXPECT_EQ(undo.Count(), 3);

    a.setCell(4, 3, "changed");
    a.setCell(1, 1, "changed too");
    std::vector<std::pair<int, int>> moves;
    a.setListener({nullptr, nullptr, [&] { moves.emplace_back(a.Col(), a.Row()); }, nullptr});
    a.setCurrent(2, 1);
    moves.clear();
    undo.Undo(&a);
    EXPECT_EQ(a.cell(4, 3), "c4r3");
    EXPECT_EQ(a.cell(1, 1), "changed too");
    EXPECT_EQ(undo.Count(), 2);
    // Column first, then row: two moves, each showing the row.
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{4, 1}, {4, 3}}));
    undo.Undo(&a);
    EXPECT_EQ(a.cell(1, 1), "t1");
    undo.Undo(&a);  // none left for this grid
    EXPECT_EQ(undo.Count(), 1);
    EXPECT_EQ(undo.Items(0)->Grid(), &b);
}

TEST(UndoCells, LatestIsTheHighestLevelFirstInListAmongEquals) {
    TGridModel grid = filledGrid(3);
    TUndoCells undo;
    undo.Add(&grid, 1, 1);
    undo.Add(&grid, 1, 2);
    undo.Add(&grid, 1, 3);
    undo.Items(0)->setUndoLevel(7);
    undo.Items(2)->setUndoLevel(7);
    for (int r = 1; r <= 3; ++r) grid.setCell(1, r, "x");
    undo.Undo(&grid);
    EXPECT_EQ(column(grid, 1), QStringList({"t1", "x", "x"}));
    EXPECT_EQ(undo.Add(&grid, 2, 2)->UndoLevel(), 8);
}

TEST(UndoCells, ClearFreesAllAndACapacityDropsTheOldest) {
    TGridModel grid = filledGrid(4);
    TUndoCells undo;
    undo.setUndoLevels(2);
    undo.Add(&grid, 1, 1);
    undo.Add(&grid, 1, 2);
    undo.Add(&grid, 1, 3);
    ASSERT_EQ(undo.Count(), 2);
    EXPECT_EQ(undo.Items(0)->Y(), 2);
    undo.Clear();
    EXPECT_EQ(undo.Count(), 0);
    undo.Undo(&grid);  // nothing to undo
    EXPECT_EQ(column(grid, 1), QStringList({"t1", "t2", "t3", "t4"}));
}
