#pragma once
// Paints a drawing as the host shows it: black background, every entity in
// its ACI colour, lines one pixel wide without smoothing, text filled.
#include "Drawing.h"
#include "ViewTransform.h"
#include <QImage>
#include <QPainterPath>

class QPainter;

// The drawing area's pixels for a view (the image the view shows, and what
// BMPOUT exports).
QImage renderDrawing(const Drawing& drawing, const ViewTransform& view);
void paintDrawing(QPainter& painter, const Drawing& drawing, const ViewTransform& view);

// The stroked outline of a line, polyline (arcs of bulges included), circle
// or arc in drawing units; empty for text.
QPainterPath entityPath(const Entity& entity);

// Extents of everything shown, for fitting the view; null when empty.
QRectF drawingExtents(const Drawing& drawing);
