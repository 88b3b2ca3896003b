#pragma once
// The mapping between drawing units and drawing-area pixels: the view is
// VIEWSIZE units high, centred on VIEWCTR, over a W x H pixel area.
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <algorithm>

struct ViewTransform {
    double viewSize = 100;
    QPointF center;
    QSize screen{800, 600};

    double unitsPerPixel() const { return viewSize / screen.height(); }
    // Continuous pixel position of a drawing point.
    QPointF toPixel(QPointF p) const
    {
        const double s = unitsPerPixel();
        return {screen.width() / 2.0 + (p.x() - center.x()) / s,
                screen.height() / 2.0 - (p.y() - center.y()) / s};
    }
    QPointF toDrawing(QPointF px) const
    {
        const double s = unitsPerPixel();
        return {center.x() + (px.x() - screen.width() / 2.0) * s,
                center.y() - (px.y() - screen.height() / 2.0) * s};
    }
    // The drawing point a click on pixel (i, j) picks: the pixel's centre.
    QPointF pickAt(int i, int j) const { return toDrawing({i + 0.5, j + 0.5}); }
    // Shows the whole box, centred, with a margin of 5 % of the view on every side.
    void zoomExtents(const QRectF& box)
    {
        const double aspect = double(screen.width()) / screen.height();
        const double fitted = std::max(box.height(), box.width() / aspect);
        center = box.center();
        if (fitted > 0) viewSize = fitted / 0.9;
    }
    // Zoom by factor (>1 zooms in) keeping the drawing point under pixel px fixed.
    void zoomAbout(QPointF px, double factor)
    {
        const QPointF fixed = toDrawing(px);
        viewSize /= factor;
        const QPointF moved = toDrawing(px);
        center += fixed - moved;
    }
};
