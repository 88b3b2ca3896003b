#pragma once
// The ACI palette of the colour picker as plain geometry: 24 columns by 12 rows
// of 16-pixel cells at the display scale, and the choice text shown below it.
#include "imaging/Aci.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <optional>

namespace AciPalette {
constexpr int Columns = 24;
constexpr int Rows = 12;
constexpr int CellSize = 16;  // at scale 1.0 (96 dots per inch)

// x rounded to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
int roundHalfEven(double x);

// The ACI number shown in the cell, 0 for the empty cells of rows 10 and 11
// and for anything outside the palette.
int aciInCell(int column, int row);

// The cell's rectangle at the scale: its left/top edge belongs to it, its
// right/bottom edge to the next cell.
QRect cellRect(int column, int row, double scale);

// The palette image's size at the scale.
QSize imageSize(double scale);

// The ACI number under the point of the palette image, 0 when there is none.
int aciAtPoint(int x, int y, double scale);

// Every numbered cell filled with its colour and outlined in black; the rest
// of the image in the background colour.
QImage paint(double scale, const QColor& background);
}

// " 30 (255, 127, 0)": a blank, the number, the RGB.
QString aciChoiceText(int aci);

// The number the user typed or picked: the text before the first "(", trimmed.
// No "(" (after trimming the whole text) means no choice; text before it that is
// not an integer gives the fallback.
std::optional<int> parseAciChoice(const QString& text, int fallback);
