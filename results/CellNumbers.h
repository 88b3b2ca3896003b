#pragma once
// Numbers in the result table: written with fixed formats and "." as the
// decimal separator whatever the locale, read back leniently.
#include <QString>

// Characters <= U+0020 removed at both ends.
QString trimBlanks(const QString& s);

// The cell as a finite decimal number; blanks and control characters around it
// are allowed, anything else (empty, words, inf/nan, overflow) gives fallback.
double parseLenientNumber(const QString& cell, double fallback);
// The same for a 32-bit integer (no fraction, no exponent).
int parseLenientInt(const QString& cell, int fallback);

// printf "%.<decimals>f" in the C locale.
QString formatFixed(double value, int decimals);
