#pragma once
// The AutoCAD Color Index palette.
#include <QColor>

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    QColor toQColor() const { return QColor(r, g, b); }
};

// Any integer: the sign is ignored; 0 and numbers beyond 254 give white.
Rgb aciToRgb(int n);
// WCAG 2.0 relative luminance, 0 (black) .. 1 (white).
double relativeLuminance(Rgb c);
// The palette colour (ACI 0..256, first one wins) farthest in luminance from c.
Rgb contrastColor(Rgb c);
