#pragma once
// Where a TEXT entity's glyphs lie in the drawing. The text height is the
// height of a capital letter of the text font: a string of height h drawn in
// a font whose cap height is c font units is scaled by h / c. One function
// serves the view, the exports and the bounding box, so they always agree.
#include "Entity.h"
#include <QFont>
#include <QPainterPath>
#include <QRectF>

struct TextPlacement {
    QPainterPath outline;   // glyph outlines in drawing units (y up)
    Point3 insertion;       // left end of the baseline as drawn
    double rotation = 0;    // baseline direction as drawn, radians
    double height = 0;      // cap height as drawn
    double width = 0;       // advance width as drawn
};

// The font every TEXT is drawn in.
QFont textFont();

TextPlacement placeText(const TextData& text);

// Axis-aligned bounds of the drawn outline; a text without ink gives the
// empty box at its insertion point.
QRectF textBounds(const TextData& text);

// Keeps the drawn text in place when its alignment changes: the reference
// point of the new alignment becomes the alignment point.
TextData withAlignment(const TextData& text, int alignment);

// Moves the text so that its baseline starts at p (the alignment point
// follows, except for aligned and fit text, whose two points are independent).
TextData withInsertionPoint(const TextData& text, const Point3& p);

// The stored insertion point brought in line with the drawn one (for the
// alignments whose reference is the alignment point).
TextData settledText(const TextData& text);

// Rotates the text about base by angle radians.
TextData rotatedText(const TextData& text, QPointF base, double angle);
