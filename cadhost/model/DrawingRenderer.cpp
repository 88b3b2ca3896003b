#include "DrawingRenderer.h"
#include "TextGeometry.h"
#include "imaging/Aci.h"
#include <QPainter>
#include <cmath>

namespace {

// Arc points from a0 to a0 + sweep (radians, counter-clockwise when positive),
// the first one excluded.
void appendArc(QPainterPath& path, QPointF c, double r, double a0, double sweep)
{
    const int steps = std::max(4, int(std::ceil(std::abs(sweep) / (M_PI / 90))));
    for (int i = 1; i <= steps; ++i) {
        const double a = a0 + sweep * i / steps;
        path.lineTo(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
}

void appendBulge(QPainterPath& path, QPointF p1, QPointF p2, double bulge)
{
    const double chord = std::hypot(p2.x() - p1.x(), p2.y() - p1.y());
    if (bulge == 0 || chord == 0) {
        path.lineTo(p2);
        return;
    }
    const double theta = 4 * std::atan(bulge); // included angle, ccw when positive
    const double r = chord / (2 * std::sin(std::abs(theta) / 2));
    const QPointF mid = (p1 + p2) / 2;
    const QPointF dir = (p2 - p1) / chord;
    const QPointF normal(-dir.y(), dir.x());
    // Distance from the chord's middle to the centre, signed toward the left.
    const double h = std::sqrt(std::max(0.0, r * r - chord * chord / 4)) * (std::abs(theta) > M_PI ? -1 : 1);
    const QPointF c = mid + normal * (bulge > 0 ? h : -h);
    const double a0 = std::atan2(p1.y() - c.y(), p1.x() - c.x());
    appendArc(path, c, r, a0, theta);
}

} // namespace

QPainterPath entityPath(const Entity& e)
{
    QPainterPath path;
    switch (e.type) {
    case EntityType::Line:
    case EntityType::Polyline: {
        if (e.vertices.isEmpty())
            break;
        path.moveTo(e.vertices.first().x, e.vertices.first().y);
        const qsizetype n = e.vertices.size();
        const qsizetype segments = e.closed ? n : n - 1;
        for (qsizetype i = 0; i < segments; ++i) {
            const PolylineVertex& a = e.vertices.at(i);
            const PolylineVertex& b = e.vertices.at((i + 1) % n);
            appendBulge(path, {a.x, a.y}, {b.x, b.y}, e.type == EntityType::Line ? 0 : a.bulge);
        }
        if (n == 1)
            path.lineTo(e.vertices.first().x, e.vertices.first().y);
        break;
    }
    case EntityType::Circle:
        path.moveTo(e.center.x + e.radius, e.center.y);
        appendArc(path, e.center.xy(), e.radius, 0, 2 * M_PI);
        break;
    case EntityType::Arc: {
        const double a0 = e.startAngle * M_PI / 180;
        double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
        if (sweep <= 0)
            sweep += 360;
        path.moveTo(e.center.x + e.radius * std::cos(a0), e.center.y + e.radius * std::sin(a0));
        appendArc(path, e.center.xy(), e.radius, a0, sweep * M_PI / 180);
        break;
    }
    case EntityType::Text:
        break;
    }
    return path;
}

void paintDrawing(QPainter& painter, const Drawing& drawing, const ViewTransform& view)
{
    const QTransform toPixels = view.drawingToPixel();
    const QRectF visible(QPointF(-2, -2), QSizeF(view.screenSize()) + QSizeF(4, 4));
    for (qsizetype i = 0; i < drawing.entityCount(); ++i) {
        const Entity& e = drawing.entityAt(i);
        if (!drawing.isShown(e))
            continue;
        const QColor color = aciToRgb(drawing.displayColor(e)).toQColor();
        if (e.type == EntityType::Text) {
            const QPainterPath outline = toPixels.map(placeText(e.text).outline);
            if (!outline.controlPointRect().intersects(visible))
                continue;
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.fillPath(outline, color);
            continue;
        }
        const QPainterPath path = toPixels.map(entityPath(e));
        if (!path.controlPointRect().adjusted(-1, -1, 1, 1).intersects(visible))
            continue;
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(color, 0);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
}

QImage renderDrawing(const Drawing& drawing, const ViewTransform& view)
{
    QImage image(view.screenSize(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    paintDrawing(painter, drawing, view);
    return image;
}

QRectF drawingExtents(const Drawing& drawing)
{
    QRectF box;
    for (qsizetype i = 0; i < drawing.entityCount(); ++i) {
        const Entity& e = drawing.entityAt(i);
        if (!drawing.isShown(e))
            continue;
        const QRectF r = e.type == EntityType::Text ? textBounds(e.text) : entityPath(e).boundingRect();
        box = box.isNull() ? r : box.united(r);
    }
    return box;
}
