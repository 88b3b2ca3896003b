#pragma once
// Plane geometry of a recognised text box, in drawing units.
#include <QString>

struct PointD {
    double x = 0, y = 0;
};

PointD midpoint(PointD a, PointD b);
double distance(PointD a, PointD b);
// Direction from a to b in radians, 0 <= result < 2*pi, counter-clockwise from +X.
// Nearly vertical or horizontal steps (below 0.00001) are taken as exact axes;
// coinciding points give 3*pi/2.
double directionAtoB(PointD a, PointD b);
double radiansToDegrees(double radians);
// Nearest multiple of 5 degrees, halves up, kept in [0, 360).
double snapTo5Degrees(double degrees);
// "%.1f" of the angle; "360.0" is written as "0.0".
QString formatAngle(double degrees);
