#include "ViewTransform.h"
#include <algorithm>
#include <cmath>

void ViewTransform::setScreenSize(QSize size)
{
    if (size.width() > 0 && size.height() > 0)
        m_screen = size;
}

bool ViewTransform::zoomCenter(QPointF center, double height)
{
    if (!(height > 0) || !std::isfinite(height) || !std::isfinite(center.x()) || !std::isfinite(center.y()))
        return false;
    m_center = center;
    m_viewSize = height;
    return true;
}

void ViewTransform::zoomAbout(QPointF pixel, double factor)
{
    if (!(factor > 0))
        return;
    const QPointF fixed = toDrawing(pixel);
    const double size = std::clamp(m_viewSize / factor, 1e-6, 1e12);
    m_viewSize = size;
    // The fixed point must land on the same pixel again.
    const double s = unitsPerPixel();
    m_center = {fixed.x() - (pixel.x() - m_screen.width() / 2.0) * s,
                fixed.y() + (pixel.y() - m_screen.height() / 2.0) * s};
}

void ViewTransform::panByPixels(QPointF delta)
{
    const double s = unitsPerPixel();
    m_center += QPointF(-delta.x() * s, delta.y() * s);
}

void ViewTransform::fit(const QRectF& extents)
{
    if (extents.width() <= 0 && extents.height() <= 0) {
        zoomCenter(extents.center(), m_viewSize);
        return;
    }
    const double aspect = double(m_screen.width()) / m_screen.height();
    const double height = std::max(extents.height(), extents.width() / aspect) * 1.1;
    zoomCenter(extents.center(), height > 0 ? height : m_viewSize);
}

QPointF ViewTransform::toPixel(QPointF d) const
{
    const double s = unitsPerPixel();
    return {m_screen.width() / 2.0 + (d.x() - m_center.x()) / s, m_screen.height() / 2.0 - (d.y() - m_center.y()) / s};
}

QPointF ViewTransform::toDrawing(QPointF p) const
{
    const double s = unitsPerPixel();
    return {m_center.x() + (p.x() - m_screen.width() / 2.0) * s, m_center.y() - (p.y() - m_screen.height() / 2.0) * s};
}

QTransform ViewTransform::drawingToPixel() const
{
    const double k = 1.0 / unitsPerPixel();
    return QTransform(k, 0, 0, -k, m_screen.width() / 2.0 - m_center.x() * k, m_screen.height() / 2.0 + m_center.y() * k);
}
