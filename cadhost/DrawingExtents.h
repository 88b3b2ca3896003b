#pragma once
// The box around everything visible in a drawing, as a zoom to extents needs it.
#include "cadhost/HostState.h"

#include <QRectF>
#include <optional>

// Nothing when the drawing shows nothing.
std::optional<QRectF> drawingExtents(const Drawing& drawing);
// The box of one entity as drawn (a line's may have no width or height).
QRectF entityExtents(const Entity& e);
// Shows the whole drawing and keeps it fitted on resizes until the view is
// zoomed or panned; an empty drawing keeps the view.
void zoomToExtents(HostState& state);
