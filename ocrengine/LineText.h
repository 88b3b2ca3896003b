#pragma once
#include <string>

// Tidies one recognised line (UTF-8): trims blanks and line ends, collapses runs
// of blanks and drops a blank standing between two CJK characters (the
// recogniser inserts those; in Japanese text they are almost never real).
std::string cleanLineText(const std::string& utf8);
