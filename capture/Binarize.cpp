#include "capture/Binarize.h"

#include <array>
#include <cstdint>

namespace {

int otsuOnRgb888(const QImage& image) {
    const int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0) return 0;
    std::array<uint32_t, 256> hist{};
    for (int y = 0; y < h; ++y) {
        const uchar* p = image.constScanLine(y);
        for (int x = 0; x < w; ++x, p += 3) ++hist[(p[0] + p[1] + p[2]) / 3];
    }
    const double total = double(w) * double(h);
    double sum = 0;
    for (int i = 0; i < 256; ++i) sum += double(int64_t(i) * hist[i]);

    double wB = 0, sumB = 0, best = -1.0;
    int threshold = 0;
    for (int t = 0; t < 256; ++t) {
        wB += hist[t];
        if (wB == 0) continue;
        const double wF = total - wB;
        if (wF == 0) break;
        sumB += double(int64_t(t) * hist[t]);
        const double mB = sumB / wB;
        const double mF = (sum - sumB) / wF;
        const double v = wB * wF * (mB - mF) * (mB - mF);
        if (v > best) {  // strictly: on equal values the smaller t stays
            best = v;
            threshold = t;
        }
    }
    return threshold;
}

}  // namespace

int otsuThreshold(const QImage& image) {
    if (image.isNull()) return 0;
    if (image.format() == QImage::Format_RGB888) return otsuOnRgb888(image);
    return otsuOnRgb888(image.convertToFormat(QImage::Format_RGB888));
}

void binarizeBitmap(QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return;
    if (image.format() != QImage::Format_RGB888) image.convertTo(QImage::Format_RGB888);
    const int t = otsuOnRgb888(image);
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const uchar v = (p[0] + p[1] + p[2]) / 3 <= t ? 0 : 255;
            p[0] = p[1] = p[2] = v;
        }
    }
}
