#pragma once
// Sorting the result table by a header click: always ascending, rows exchanged
// whole (hidden columns and row numbers travel with them), painting frozen,
// the current cell left where it is.
#include "results/GridModel.h"

#include <QString>

// Sorts the data rows by the clicked header column: 0, 2, 3 and 8 by their
// number, 1 by its text, 4 by X then Y, 5 by Y then X. False (and nothing
// changed) for any other column.
//
// The exchange order is a selection by swapping, not a stable sort: for each
// row i the later rows j that come before it are swapped in one by one, so
// rows with equal keys can change their order (2a, 2b, 1 become 1, 2b, 2a).
bool sortGridByHeader(TGridModel& grid, int headerCol);

// Ordinal comparison of UTF-16 code units, case-sensitive; a prefix comes first.
bool textComesBefore(const QString& a, const QString& b);

// The status line after a sort by text height: "文字高さの平均値= " and the
// average of column 2 over the data rows, "%.3f".
QString averageHeightStatusLine(const TGridModel& grid);
