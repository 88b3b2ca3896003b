#include "grid_test_support.h"
#include "results/GridClipboard.h"
#include "results/GridKeys.h"

#include <gtest/gtest.h>

namespace {

class FakeClipboard : public IClipboardText {
public:
    bool setText(const QString& text) override {
        ++placings;
        const bool ok = outcomes.isEmpty() || outcomes.takeFirst();
        if (ok) held = text;
        return ok;
    }
    QString text() const override { return held; }
    QString held;
    int placings = 0;
    QList<bool> outcomes;  // of the next placings; they succeed when none is left
};

// The main window's key handling over a filled grid: rows shown are counted
// as the window counts them (a move of the current cell shows the row).
class GridKeysTest : public ::testing::Test {
protected:
    void SetUp() override { use(filledGrid(6)); }
    void use(const TGridModel& g) {
        grid = g;
        grid.setListener({nullptr, nullptr, [this] { ++shown; }, nullptr});
    }
    bool key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        GridKeyContext c{grid, undo, sgUndoCnt, clipboard, [this](const QString& e) { errors << e; },
                         [this] { ++shown; }};
        return runGridKey(c, k, m);
    }
    bool ctrl(int k) { return key(k, Qt::ControlModifier); }
    void select(int left, int top, int right, int bottom) {
        grid.setCurrent(left, top);
        grid.setSelection({left, top, right, bottom});
    }

    TGridModel grid;
    TUndoCells undo;
    int sgUndoCnt = 0;
    FakeClipboard clipboard;
    QStringList errors;
    int shown = 0;
};

}  // namespace

TEST_F(GridKeysTest, EnterWalksTheRowsWithWrapAroundAndShowsEachOnce) {
    use(filledGrid(5));
    grid.setCurrent(2, 5);
    shown = 0;
    EXPECT_FALSE(key(Qt::Key_Return)) << "Enter is left to the cell editor too";
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_FALSE(key(Qt::Key_Enter, Qt::ShiftModifier));
    EXPECT_EQ(grid.Row(), 5);
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(shown, 3);

    use(filledGrid(1));
    shown = 0;
    key(Qt::Key_Return);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(shown, 1) << "a single data row is shown again";
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(shown, 2);
}

TEST_F(GridKeysTest, CopyOfATwoByTwoRangeIsPlacedTwice) {
    select(1, 2, 2, 3);
    EXPECT_TRUE(ctrl(Qt::Key_C));
    EXPECT_EQ(clipboard.held, "t2\th2\r\nt3\th3\r\n");
    EXPECT_EQ(clipboard.placings, 2);
    EXPECT_EQ(sgUndoCnt, 1);
    EXPECT_EQ(undo.Count(), 0);
    EXPECT_TRUE(errors.isEmpty());
    // Hidden columns are copied when the range spans them.
    select(6, 1, 8, 1);
    ctrl(Qt::Key_C);
    EXPECT_EQ(clipboard.held, "c6r1\tc7r1\tc8r1\r\n");
}

TEST_F(GridKeysTest, OnlyAFailedFirstPlacingIsReported) {
    select(1, 1, 1, 1);
    clipboard.outcomes = {false, true};
    ctrl(Qt::Key_C);
    EXPECT_EQ(errors, QStringList({kClipboardFailedMessage}));
    EXPECT_EQ(clipboard.placings, 2);
    EXPECT_EQ(clipboard.held, "t1\r\n") << "the second placing is made regardless";

    errors.clear();
    clipboard.outcomes = {true, false};
    ctrl(Qt::Key_C);
    EXPECT_TRUE(errors.isEmpty()) << "a failed second placing says nothing";
    EXPECT_EQ(clipboard.placings, 4);
}

TEST_F(GridKeysTest, OneLinePastedIntoSixRowsIsOneUndoGroup) {
    select(3, 2, 4, 2);  // an earlier command with two records
    ASSERT_TRUE(key(Qt::Key_Delete));
    ASSERT_EQ(undo.Count(), 2);

    select(2, 1, 2, 6);
    clipboard.held = "2.5\r\n";
    EXPECT_TRUE(ctrl(Qt::Key_V));
    EXPECT_EQ(column(grid, 2), QStringList(6, "2.5"));
    EXPECT_EQ(undo.Count(), 8);
    EXPECT_EQ(sgUndoCnt, 6);

    EXPECT_TRUE(ctrl(Qt::Key_Z));
    EXPECT_EQ(column(grid, 2), QStringList({"h1", "h2", "h3", "h4", "h5", "h6"}));
    EXPECT_EQ(sgUndoCnt, 0);
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_EQ(grid.Row(), 1) << "the first cell written is undone last and becomes current";
    EXPECT_TRUE(ctrl(Qt::Key_Z));
    EXPECT_EQ(grid.cell(4, 2), "c4r2");
    EXPECT_EQ(grid.cell(3, 2), "") << "one record of the earlier clear per further Ctrl+Z";
    ctrl(Qt::Key_Z);
    EXPECT_EQ(grid.cell(3, 2), "c3r2");
    EXPECT_EQ(undo.Count(), 0);
    ctrl(Qt::Key_Z);  // nothing left: nothing happens
    EXPECT_EQ(grid.cell(3, 2), "c3r2");
}

