#include "RowDisplay.h"

#include "CadConnection.h"
#include "RowPreview.h"
#include "platform/WindowSystem.h"

#include <QFileInfo>
#include <QThread>
#include <exception>

namespace {

const QColor kArrowColour(255, 100, 100);

void wait(const ZoomSettings& s, int ms)
{
    if (ms <= 0)
        return;
    if (s.sleep)
        s.sleep(ms);
    else
        QThread::msleep(ulong(ms));
}

bool has(const ZoomSettings& s, const char* word)
{
    return s.progId.contains(QLatin1String(word), Qt::CaseSensitive);
}

// Where the arrow is drawn and the offset of the drawing area on it.
struct Surface {
    quint64 window = 0;
    QPoint offset;
};

Surface arrowSurface(const ZoomSettings& s, quint64 drawingWindow)
{
    if (has(s, "Auto")) {
        wait(s, s.acadSleepMs);
        const quint64 child = firstChildWindow(drawingWindow);
        const quint64 area = child ? child : drawingWindow;
        return {area ? rootWindow() : 0, windowScreenPos(area)};
    }
    if (has(s, "PCAD"))
        return {drawingWindow ? rootWindow() : 0, windowScreenPos(drawingWindow)};
    return {drawingWindow, {}};
}

} // namespace

QList<QPoint> arrowTriangle(int width, int height, double ratio, QPoint offset)
{
    const int l = int(width * ratio);  // truncation toward zero
    const int s = int(width * ratio * 0.5);
    const QPoint tip(width / 2, height / 2);
    return {tip + offset, tip + QPoint(-l, -s) + offset, tip + QPoint(-l, s) + offset};
}

void zoomToPoint(const CadObject& application, double x, double y, double z, double ratio, int penWidth,
                 bool drawArrow, const ZoomSettings& settings)
{
    try {
        const CadObject document = application.getObject(QStringLiteral("ActiveDocument"));
        const double viewSize =
            document.invoke(QStringLiteral("GetVariable"), {QStringLiteral("VIEWSIZE")}).value(0).toDouble();
        application.invoke(QStringLiteral("ZoomCenter"), {point(x, y, z), viewSize});
        if (has(settings, "Gcad"))
            application.invoke(QStringLiteral("ZoomCenter"), {point(x, y, z), viewSize});
        if (!drawArrow)
            return;
        if (has(settings, "ZWCAD"))
            wait(settings, settings.zcadSleepMs);
        const quint64 drawingWindow = document.get(QStringLiteral("HWND")).toULongLong();
        const Surface surface = arrowSurface(settings, drawingWindow);
        const QList<double> screen =
            toPoint(document.invoke(QStringLiteral("GetVariable"), {QStringLiteral("SCREENSIZE")}).value(0));
        const int w = int(screen.value(0)), h = int(screen.value(1));
        if (surface.window == 0 || w <= 0 || h <= 0)
            return;
        drawPolygon(surface.window, arrowTriangle(w, h, ratio, surface.offset), kArrowColour, penWidth);
    } catch (const std::exception&) {
        // The row display never reports a failure of the CAD.
    }
}

std::optional<QImage> showRowInDrawing(double x, double y, const QString& pixelCorners,
                                       const RowDisplaySettings& settings)
{
    CadObject application;
    if (!connectCad(settings.zoom.progId, application, false))
        return std::nullopt;
    if (settings.centre)
        zoomToPoint(application, x, y, 0, 0.05, 3, settings.arrow, settings.zoom);
    if (!QFileInfo::exists(settings.sourcePng))
        return std::nullopt;
    return rowPreview(settings.sourcePng, pixelCorners, settings.lineColor);
}
