#include "results/TextGeometry.h"

#include "results/CellNumbers.h"

#include <cmath>
#include <numbers>

PointD midpoint(PointD a, PointD b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

double distance(PointD a, PointD b) { return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)); }

double directionAtoB(PointD a, PointD b) {
    constexpr double pi = std::numbers::pi;
    constexpr double eps = 0.00001;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    if (std::abs(dx) < eps) return a.y < b.y ? pi / 2 : 3 * pi / 2;
    if (std::abs(dy) < eps) return a.x < b.x ? 0 : pi;
    const double t = std::abs(std::atan(dy / dx));
    if (dx < 0 && dy >= 0) return pi - t;
    if (dx >= 0 && dy < 0) return 2 * pi - t;
    if (dx < 0 && dy < 0) return pi + t;
    return t;
}

double radiansToDegrees(double radians) { return radians * 57.29577951308232; }

double snapTo5Degrees(double degrees) {
    double k = std::trunc(degrees / 5);
    if (degrees - 5 * k >= 2.5) k += 1;
    double snapped = 5 * k;
    if (snapped >= 360) snapped -= 360;
    if (snapped < 0) snapped += 360;
    return snapped;
}

QString formatAngle(double degrees) {
    const QString s = formatFixed(degrees, 1);
    return s == QLatin1String("360.0") ? QStringLiteral("0.0") : s;
}
