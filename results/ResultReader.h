#pragma once
// Turns the recognised lines into rows of the result table.
//
// A line reads "<index>: <text>: (x,y),(x,y),(x,y),(x,y)" in image pixels; the
// text may itself hold "(", ")" and ":". Columns of a row: 0 number + " ",
// 1 text, 2 height, 3 angle, 4/5 insertion point (middle of the left edge),
// 6 corners in drawing units, 7 corners in pixels, 8 string width.
#include "results/CellNumbers.h"
#include "results/CropGeometry.h"
#include "results/GridModel.h"
#include "results/TextGeometry.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Pixel width of a text in the grid's font.
using TextWidthFn = std::function<int(const QString&)>;

namespace ResultColumn {
enum : int { No = 0, Text, Height, Angle, X, Y, DrawCorners, PixelCorners, Width, Count };
}

// The grid's layout before the first read: 9 columns, header texts, 5 rows.
void setupResultHeader(TGridModel& grid);
// Before a recognition: one empty data row, widths back to the default (the
// hidden corner columns stay 0 wide).
void resetForNewResult(TGridModel& grid);

struct ParsedResultLine {
    QString text;
    QStringList cornerItems;  // the corner list split at ","; usable when 8 items
    bool hasCorners() const { return cornerItems.size() == 8; }
};
// Empty when the line holds fewer than four "(" (no corner list to find).
std::optional<ParsedResultLine> parseResultLine(const QString& line);

// Fills rows 1..n of the grid from the n lines, writes the export of the read
// to exportPath (see ResultExport.h) and returns n. An empty list leaves the
// grid and the export file as they are. A line without a corner list gets only
// its number, one with a corner list of the wrong length its number and its
// text; the columns 2 to 8 of such a row are emptied, its text column keeps what
// it held. txhsc scales the measured box height into the text height; degFix
// snaps every angle to 5 degrees. Throws std::runtime_error when the export
// cannot be written; the rows stay in the grid.
int readResultSL(const QStringList& ocrResultLines, const CropGeometry& geometry, double txhsc,
                 bool degFix, TGridModel& grid, const TextWidthFn& textWidth, const QString& exportPath);

// Sum of the heights (column 2, 0 when not a number) over the data rows divided
// by their count; 0 without data rows.
double averageTextHeight(const TGridModel& grid);
