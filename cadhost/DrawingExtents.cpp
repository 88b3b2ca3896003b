#include "cadhost/DrawingExtents.h"

#include "cadhost/TextGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Points on the arc from start to end (counter-clockwise, radians) that bound
// it: both ends and every quadrant point passed on the way.
QList<QPointF> arcExtremes(QPointF c, double r, double start, double end)
{
    double sweep = end - start;
    while (sweep <= 0) sweep += 2 * M_PI;
    QList<QPointF> out{c + r * QPointF(std::cos(start), std::sin(start)),
                       c + r * QPointF(std::cos(start + sweep), std::sin(start + sweep))};
    for (int q = 0; q < 4; ++q) {
        const double a = q * M_PI / 2;
        double from = std::fmod(a - start, 2 * M_PI);
        if (from < 0) from += 2 * M_PI;
        if (from <= sweep) out << c + r * QPointF(std::cos(a), std::sin(a));
    }
    return out;
}

QList<QPointF> segmentExtremes(const Vertex& a, const Vertex& b)
{
    const auto arc = bulgeArc(a, b);
    if (!arc) return {{a.x, a.y}, {b.x, b.y}};
    const double end = arc->start + arc->sweep;
    return arc->sweep > 0 ? arcExtremes(arc->centre, arc->radius, arc->start, end)
                          : arcExtremes(arc->centre, arc->radius, end, arc->start);
}

QList<QPointF> entityExtremes(const Entity& e)
{
    QList<QPointF> out;
    switch (e.type) {
    case EntityType::Line:
        for (const Vertex& v : e.points) out << QPointF(v.x, v.y);
        break;
    case EntityType::Polyline:
        for (qsizetype i = 0; i < e.points.size(); ++i) {
            const bool last = i + 1 == e.points.size();
            if (last && !e.closed) out << QPointF(e.points[i].x, e.points[i].y);
            else out << segmentExtremes(e.points[i], e.points[last ? 0 : i + 1]);
        }
        break;
    case EntityType::Circle: {
        const QPointF c(e.points[0].x, e.points[0].y);
        out << c - QPointF(e.radius, e.radius) << c + QPointF(e.radius, e.radius);
        break;
    }
    case EntityType::Arc:
        out << arcExtremes({e.points[0].x, e.points[0].y}, e.radius, e.startAngle, e.endAngle);
        break;
    case EntityType::Text: {
        const QRectF box = textBounds(e);
        out << box.topLeft() << box.bottomRight();
        break;
    }
    }
    return out;
}

}  // namespace

QRectF entityExtents(const Entity& e)
{
    const QList<QPointF> points = entityExtremes(e);
    if (points.isEmpty()) return {};
    QPointF low = points[0], high = points[0];
    for (const QPointF& p : points) {
        low = QPointF(std::min(low.x(), p.x()), std::min(low.y(), p.y()));
        high = QPointF(std::max(high.x(), p.x()), std::max(high.y(), p.y()));
    }
    return QRectF(low, high);
}

void zoomToExtents(HostState& state)
{
    state.viewFollowsExtents = true;
    if (const auto box = drawingExtents(state.drawing)) state.view.zoomExtents(*box);
}

std::optional<QRectF> drawingExtents(const Drawing& drawing)
{
    // By coordinates: QRectF::united ignores boxes of zero size, such as a point.
    std::optional<QPointF> low, high;
    for (const Entity& e : drawing.entities()) {
        if (!e.visible) continue;
        for (const QPointF& p : entityExtremes(e)) {
            low = low ? QPointF(std::min(low->x(), p.x()), std::min(low->y(), p.y())) : p;
            high = high ? QPointF(std::max(high->x(), p.x()), std::max(high->y(), p.y())) : p;
        }
    }
    if (!low) return std::nullopt;
    return QRectF(*low, *high);
}
