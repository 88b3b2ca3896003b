#include "RowPreview.h"

#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace {

// Side length beyond which a cut-out is refused: corners typed far outside
// any screen image would otherwise ask for gigabytes of white.
constexpr int kMaxPreviewSide = 16384;

void setPixelInside(QImage& image, int x, int y, QColor colour)
{
    if (image.rect().contains(x, y))
        image.setPixelColor(x, y, colour);
}

} // namespace

std::optional<std::array<int, 8>> previewCorners(const QString& pixelCorners)
{
    const QStringList fields = pixelCorners.split(u',');
    if (fields.size() != 8)
        return std::nullopt;
    std::array<int, 8> out{};
    for (int k = 0; k < 8; ++k) {
        bool ok = false;
        const int v = fields[k].toInt(&ok);
        out[size_t(k)] = ok ? v : -1;
    }
    return out;
}

std::optional<QImage> cutOutPreview(const QImage& source, const std::array<int, 8>& c, QColor lineColor)
{
    int minX = source.width(), minY = source.height(), maxX = 0, maxY = 0;
    for (int k = 0; k < 4; ++k) {
        minX = std::min(minX, c[size_t(2 * k)]);
        maxX = std::max(maxX, c[size_t(2 * k)]);
        minY = std::min(minY, c[size_t(2 * k + 1)]);
        maxY = std::max(maxY, c[size_t(2 * k + 1)]);
    }
    const qint64 width = qint64(maxX) - minX + 2 * kPreviewMargin;
    const qint64 height = qint64(maxY) - minY + 2 * kPreviewMargin;
    if (width <= 0 || height <= 0 || width > kMaxPreviewSide || height > kMaxPreviewSide)
        return std::nullopt;

    QImage drawn = source.convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&drawn);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(lineColor, 1));
        const QPoint corners[4] = {{c[0], c[1]}, {c[2], c[3]}, {c[4], c[5]}, {c[6], c[7]}};
        p.drawPolygon(corners, 4);
    }
    const int cx = (c[0] + c[6]) / 2, cy = (c[1] + c[7]) / 2;  // C++ division truncates toward zero
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            setPixelInside(drawn, cx + dx, cy + dy, (dx == 0 && dy == 0) ? lineColor : QColor(255, 0, 0));

    QImage out(int(width), int(height), QImage::Format_RGB32);
    out.fill(Qt::white);
    const QRect wanted(minX - kPreviewMargin, minY - kPreviewMargin, int(width), int(height));
    const QRect shown = wanted & drawn.rect();
    if (!shown.isEmpty()) {
        QPainter p(&out);
        p.drawImage(shown.topLeft() - wanted.topLeft(), drawn, shown);
    }
    return out;
}

std::optional<QImage> rowPreview(const QString& pngPath, const QString& pixelCorners, QColor lineColor)
{
    const std::optional<std::array<int, 8>> corners = previewCorners(pixelCorners);
    if (!corners)
        return std::nullopt;
    QImage source;
    if (!source.load(pngPath))
        return std::nullopt;
    return cutOutPreview(source, *corners, lineColor);
}
