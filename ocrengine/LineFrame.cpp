#include "ocrengine/LineFrame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Axes {
    double dx, dy, nx, ny;  // text direction and "down" across it, in source pixels
};

Axes axes(double angleDeg)
{
    const double a = angleDeg * kPi / 180;
    return {std::cos(a), -std::sin(a), std::sin(a), std::cos(a)};
}

double profileSharpness(const TextBlock& block, double angleDeg)
{
    const Axes ax = axes(angleDeg);
    const size_t n = block.xs.size();
    const size_t step = std::max<size_t>(1, n / 20000);
    std::vector<double> proj;
    proj.reserve(n / step + 1);
    for (size_t i = 0; i < n; i += step)
        proj.push_back(block.xs[i] * ax.nx + block.ys[i] * ax.ny);
    if (proj.empty())
        return 0;
    const auto [lo, hi] = std::minmax_element(proj.begin(), proj.end());
    std::vector<double> bins(size_t(*hi - *lo) + 2);
    for (double p : proj)
        bins[size_t(p - *lo)] += 1;
    double s = 0;
    for (double b : bins)
        s += b * b;
    return s;
}

}  // namespace

void LineFrame::toSource(double u, double v, double& x, double& y) const
{
    const Axes ax = axes(angleDeg);
    x = originX + (u / scale) * ax.dx + (v / scale) * ax.nx;
    y = originY + (u / scale) * ax.dy + (v / scale) * ax.ny;
}

std::array<float, 8> LineFrame::sourceQuad(int l, int t, int r, int b) const
{
    const double u[4] = {double(l), double(r), double(r), double(l)};
    const double v[4] = {double(t), double(t), double(b), double(b)};
    std::array<float, 8> q{};
    for (int i = 0; i < 4; ++i) {
        double x = 0, y = 0;
        toSource(u[i], v[i], x, y);
        q[size_t(2 * i)] = float(x);
        q[size_t(2 * i + 1)] = float(y);
    }
    return q;
}

LineFrame frameFor(const TextBlock& block, double angleDeg, double targetSize)
{
    const Axes ax = axes(angleDeg);
    double minD = 1e18, maxD = -1e18, minN = 1e18, maxN = -1e18;
    for (int cx : {block.left, block.right + 1})
        for (int cy : {block.top, block.bottom + 1}) {
            const double d = cx * ax.dx + cy * ax.dy, n = cx * ax.nx + cy * ax.ny;
            minD = std::min(minD, d);
            maxD = std::max(maxD, d);
            minN = std::min(minN, n);
            maxN = std::max(maxN, n);
        }
    LineFrame f;
    f.angleDeg = angleDeg;
    f.scale = std::clamp(targetSize / std::max(1.0, block.charSize), 1.0, 4.0);
    f.along = maxD - minD;
    f.across = maxN - minN;
    const double margin = std::max(4.0, 0.5 * block.charSize);
    minD -= margin;
    minN -= margin;
    maxD += margin;
    maxN += margin;
    f.originX = minD * ax.dx + minN * ax.nx;
    f.originY = minD * ax.dy + minN * ax.ny;
    f.width = int(std::ceil((maxD - minD) * f.scale));
    f.height = int(std::ceil((maxN - minN) * f.scale));
    return f;
}

LineFrame lineInputFrame(const std::vector<int>& xs, const std::vector<int>& ys, double angleDeg, int viewHeight,
                         double marginAbove, double marginBelow, double marginEnds)
{
    const Axes ax = axes(angleDeg);
    double minD = 1e18, maxD = -1e18, minN = 1e18, maxN = -1e18;
    for (size_t i = 0; i < xs.size(); ++i)
        for (double ox : {0.0, 1.0})
            for (double oy : {0.0, 1.0}) {
                const double x = xs[i] + ox, y = ys[i] + oy;
                const double d = x * ax.dx + y * ax.dy, n = x * ax.nx + y * ax.ny;
                minD = std::min(minD, d);
                maxD = std::max(maxD, d);
                minN = std::min(minN, n);
                maxN = std::max(maxN, n);
            }
    LineFrame f;
    f.angleDeg = angleDeg;
    if (xs.empty())
        return f;
    f.along = maxD - minD;
    f.across = maxN - minN;
    minN -= marginAbove * f.across;
    maxN += marginBelow * f.across;
    minD -= marginEnds * f.across;
    maxD += marginEnds * f.across;
    f.scale = viewHeight / (maxN - minN);
    f.originX = minD * ax.dx + minN * ax.nx;
    f.originY = minD * ax.dy + minN * ax.ny;
    f.width = std::max(1, int(std::lround((maxD - minD) * f.scale)));
    f.height = viewHeight;
    return f;
}

std::vector<uint8_t> renderView(const InkImage& ink, const TextLayout& layout, int blockIndex, const LineFrame& f)
{
    std::vector<uint8_t> view(size_t(f.width) * size_t(f.height), 255);
    const int w = ink.width, h = ink.height;
    auto sample = [&](int x, int y) -> double {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return 0;
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        const int b = layout.blockOf[i];
        return b == blockIndex || b == -1 ? ink.ink[i] : 0;
    };
    auto bilinear = [&](double u, double v) {
        double x = 0, y = 0;
        f.toSource(u, v, x, y);
        x -= 0.5;
        y -= 0.5;
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        return (sample(x0, y0) * (1 - fx) + sample(x0 + 1, y0) * fx) * (1 - fy)
             + (sample(x0, y0 + 1) * (1 - fx) + sample(x0 + 1, y0 + 1) * fx) * fy;
    };
    // Shrinking by bilinear sampling alone would drop 1-pixel strokes between samples.
    const int sub = f.scale < 1 ? int(std::ceil(1 / f.scale)) : 1;
    for (int v = 0; v < f.height; ++v)
        for (int u = 0; u < f.width; ++u) {
            double value = 0;
            for (int sv = 0; sv < sub; ++sv)
                for (int su = 0; su < sub; ++su)
                    value += bilinear(u + (su + 0.5) / sub, v + (sv + 0.5) / sub);
            value /= sub * sub;
            view[size_t(v) * size_t(f.width) + size_t(u)] = uint8_t(255 - std::lround(std::min(255.0, value)));
        }
    return view;
}

double sharpestAngle(const TextBlock& block, double baseDeg, double range)
{
    double best = baseDeg, bestScore = -1;
    for (double a = baseDeg - range; a <= baseDeg + range + 1e-9; a += 1.0) {
        const double s = profileSharpness(block, a);
        if (s > bestScore) {
            bestScore = s;
            best = a;
        }
    }
    const double coarse = best;
    for (double a = coarse - 0.75; a <= coarse + 0.75 + 1e-9; a += 0.25) {
        const double s = profileSharpness(block, a);
        if (s > bestScore) {
            bestScore = s;
            best = a;
        }
    }
    return best;
}
