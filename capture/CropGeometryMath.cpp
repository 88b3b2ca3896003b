#include "capture/CropGeometryMath.h"
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

double viewScale(const CadViewVars& view)
{
    if (view.screenW <= 0 || view.screenH <= 0)
        return 0;
    // Divide first, then multiply: the CAD's own order of operations.
    const double viewWidth = view.viewSize / view.screenH * view.screenW;
    return viewWidth / view.screenW;
}

static std::optional<int> truncatedQuotient(double offset, double scale)
{
    const double q = std::trunc(offset / scale);
    if (!std::isfinite(q) || q < INT_MIN / 2 || q > INT_MAX / 2)
        return std::nullopt;
    return static_cast<int>(q);
}

std::optional<int> pixelColumn(double x, const CadViewVars& view, double scale)
{
    const auto q = truncatedQuotient(x - view.centerX, scale);
    if (!q)
        return std::nullopt;
    return *q + view.screenW / 2;
}

std::optional<int> pixelRow(double y, const CadViewVars& view, double scale)
{
    const auto q = truncatedQuotient(y - view.centerY, scale);
    if (!q)
        return std::nullopt;
    return view.screenH / 2 - *q;
}

QString cropSizeText(double widthUnits, double heightUnits, int widthPx, int heightPx, double scale)
{
    return QString::asprintf(" (%.1f,%.1f)/(%d,%d)=%.6f", widthUnits, heightUnits, widthPx, heightPx, scale);
}

std::optional<CropCut> computeCropCut(const CadViewVars& view, QPointF p1, QPointF p2)
{
    const double scale = viewScale(view);
    if (!(scale > 0) || !std::isfinite(scale))
        return std::nullopt;
    const double left = std::min(p1.x(), p2.x()), right = std::max(p1.x(), p2.x());
    const double bottom = std::min(p1.y(), p2.y()), top = std::max(p1.y(), p2.y());
    const auto x1 = pixelColumn(left, view, scale), x2 = pixelColumn(right, view, scale);
    const auto y1 = pixelRow(top, view, scale), y2 = pixelRow(bottom, view, scale);
    if (!x1 || !x2 || !y1 || !y2)
        return std::nullopt;
    CropCut cut;
    cut.pixels = QRect(*x1, *y1, *x2 - *x1, *y2 - *y1);
    cut.geometry.Scale = scale;
    cut.geometry.OriginX = left;
    cut.geometry.OriginY = top;
    cut.geometry.WidthPx = cut.pixels.width();
    cut.geometry.HeightPx = cut.pixels.height();
    cut.sizeText = cropSizeText(right - left, top - bottom, cut.pixels.width(), cut.pixels.height(), scale);
    return cut;
}

QRect clipToArea(const QRect& cut, QSize area)
{
    return cut.intersected(QRect(QPoint(0, 0), area));
}

QImage cutFromImage(const QImage& source, QPoint sourceOrigin, const QRect& cut)
{
    QImage out(cut.size(), QImage::Format_RGB888);
    if (out.isNull())
        return out;
    out.fill(Qt::black);
    const QRect overlap = QRect(sourceOrigin, source.size()).intersected(cut);
    if (overlap.isEmpty())
        return out;
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(overlap.topLeft() - cut.topLeft(), source,
                      QRect(overlap.topLeft() - sourceOrigin, overlap.size()));
    return out;
}
