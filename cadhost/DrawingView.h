#pragma once
// The drawing area: a native child window painting the drawing on black.
// Wheel zooms about the cursor, the middle button pans, a left click picks.
#include "cadhost/HostState.h"

#include <QImage>
#include <QWidget>
#include <optional>

class QPainter;

class DrawingView : public QWidget {
    Q_OBJECT
public:
    DrawingView(HostState& state, QWidget* parent = nullptr);
    // Rubber band from this drawing point to the cursor while a corner is asked for.
    void setRubberBandBase(std::optional<QPointF> base);
    // The drawing area's pixels as painted, without the rubber band: what an
    // export of the whole view holds.
    QImage renderDrawing() const;

signals:
    void picked(QPointF drawingPoint);
    void cursorMoved(QPointF drawingPoint);
    void escapePressed();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void paintDrawing(QPainter& p) const;
    HostState& m_state;
    std::optional<QPointF> m_rubberBase;
    std::optional<QPointF> m_panFrom;
    QPointF m_cursor;
};
