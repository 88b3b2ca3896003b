#pragma once
// The view of the drawing area: its size in pixels, the view height in
// drawing units (VIEWSIZE) and the drawing point at its centre (VIEWCTR).
// A drawing point (x, y) lies at the continuous pixel position
//   px = W/2 + (x - cx)/s,  py = H/2 - (y - cy)/s,  s = VIEWSIZE/H,
// and pixel i covers [i, i+1).
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTransform>

class ViewTransform {
public:
    QSize screenSize() const { return m_screen; }
    double viewSize() const { return m_viewSize; }
    QPointF center() const { return m_center; }
    double unitsPerPixel() const { return m_viewSize / m_screen.height(); }

    // A new drawing-area size keeps the view height and centre, like a CAD.
    void setScreenSize(QSize size);
    // False (and nothing changes) unless height > 0 and finite.
    bool zoomCenter(QPointF center, double height);
    // Zooms by factor (> 1 enlarges) keeping the drawing point under pixel fixed.
    void zoomAbout(QPointF pixel, double factor);
    void panByPixels(QPointF delta);
    // Shows the rectangle whole, with a margin of a twentieth on every side.
    void fit(const QRectF& extents);

    QPointF toPixel(QPointF drawing) const;
    QPointF toDrawing(QPointF pixel) const;
    // The drawing point a click on pixel (i, j) picks: the pixel's centre.
    QPointF pickedPoint(int i, int j) const { return toDrawing({i + 0.5, j + 0.5}); }
    QTransform drawingToPixel() const;

private:
    QSize m_screen{800, 600};
    double m_viewSize = 600;
    QPointF m_center{400, 300};
};
