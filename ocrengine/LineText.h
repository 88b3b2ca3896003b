#pragma once
#include <string>

// Tidies one recognised line (UTF-8): trims blanks and line ends, collapses runs
// of blanks and drops a blank standing between two CJK characters (the
// recogniser inserts those; in Japanese text they are almost never real).
std::string cleanLineText(const std::string& utf8);

// True when a recognised line holds nothing but marks that graphics are read
// as (brackets, slashes, bars, dashes, dots, angles, rings and the letter O): a
// circle read as "()" or "O 〇", ticks as "／／", a dimension line as "ーー".
// Such a line is not text.
bool looksLikeGraphics(const std::string& utf8);
