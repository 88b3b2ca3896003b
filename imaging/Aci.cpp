#include "imaging/Aci.h"

#include <cmath>
#include <cstdlib>

Rgb aciToRgb(int n) {
    static constexpr Rgb basic[9] = {{255, 0, 0},     {255, 255, 0},   {0, 255, 0},
                                     {0, 255, 255},   {0, 0, 255},     {255, 0, 255},
                                     {255, 255, 255}, {128, 128, 128}, {192, 192, 192}};
    // Widened first: the magnitude of INT_MIN does not fit an int.
    const long long a = std::llabs(static_cast<long long>(n));
    if (a >= 1 && a <= 9) return basic[a - 1];
    if (a >= 250 && a <= 254) {
        static constexpr int greys[5] = {51, 91, 132, 173, 214};
        const int v = greys[a - 250];
        return {v, v, v};
    }
    if (a < 10 || a > 249) return {255, 255, 255};

    const int hue = int(a / 10 - 1) * 15;
    const int shade = int(a % 10);
    static constexpr double values[5] = {255, 204, 153, 127, 76};
    const double v = values[shade / 2];
    const double low = (shade % 2 == 1) ? v / 2 : 0;
    const double f = (hue % 60) / 60.0;
    const double up = low + (v - low) * f;
    const double down = v - (v - low) * f;
    double r = 0, g = 0, b = 0;
    switch (hue / 60) {
    case 0: r = v, g = up, b = low; break;
    case 1: r = down, g = v, b = low; break;
    case 2: r = low, g = v, b = up; break;
    case 3: r = low, g = down, b = v; break;
    case 4: r = up, g = low, b = v; break;
    default: r = v, g = low, b = down; break;
    }
    return {int(r), int(g), int(b)};
}

double relativeLuminance(Rgb c) {
    auto linear = [](int channel) {
        const double x = channel / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

Rgb contrastColor(Rgb c) {
    const double l = relativeLuminance(c);
    Rgb best{0, 0, 0};
    double bestDiff = 0;
    for (int n = 0; n <= 256; ++n) {
        const Rgb candidate = aciToRgb(n);
        const double d = std::abs(l - relativeLuminance(candidate));
        if (d > bestDiff) {
            best = candidate;
            bestDiff = d;
        }
    }
    return best;
}
