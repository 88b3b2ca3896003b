#include "DrawingView.h"
#include "../model/CadSession.h"
#include "../model/DrawingRenderer.h"
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

DrawingView::DrawingView(CadSession& session, QWidget* parent) : QWidget(parent), m_session(session)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setMinimumSize(200, 150);
    connect(&m_session, &CadSession::drawingChanged, this, qOverload<>(&QWidget::update));
    connect(&m_session, &CadSession::viewChanged, this, qOverload<>(&QWidget::update));
    // The band goes at once when a pick ends, so a screen copy taken right
    // after the pick shows only the drawing.
    connect(&m_session, &CadSession::pickChanged, this, qOverload<>(&QWidget::repaint));
}

void DrawingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    paintDrawing(painter, m_session.drawing(), m_session.view());
    paintRubberBand(painter);
}

void DrawingView::paintRubberBand(QPainter& painter)
{
    const auto pick = m_session.pendingPick();
    if (!pick || !pick->base || !m_mouse)
        return;
    const QPointF from = m_session.view().toPixel(*pick->base);
    const QPointF to = QPointF(*m_mouse) + QPointF(0.5, 0.5);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::white, 0, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (pick->corner)
        painter.drawRect(QRectF(from, to).normalized());
    else
        painter.drawLine(from, to);
}

void DrawingView::resizeEvent(QResizeEvent*)
{
    m_session.setScreenSize(size());
}

void DrawingView::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) {
        m_panFrom = p;
        setCursor(Qt::ClosedHandCursor);
    } else if (event->button() == Qt::LeftButton && m_session.picking()) {
        m_session.answerPick(m_session.view().pickedPoint(p.x(), p.y()));
    }
}

void DrawingView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    m_mouse = p;
    if (m_panFrom) {
        m_session.panByPixels(p - *m_panFrom);
        m_panFrom = p;
    }
    emit cursorMoved(m_session.view().pickedPoint(p.x(), p.y()));
    if (m_session.pendingPick() && m_session.pendingPick()->base)
        update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panFrom.reset();
        setCursor(Qt::CrossCursor);
    }
}

void DrawingView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        m_session.zoomAbout(event->position(), std::pow(1.25, steps));
    event->accept();
}
