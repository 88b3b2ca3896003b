#pragma once
// How the host lays out a TEXT entity: the outline in drawing units. The text
// height is the height of capital letters, as in a CAD; the width factor
// stretches horizontally; the justification places the outline on the
// insertion point (left baseline), between the insertion and alignment points
// (aligned, fit) or on the alignment point (all others).
#include "cadhost/Drawing.h"

#include <QPainterPath>
#include <QRectF>

QPainterPath textOutline(const Entity& text);
// Axis-aligned bounds of the outline as drawn; an empty box at the text's
// origin when nothing is drawn.
QRectF textBounds(const Entity& text);
