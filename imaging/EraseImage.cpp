#include "imaging/EraseImage.h"

#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {
using Wide = __int128;  // corner products of 32-bit coordinates overflow 64 bits

// One edge met by the centre row of a pixel row: the pixels from xStart on lie
// right of it; dir is +1 for a downward edge, -1 for an upward one.
struct Crossing {
    long long xStart;
    int dir;
};

Wide ceilDiv(Wide n, Wide d) {  // d > 0
    return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

// Works in doubled coordinates so that pixel centres (2x + 1, 2y + 1) are
// integers: a corner (x, y) is (2x, 2y). A centre row never meets a corner's
// row, so no crossing is ever counted twice.
std::optional<Crossing> crossing(const QPoint& a, const QPoint& b, long long centreY) {
    const Wide ay = Wide(a.y()) * 2, by = Wide(b.y()) * 2;
    int dir = 0;
    if (ay < centreY && centreY < by) dir = 1;
    else if (by < centreY && centreY < ay) dir = -1;
    else return std::nullopt;
    // The crossing lies at x = n / d; pixel x is right of it when n <= (2x + 1) d.
    Wide d = by - ay;
    Wide n = Wide(a.x()) * 2 * d + (centreY - ay) * (Wide(b.x()) * 2 - Wide(a.x()) * 2);
    if (d < 0) n = -n, d = -d;
    const Wide x = ceilDiv(n - d, 2 * d);
    const Wide limit = Wide(1) << 40;  // far beyond any image, keeps the value in 64 bits
    return Crossing{static_cast<long long>(std::clamp(x, -limit, limit)), dir};
}

// The crossings of the pixel row, sorted from left to right.
std::vector<Crossing> rowCrossings(const Quad& q, int y) {
    std::vector<Crossing> out;
    for (int i = 0; i < 4; ++i)
        if (auto c = crossing(q[i], q[(i + 1) % 4], 2LL * y + 1)) out.push_back(*c);
    std::sort(out.begin(), out.end(), [](const Crossing& a, const Crossing& b) { return a.xStart < b.xStart; });
    return out;
}

// The colour as the bytes of one pixel of the image's format.
QByteArray pixelBytes(const QImage& image, const QColor& colour) {
    QImage one(1, 1, image.format());
    one.fill(colour);
    return QByteArray(reinterpret_cast<const char*>(one.constScanLine(0)), one.depth() / 8);
}

// Writes one pixel, then copies what is written in doubling blocks.
void fillRun(uchar* line, long long from, long long to, const QByteArray& pixel) {
    if (from >= to) return;
    const long long n = pixel.size(), total = (to - from) * n;
    uchar* run = line + from * n;
    std::memcpy(run, pixel.constData(), n);
    for (long long done = n; done < total; done *= 2) std::memcpy(run + done, run, std::min(done, total - done));
}
}

std::optional<Quad> parseCornerTail(const QString& line) {
    qsizetype start = line.size();
    for (int found = 0; found < 4; ++found) {
        start = start > 0 ? line.lastIndexOf(u'(', start - 1) : -1;
        if (start < 0) return std::nullopt;
    }
    QString tail = line.mid(start);
    tail.remove(u'(').remove(u' ').remove(u')');
    const QStringList fields = tail.split(u',');
    if (fields.size() != 8) return std::nullopt;
    int v[8];
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        v[i] = fields[i].toInt(&ok);
        if (!ok) v[i] = 0;
    }
    return Quad{QPoint(v[0], v[1]), QPoint(v[2], v[3]), QPoint(v[4], v[5]), QPoint(v[6], v[7])};
}

bool quadContainsPixel(const Quad& q, int x, int y) {
    int winding = 0;
    for (const Crossing& c : rowCrossings(q, y))
        if (x >= c.xStart) winding += c.dir;
    return winding != 0;
}

void fillQuad(QImage& image, const Quad& q, const QColor& colour) {
    const int w = image.width(), h = image.height();
    const auto [top, bottom] = std::minmax({q[0].y(), q[1].y(), q[2].y(), q[3].y()});
    const int y0 = std::max(top, 0), y1 = std::min(bottom, h);  // rows whose centres may be inside
    if (y0 >= y1 || w <= 0) return;
    const QByteArray pixel = pixelBytes(image, colour);
    for (int y = y0; y < y1; ++y) {
        uchar* line = image.scanLine(y);
        int winding = 0;
        long long runStart = 0;
        for (const Crossing& c : rowCrossings(q, y)) {
            const long long x = std::clamp<long long>(c.xStart, 0, w);
            if (winding != 0) fillRun(line, runStart, x, pixel);
            winding += c.dir;
            runStart = x;
        }
    }
}

void fillQuadPerPixel(QImage& image, const Quad& q, const QColor& colour) {
    const int w = image.width(), h = image.height();
    int minX = w - 1, minY = h - 1, maxX = 0, maxY = 0;
    for (const QPoint& p : q) {
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    const QRgb rgb = colour.rgb();
    for (int y = std::max(minY, 0); y <= std::min(maxY, h - 1); ++y)
        for (int x = std::max(minX, 0); x <= std::min(maxX, w - 1); ++x)
            if (quadContainsPixel(q, x, y)) image.setPixel(x, y, rgb);
}

void strikeThrough(QImage& image, const Quad& q, const QColor& colour) {
    const auto mid = [](const QPoint& a, const QPoint& b) {
        return QPoint(int((qint64(a.x()) + b.x()) / 2), int((qint64(a.y()) + b.y()) / 2));
    };
    QPainter p(&image);
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(mid(q[0], q[3]), mid(q[1], q[2]));
}

QSize limitedSize(const QSize& size) {
    const qint64 longer = std::max(size.width(), size.height());
    if (longer <= MaxFilledSide) return size;
    // trunc(side * 2048 / longer) in integers, so the longer side is exactly 2048;
    // a sliver keeps at least one pixel.
    const auto side = [longer](int s) { return std::max(1, int(qint64(s) * MaxFilledSide / longer)); };
    return QSize(side(size.width()), side(size.height()));
}

QImage limitFilledImage(const QImage& image) {
    const QSize target = limitedSize(image.size());
    if (target == image.size()) return image;
    // Qt's smooth scaling averages the source area of each target pixel when shrinking.
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(image.format());
}
