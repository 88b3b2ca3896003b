#include "results/GridKeys.h"

#include "results/GridClipboard.h"

namespace {

void undoGroup(GridKeyContext& c) {
    if (c.sgUndoCnt > 0) {
        const int n = c.sgUndoCnt;
        for (int i = 0; i < n; ++i) c.undo.Undo(&c.grid);
        c.sgUndoCnt = 0;
    } else {
        c.undo.Undo(&c.grid);
    }
}

// Placed twice in a row; only a failure of the first placing is reported.
void copySelection(GridKeyContext& c) {
    const QString text = selectionText(c.grid);
    if (text.isEmpty()) return;
    if (!c.clipboard.setText(text) && c.reportError) c.reportError(kClipboardFailedMessage);
    c.clipboard.setText(text);
}

}  // namespace

bool isEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

GridKeyCommand gridKeyCommand(int key, Qt::KeyboardModifiers modifiers, const TGridRect& s) {
    if (isEnterKey(key))
        return modifiers.testFlag(Qt::ShiftModifier) ? GridKeyCommand::PreviousRow : GridKeyCommand::NextRow;
    if (key == Qt::Key_Delete)
        return (s.Left != s.Right || s.Top != s.Bottom) ? GridKeyCommand::Clear : GridKeyCommand::None;
    if (!modifiers.testFlag(Qt::ControlModifier)) return GridKeyCommand::None;
    switch (key) {
    case Qt::Key_Z: return GridKeyCommand::Undo;
    case Qt::Key_C: return GridKeyCommand::Copy;
    case Qt::Key_X: return GridKeyCommand::Cut;
    case Qt::Key_V: return GridKeyCommand::Paste;
    default: return GridKeyCommand::None;
    }
}

void moveRowWrapping(TGridModel& grid, bool backwards, const std::function<void()>& showRow) {
    const int first = TGridModel::FixedRows, last = grid.RowCount() - 1;
    if (last < first) return;
    int row = grid.Row() + (backwards ? -1 : 1);
    if (row > last) row = first;
    if (row < first) row = last;
    if (row != grid.Row()) grid.setRow(row);
    else if (showRow) showRow();
}

bool runGridKey(GridKeyContext& c, int key, Qt::KeyboardModifiers modifiers) {
    switch (gridKeyCommand(key, modifiers, c.grid.selection())) {
    case GridKeyCommand::None: return false;
    case GridKeyCommand::NextRow:
    case GridKeyCommand::PreviousRow:
        moveRowWrapping(c.grid, modifiers.testFlag(Qt::ShiftModifier), c.showRow);
        return false;
    case GridKeyCommand::Undo: undoGroup(c); return true;
    case GridKeyCommand::Clear: c.sgUndoCnt = clearSelection(c.grid, c.undo); return true;
    case GridKeyCommand::Copy:
        copySelection(c);
        c.sgUndoCnt = 1;
        return true;
    case GridKeyCommand::Cut:
        copySelection(c);
        c.sgUndoCnt = clearSelection(c.grid, c.undo);
        return true;
    case GridKeyCommand::Paste:
        c.sgUndoCnt = std::max(pasteIntoSelection(c.grid, c.undo, c.clipboard.text()), 1);
        return true;
    }
    return false;
}
