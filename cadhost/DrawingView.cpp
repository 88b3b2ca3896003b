#include "cadhost/DrawingView.h"

#include "cadhost/DrawingExtents.h"
#include "cadhost/TextGeometry.h"
#include "imaging/Aci.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Straight edges run between the centres of the pixels holding their ends, so
// that every end is lit exactly where the view mapping puts it (Qt's aliased
// lines otherwise end a pixel short or beside it on diagonals).
QPointF pixelCentre(QPointF px)
{
    return {std::floor(px.x()) + 0.5, std::floor(px.y()) + 0.5};
}

// A polyline with bulged segments: straight edges snapped, arcs as arcs.
QPainterPath bulgedPolyline(const ViewTransform& v, const Entity& e)
{
    const double s = v.unitsPerPixel();
    QPainterPath path;
    path.moveTo(pixelCentre(v.toPixel({e.points[0].x, e.points[0].y})));
    const qsizetype segments = e.closed ? e.points.size() : e.points.size() - 1;
    for (qsizetype i = 0; i < segments; ++i) {
        const Vertex& from = e.points[i];
        const Vertex& to = e.points[(i + 1) % e.points.size()];
        if (const auto arc = bulgeArc(from, to)) {
            const QPointF c = v.toPixel(arc->centre);
            const double r = arc->radius / s;
            path.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), arc->start * 180 / M_PI, arc->sweep * 180 / M_PI);
        } else {
            path.lineTo(pixelCentre(v.toPixel({to.x, to.y})));
        }
    }
    return path;
}

void drawEntity(QPainter& p, const ViewTransform& v, const Entity& e)
{
    auto px = [&](double x, double y) { return pixelCentre(v.toPixel({x, y})); };
    const double s = v.unitsPerPixel();
    switch (e.type) {
    case EntityType::Line:
        p.drawLine(px(e.points[0].x, e.points[0].y), px(e.points[1].x, e.points[1].y));
        break;
    case EntityType::Polyline: {
        if (e.points.isEmpty()) break;
        const bool bulged = std::any_of(e.points.begin(), e.points.end(), [](const Vertex& vx) { return vx.bulge != 0; });
        if (bulged) {
            p.drawPath(bulgedPolyline(v, e));
            break;
        }
        QPolygonF poly;
        for (const Vertex& vx : e.points) poly << px(vx.x, vx.y);
        if (e.closed) p.drawPolygon(poly);
        else p.drawPolyline(poly);
        break;
    }
    case EntityType::Circle:
    case EntityType::Arc: {
        const QPointF c = v.toPixel({e.points[0].x, e.points[0].y});
        const double r = e.radius / s;
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        if (e.type == EntityType::Circle) {
            p.drawEllipse(box);
        } else {
            double sweep = e.endAngle - e.startAngle;
            if (sweep <= 0) sweep += 2 * M_PI;
            p.drawArc(box, int(std::lround(e.startAngle * 180 / M_PI * 16)), int(std::lround(sweep * 180 / M_PI * 16)));
        }
        break;
    }
    case EntityType::Text: {
        QTransform t;
        t.translate(v.screen.width() / 2.0, v.screen.height() / 2.0);
        t.scale(1 / s, -1 / s);
        t.translate(-v.center.x(), -v.center.y());
        p.fillPath(t.map(textOutline(e)), p.pen().color());
        break;
    }
    }
}

}  // namespace

DrawingView::DrawingView(HostState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    setCursor(Qt::CrossCursor);
}

void DrawingView::setRubberBandBase(std::optional<QPointF> base)
{
    m_rubberBase = base;
    update();
}

void DrawingView::paintDrawing(QPainter& p) const
{
    p.fillRect(rect(), Qt::black);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const Entity& e : m_state.drawing.entities()) {
        if (!e.visible) continue;
        p.setPen(QPen(aciToRgb(m_state.drawing.effectiveColor(e)).toQColor(), 0));
        p.setBrush(Qt::NoBrush);
        drawEntity(p, m_state.view, e);
    }
}

QImage DrawingView::renderDrawing() const
{
    QImage image(size(), QImage::Format_RGB32);
    QPainter p(&image);
    paintDrawing(p);
    return image;
}

void DrawingView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintDrawing(p);
    if (m_rubberBase) {
        p.setPen(QPen(Qt::white, 0, Qt::DashLine));
        p.drawRect(QRectF(m_state.view.toPixel(*m_rubberBase), m_cursor));
    }
}

void DrawingView::resizeEvent(QResizeEvent*)
{
    m_state.view.screen = size();
    if (m_state.viewFollowsExtents) zoomToExtents(m_state);
}

void DrawingView::wheelEvent(QWheelEvent* e)
{
    const double steps = e->angleDelta().y() / 120.0;
    m_state.viewFollowsExtents = false;
    m_state.view.zoomAbout(e->position(), std::pow(1.25, steps));
    update();
}

void DrawingView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton) {
        m_state.viewFollowsExtents = false;
        m_panFrom = e->position();
    }
    if (e->button() == Qt::LeftButton) {
        // The pixel under the cursor, not the nearest pixel corner.
        const QPointF pos = e->position();
        emit picked(m_state.view.pickAt(int(std::floor(pos.x())), int(std::floor(pos.y()))));
    }
}

void DrawingView::mouseMoveEvent(QMouseEvent* e)
{
    m_cursor = e->position();
    if (m_panFrom) {
        const double s = m_state.view.unitsPerPixel();
        const QPointF d = e->position() - *m_panFrom;
        m_state.view.center -= QPointF(d.x() * s, -d.y() * s);
        m_panFrom = e->position();
    }
    emit cursorMoved(m_state.view.toDrawing(e->position()));
    update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton) m_panFrom.reset();
}

void DrawingView::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) emit escapePressed();
    else QWidget::keyPressEvent(e);
}
