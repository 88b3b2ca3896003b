#pragma once
// The CAD's view variables as a client reads them, and the mapping they define
// between drawing points and drawing-area pixels (y up in the drawing, down on
// screen, the view centre at the area's centre).
#include "cad/CadObject.h"

#include <QPoint>
#include <QPointF>

struct HostView {
    double size = 0;  // viewsize: view height in drawing units
    QPointF centre;   // viewctr
    int w = 0, h = 0; // screensize

    static HostView of(CadObject& document);

    // Continuous pixel position of a drawing point.
    QPointF toPixel(QPointF p) const;
    // The pixel holding a drawing point.
    QPoint pixelOf(QPointF p) const;
    // The drawing point at the centre of a pixel: what a click on it picks.
    QPointF pixelCentre(QPoint px) const;
};
