// Fill mode of the text-erased images: the scanline fill against the plain
// per-pixel fill of each line's bounding rectangle, on the same 3000 x 1000
// image with the same 200 recognised lines, in the same run.
//
//   bench-erase-fill [repeats]
#include "imaging/EraseImage.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {
// Text lines as the OCR delivers them: rotated rectangles 80-700 pixels long,
// 12-48 high, mostly level, some steep; a few run over the image border.
std::vector<Quad> textLines(int count, int w, int h) {
    std::mt19937 rng(2026);
    std::uniform_real_distribution<double> x(-50, w), y(-20, h), len(80, 700), high(12, 48), unit(0, 1);
    std::vector<Quad> out;
    for (int i = 0; i < count; ++i) {
        const double a = unit(rng) < 0.8 ? (unit(rng) - 0.5) * 0.1 : unit(rng) * 2 * M_PI;
        const double x0 = x(rng), y0 = y(rng), l = len(rng), t = high(rng);
        const double c = std::cos(a), s = std::sin(a);
        const auto at = [&](double u, double v) { return QPoint(int(std::lround(x0 + u * c - v * s)), int(std::lround(y0 + u * s + v * c))); };
        out.push_back({at(0, 0), at(l, 0), at(l, t), at(0, t)});
    }
    return out;
}

template <class Fill>
double bestMs(const QImage& ground, const std::vector<Quad>& lines, int repeats, Fill fill, QImage& result) {
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        QImage img = ground.copy();
        QElapsedTimer t;
        t.start();
        for (const Quad& q : lines) fill(img, q, QColor(Qt::black));
        best = std::min(best, t.nsecsElapsed() / 1e6);
        result = img;
    }
    return best;
}
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QImage ground(3000, 1000, QImage::Format_RGB888);
    ground.fill(QColor(230, 230, 230));
    const std::vector<Quad> lines = textLines(200, ground.width(), ground.height());

    QImage fast, plain;
    const double fastMs = bestMs(ground, lines, repeats, fillQuad, fast);
    const double plainMs = bestMs(ground, lines, repeats, fillQuadPerPixel, plain);
    qint64 painted = 0;
    for (int y = 0; y < fast.height(); ++y)
        for (int x = 0; x < fast.width(); ++x) painted += fast.pixelColor(x, y) == QColor(Qt::black);

    std::printf("image 3000 x 1000, 200 lines, best of %d runs\n", repeats);
    std::printf("scanline fill:  %8.2f ms\n", fastMs);
    std::printf("per-pixel fill: %8.2f ms\n", plainMs);
    std::printf("speed-up:       %8.1f x\n", plainMs / fastMs);
    std::printf("painted pixels: %lld, identical: %s\n", painted, fast == plain ? "yes" : "NO");
    return fast == plain ? 0 : 1;
}
