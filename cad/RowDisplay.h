#pragma once
// Showing a result row in the CAD: the view centred on the row's point, a red
// triangle drawn over the CAD's window pointing at it, and a preview cut out
// of the OCR source image around the recognised line.
#include "CadObject.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

// What differs between CAD products, told by words in the ProgID
// (case-sensitive, anywhere): "Gcad" zooms twice, "ZWCAD" and "Auto" wait
// before the arrow, "Auto" and "PCAD" draw on the screen at the drawing
// window's position.
struct ZoomSettings {
    QString progId;
    int zcadSleepMs = 300;
    int acadSleepMs = 200;
    std::function<void(int ms)> sleep;  // a blocking wait; the thread sleeps when empty
};

// The closed triangle pointing right with its tip at the centre of a W × H
// drawing area: L = Trunc(W × ratio) long, 2 × S tall with S = Trunc(W × ratio
// × 0.5), moved by offset. Tip first.
QList<QPoint> arrowTriangle(int width, int height, double ratio, QPoint offset);

// Centres the CAD's view on the point at the current view height and, when
// drawArrow, draws the triangle with a solid pen of penWidth in RGB 255, 100,
// 100 over the CAD's window, where it stays until the CAD repaints. Every
// failure ends it silently.
void zoomToPoint(const CadObject& application, double x, double y, double z, double ratio, int penWidth,
                 bool drawArrow, const ZoomSettings& settings);

struct RowDisplaySettings {
    ZoomSettings zoom;
    bool centre = false;      // "中央"
    bool arrow = false;       // "矢印"
    QColor lineColor;         // the frame colour of the preview
    QString sourcePng;        // the OCR source image
};

// The CAD part of showing a row whose point is (x, y): nothing at all when no
// CAD runs for the ProgID; the zoom (and arrow) when "中央" is ticked; then the
// preview of the line whose pixel corners are given, or nothing when the
// preview is to stay as it is.
std::optional<QImage> showRowInDrawing(double x, double y, const QString& pixelCorners,
                                       const RowDisplaySettings& settings);
