#pragma once
// The box around everything visible in a drawing, as a zoom to extents needs it.
#include "cadhost/Drawing.h"

#include <QRectF>
#include <optional>

// Nothing when the drawing shows nothing.
std::optional<QRectF> drawingExtents(const Drawing& drawing);
