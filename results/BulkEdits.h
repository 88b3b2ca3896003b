#pragma once
// Commands that change one column of every data row at once: rounding angles
// and coordinates to a step, and replacing part of the texts. Only the
// replacement is recorded for undo.
#include "results/GridModel.h"
#include "results/UndoCells.h"

#include <QString>
#include <functional>
#include <optional>

// Angle to a whole multiple of step, half a step up, then brought into
// [0, 360); a negative angle is rounded toward zero first (-7 by 5 gives 355).
double roundAngle(double angle, double step);
// |value| to a whole multiple of step, half a step up, sign kept (away from zero).
double roundCoordinate(double value, double step);

// Column 3 of every data row whose cell is not blank, "%.1f". A step that is
// not a number greater than 0 changes nothing.
void roundAngles(TGridModel& grid, const QString& stepText);
// Columns 4 and 5 likewise.
void roundCoordinates(TGridModel& grid, const QString& stepText);

// Every occurrence of search, left to right and not overlapping (the inserted
// replacement is not searched again), case-sensitive; an empty search text
// replaces nothing.
QString replaceAll(const QString& text, const QString& search, const QString& replacement);

// Replaces in column 1 of every data row; each changed cell is recorded for
// undo just before it changes. Returns the number of cells changed.
int replaceInTexts(TGridModel& grid, TUndoCells& undo, const QString& search, const QString& replacement);

// "N 個の文字列を置換しました．"
QString replacedStatusLine(int n);

struct ReplaceRequest {
    QString search, replacement;
};
// Asks the user with the search text preset; nothing when cancelled.
using AskReplacement = std::function<std::optional<ReplaceRequest>(const QString& searchText)>;

// The replace command: nothing (no question) when the current row's number or
// text is empty; nothing when the user cancels. Otherwise replaces, makes the
// changed cells one undo group when there are any, and reports the count.
void partialReplace(TGridModel& grid, TUndoCells& undo, int& sgUndoCnt, const AskReplacement& ask,
                    const std::function<void(const QString&)>& statusLine);
