#pragma once
// The result table's keyboard commands, reached from the grid and from its
// open cell editor: Enter walks the rows with wrap-around, Ctrl+Z undoes,
// Delete clears a range, Ctrl+C / Ctrl+X / Ctrl+V copy, cut and paste.
#include "results/GridModel.h"
#include "results/UndoCells.h"

#include <QString>
#include <Qt>
#include <functional>

// The plain-text clipboard as the commands need it.
class IClipboardText {
public:
    virtual ~IClipboardText() = default;
    // False when the clipboard did not take the text.
    virtual bool setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

inline const QString kClipboardFailedMessage = QStringLiteral("クリップボードにコピーできませんでした．");

enum class GridKeyCommand { None, NextRow, PreviousRow, Undo, Clear, Copy, Cut, Paste };

// What the key does; Delete clears only a selection of more than one cell
// (with one cell it stays the cell editor's). Ctrl counts whatever else is held.
GridKeyCommand gridKeyCommand(int key, Qt::KeyboardModifiers modifiers, const TGridRect& selection);

struct GridKeyContext {
    TGridModel& grid;
    TUndoCells& undo;
    int& sgUndoCnt;  // records the next Ctrl+Z takes back
    IClipboardText& clipboard;
    std::function<void(const QString&)> reportError;
    std::function<void()> showRow;  // shows the current row (the grid's click)
};

// Runs the key's command; true when the key is swallowed. Enter and Shift+Enter
// are not swallowed: the cell editor's own Enter handling follows them.
bool runGridKey(GridKeyContext& context, int key, Qt::KeyboardModifiers modifiers);

// Enter (backwards: Shift+Enter): the next data row, row 1 after the last (the
// last before row 1). The row is shown once, also when it did not change: a
// move shows it through the grid's notification, otherwise showRow does.
void moveRowWrapping(TGridModel& grid, bool backwards, const std::function<void()>& showRow);

bool isEnterKey(int key);
