#pragma once
// The LISP batch file: a small AutoLISP program that defines FAST_TEXT and
// calls it at once with one item per table row, so the CAD creates every text
// in a single load.
#include "results/GridModel.h"

#include <QString>
#include <QStringList>

// The colours the file carries: the layer colour of line 6, and the colour of
// texts that pass the attention test (the others follow the layer).
struct LspColours {
    int textAci = 30;
    int attnAci = 1;
    QString attnChars;  // Edit9
};

// The 30 lines that define FAST_TEXT and open its call.
QStringList lspFixedLines(int textAci);

// The text as the body of a LISP string: backslashes doubled, then double
// quotes escaped, and control characters written as \n \r \t or three octal
// digits, so the reader gives the text back unchanged.
QString escapeLispString(const QString& text);

// The data line of one table row, or an empty string when the row's text is
// blank. stxhorg, when not empty, replaces the row's height. A numeric item
// that is a plain decimal is copied as it is, another finite number is written
// in plain decimals, anything else takes its default (height 2.5, others 0).
QString lspDataLine(const TGridModel& grid, int row, const QString& stxhorg, const LspColours& colours);

// makeOcrLsp: deletes the file at path, writes the program for every
// non-blank row (code page 932, CR LF) and returns the number of data lines.
// Throws std::runtime_error when the file cannot be written.
int makeOcrLsp(const QString& path, const TGridModel& grid, const QString& stxhorg, const LspColours& colours);

// The command line that loads the file: (load "<path>")(princ) and Enter.
QString lispLoadCommand(const QString& path);
