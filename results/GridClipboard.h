#pragma once
// Range commands of the result table: the selection as clipboard text, pasting
// clipboard text into the selection, clearing it. Changed cells are recorded
// for undo just before they change.
#include "results/GridModel.h"
#include "results/UndoCells.h"

#include <QString>

// Each selected row's cells joined by TAB and ended by CR LF (the last row too).
QString selectionText(const TGridModel& grid);

// Records and empties every selected cell; returns the number of cells (>= 1).
int clearSelection(TGridModel& grid, TUndoCells& undo);

// Pastes CR LF ended lines of TAB separated fields at the selection's top-left
// cell; whatever follows the last CR LF is ignored. Fields run right from the
// left column; N lines are tiled down every N rows as far as the selection's
// bottom, the first copy always in full. Fields that fall beyond the last
// column or row are dropped (neither recorded nor counted). Returns the number
// of cells written.
int pasteIntoSelection(TGridModel& grid, TUndoCells& undo, const QString& clipboardText);

// The clipboard text cut into its CR LF ended lines.
QStringList clipboardLines(const QString& text);
