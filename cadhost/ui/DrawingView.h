#pragma once
// The drawing area: a native child window (its X id is the document's HWND)
// showing the session's view; left click answers a pick, the wheel zooms
// about the cursor, the middle button pans.
#include <QPoint>
#include <QWidget>
#include <optional>

class CadSession;

class DrawingView : public QWidget {
    Q_OBJECT
public:
    explicit DrawingView(CadSession& session, QWidget* parent = nullptr);

signals:
    void cursorMoved(QPointF drawingPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void paintRubberBand(QPainter& painter);

    CadSession& m_session;
    std::optional<QPoint> m_panFrom;
    std::optional<QPoint> m_mouse;
};
