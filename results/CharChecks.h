#pragma once
// Tests for texts that the CAD may not display (no code page 932 form) and for
// texts to be drawn in the attention colour.
#include "results/GridModel.h"

#include <QString>

// True when the text does not survive the round trip through code page 932
// unchanged (compared code unit by code unit, so a surrogate pair is flagged).
bool checkSjisText(const QString& text);
// True when checkSjisText is, or when any of the attention characters (each
// character of attnChars after trimming blanks at both ends) occurs in text.
bool checkAttnText(const QString& text, const QString& attnChars);
// The characters of text that do not survive the round trip, in order,
// duplicates kept; a surrogate pair counts as one character.
QString offendingSjisChars(const QString& text);
// The next data row after the current one whose text (column 1) is flagged by
// checkSjisText, wrapping round to row 1 and ending with the current row; -1
// when there is none.
int findNextFlaggedRow(const TGridModel& grid);