TEST_F(GridKeysTest, LinesAreTiledDownTheSelectionAndFieldsRunRight) {
    select(1, 1, 1, 5);
    clipboard.held = "A\tx\r\nB\r\n";
    ctrl(Qt::Key_V);
    EXPECT_EQ(column(grid, 1), QStringList({"A", "B", "A", "B", "A", "t6"}));
    EXPECT_EQ(column(grid, 2), QStringList({"x", "h2", "x", "h4", "x", "h6"})) << "columns are never tiled";
    EXPECT_EQ(sgUndoCnt, 8);

    // The first copy of the block is written in full below a one-row selection.
    select(5, 2, 5, 2);
    clipboard.held = "1\r\n2\r\n3\r\n";
    ctrl(Qt::Key_V);
    EXPECT_EQ(column(grid, 5), QStringList({"c5r1", "1", "2", "3", "c5r5", "c5r6"}));
}

TEST_F(GridKeysTest, PasteKeepsOnlyLinesEndedByCrLfAndDropsFieldsBeyondTheGrid) {
    select(1, 1, 1, 1);
    clipboard.held = "first\r\nsecond";
    ctrl(Qt::Key_V);
    EXPECT_EQ(column(grid, 1).mid(0, 2), QStringList({"first", "t2"}));
    EXPECT_EQ(sgUndoCnt, 1);

    clipboard.held = "no line end";
    sgUndoCnt = 5;
    ctrl(Qt::Key_V);
    EXPECT_EQ(grid.cell(1, 1), "first");
    EXPECT_EQ(sgUndoCnt, 1) << "nothing pasted still makes the group 1";
    EXPECT_EQ(undo.Count(), 1);

    select(7, 5, 7, 5);
    clipboard.held = "a\tb\tc\r\nd\r\ne\r\n";
    ctrl(Qt::Key_V);
    EXPECT_EQ(grid.cell(7, 5), "a");
    EXPECT_EQ(grid.cell(8, 5), "b");
    EXPECT_EQ(grid.cell(7, 6), "d");
    EXPECT_EQ(grid.ColCount(), 9);
    EXPECT_EQ(grid.RowCount(), 7);
    EXPECT_EQ(sgUndoCnt, 3) << "the fields beyond the last column and row are dropped";
    EXPECT_EQ(undo.Count(), 4);
}

TEST_F(GridKeysTest, DeleteClearsOnlyRangesOfMoreThanOneCell) {
    select(1, 2, 1, 2);
    EXPECT_FALSE(key(Qt::Key_Delete));
    EXPECT_EQ(grid.cell(1, 2), "t2");
    EXPECT_EQ(undo.Count(), 0);
    select(1, 2, 1, 3);
    EXPECT_TRUE(key(Qt::Key_Delete, Qt::ShiftModifier));
    EXPECT_EQ(column(grid, 1).mid(1, 2), QStringList({"", ""}));
    EXPECT_EQ(undo.Count(), 2);
    EXPECT_EQ(sgUndoCnt, 2);
}

TEST_F(GridKeysTest, CopyAfterPasteMakesCtrlZTakeBackOneCellAtATime) {
    select(1, 1, 1, 5);
    clipboard.held = "p\r\n";
    ctrl(Qt::Key_V);
    ctrl(Qt::Key_C);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(column(grid, 1), QStringList({"p", "p", "p", "p", "t5", "t6"}));
    ctrl(Qt::Key_Z);
    EXPECT_EQ(column(grid, 1), QStringList({"p", "p", "p", "t4", "t5", "t6"}));
    EXPECT_EQ(sgUndoCnt, 0);
}

TEST_F(GridKeysTest, ClearTypeUndoBringsTheClearedTextsBackOverTheTyping) {
    select(1, 1, 2, 2);
    key(Qt::Key_Delete);
    grid.setCell(2, 2, "typed");  // typing is not recorded
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // Ctrl whatever else is held
    EXPECT_EQ(column(grid, 1).mid(0, 2), QStringList({"t1", "t2"}));
    EXPECT_EQ(column(grid, 2).mid(0, 2), QStringList({"h1", "h2"}));
    EXPECT_EQ(undo.Count(), 0);
}

TEST_F(GridKeysTest, CutCopiesThenClearsWhateverTheSize) {
    select(4, 3, 4, 3);
    EXPECT_TRUE(ctrl(Qt::Key_X));
    EXPECT_EQ(clipboard.held, "c4r3\r\n");
    EXPECT_EQ(grid.cell(4, 3), "");
    EXPECT_EQ(sgUndoCnt, 1);
    select(4, 4, 5, 5);
    ctrl(Qt::Key_X);
    EXPECT_EQ(clipboard.held, "c4r4\tc5r4\r\nc4r5\tc5r5\r\n");
    EXPECT_EQ(sgUndoCnt, 4);
    sgUndoCnt = 99;  // more than there are records: the extra undos do nothing
    ctrl(Qt::Key_Z);
    EXPECT_EQ(grid.cell(4, 3), "c4r3");
    EXPECT_EQ(grid.cell(5, 5), "c5r5");
}

TEST_F(GridKeysTest, OtherKeysAreLeftToTheGrid) {
    EXPECT_FALSE(key(Qt::Key_C));
    EXPECT_FALSE(key(Qt::Key_Z, Qt::ShiftModifier));
    EXPECT_FALSE(ctrl(Qt::Key_A));
    EXPECT_FALSE(key(Qt::Key_Down));
    EXPECT_EQ(undo.Count(), 0);
    EXPECT_EQ(clipboard.placings, 0);
}
