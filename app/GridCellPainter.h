#pragma once
// Paints one result grid cell as gridCellLook decided; shared by the data
// cells, the two headers and the corner.
#include "app/GridCellLook.h"

#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QPainter;

GridHighlightColors highlightColors(const QPalette& palette);

// The whole rect gets the background; text on one line, clipped to the cell.
void paintGridCell(QPainter& painter, const QRect& rect, const GridCellLook& look,
                   const QString& text, const QFont& font, const QPalette& palette);
