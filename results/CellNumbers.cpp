#include "results/CellNumbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

QString trimBlanks(const QString& s) {
    qsizetype first = 0, last = s.size();
    while (first < last && s.at(first).unicode() <= 0x20) ++first;
    while (last > first && s.at(last - 1).unicode() <= 0x20) --last;
    return s.mid(first, last - first);
}

namespace {

// The trimmed cell as ASCII without a leading "+", or empty when it holds
// anything beyond ASCII (no number does).
std::string numberText(const QString& cell) {
    const QString t = trimBlanks(cell);
    for (QChar c : t)
        if (c.unicode() > 0x7F) return {};
    std::string s = t.toStdString();
    if (!s.empty() && s[0] == '+' && (s.size() == 1 || s[1] != '-')) s.erase(0, 1);
    return s;
}

}  // namespace

double parseLenientNumber(const QString& cell, double fallback) {
    const std::string s = numberText(cell);
    if (s.empty()) return fallback;
    // from_chars also takes "inf" and "nan", which are no cell numbers.
    for (char c : s)
        if (!(std::isdigit(uchar(c)) || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
            return fallback;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return fallback;
    return v;
}

int parseLenientInt(const QString& cell, int fallback) {
    const std::string s = numberText(cell);
    if (s.empty()) return fallback;
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return fallback;
    return v;
}

QString formatFixed(double value, int decimals) {
    // Qt's own formatter: no locale, always ".".
    return QString::asprintf("%.*f", decimals, value);
}
