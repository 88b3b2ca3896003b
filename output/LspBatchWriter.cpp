#include "output/LspBatchWriter.h"

#include "output/TextFile.h"
#include "results/CellNumbers.h"
#include "results/CharChecks.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr int kColourByLayer = 256;
constexpr double kDefaultHeight = 2.5;

// A numeric item as the LISP reader takes it. A cell holding a plain decimal
// is copied as it is; another finite number (1e5, .5) is written in plain
// decimals; anything else takes the default. Copied raw, "nan" or "1e309"
// would stop FAST_TEXT at that row, and a cell holding ")" would end the
// quoted list and run the rest of the cell as a program.
QString lispNumber(const QString& cell, double fallback)
{
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]{1,9}(\\.[0-9]+)?$"));
    const QString text = trimBlanks(cell);
    if (plain.match(text).hasMatch()) return text;
    QString written = QString::number(parseLenientNumber(text, fallback), 'f', QLocale::FloatingPointShortest);
    if (!written.contains(QLatin1Char('.'))) written += QStringLiteral(".0");
    return written;
}

// FAST_TEXT fits the width factor as width / extent, capped at 1.0, and the CAD
// refuses a factor of 0, which would end the program at that row: a row without
// a positive width gets a width no text reaches, so it keeps its natural width.
QString lispWidth(const QString& cell)
{
    const double width = parseLenientNumber(trimBlanks(cell), 0);
    return std::isfinite(width) && width > 0 ? lispNumber(cell, 0) : QStringLiteral("1.0e30");
}

}  // namespace

QStringList lspFixedLines(int textAci)
{
    return {
        QStringLiteral("(defun c:FAST_TEXT (lst / doc ms layers item obj minp maxp strw txw insPt layobj aci)"),
        QStringLiteral("  (setq doc (vla-get-activedocument (vlax-get-acad-object)))"),
        QStringLiteral("  (setq ms (vla-get-modelspace doc))"),
        QStringLiteral("  (setq layers (vla-get-layers doc))"),
        QStringLiteral("  (setq layerObj (vla-add layers \"MIRTEX\"))"),
        QStringLiteral("  (vla-put-color layerObj ") + QString::number(textAci) + QStringLiteral(")"),
        QStringLiteral("  (foreach item lst"),
        QStringLiteral("    (setq aci (nth 6 item))"),
        QStringLiteral("    (setq insPt (vlax-3d-point (list (nth 0 item) (nth 1 item) 0)))"),
        QStringLiteral("    (setq obj (vla-addtext ms (nth 2 item) insPt (nth 3 item)))"),
        QStringLiteral("    (vla-put-layer obj \"MIRTEX\")"),
        QStringLiteral("    (if (< aci 256)(vla-put-color obj aci))"),
        QStringLiteral("    (vla-put-rotation obj (nth 5 item))"),
        QStringLiteral("    (vla-put-alignment obj 9)"),
        QStringLiteral("    (vla-put-textalignmentpoint obj insPt)"),
        QStringLiteral("    (vla-put-insertionpoint obj insPt)"),
        QStringLiteral("    (vla-getboundingbox obj 'minp 'maxp)"),
        QStringLiteral("    (setq strw (- (car (vlax-safearray->list maxp)) (car (vlax-safearray->list minp))))"),
        QStringLiteral("    (if (> strw 0.0)"),
        QStringLiteral("      (progn"),
        QStringLiteral("        (setq txw (/ (nth 4 item) strw))"),
        QStringLiteral("        (setq txw (/ (fix (* txw 100.0)) 100.0))"),
        QStringLiteral("        (if (> txw 1.0)(setq txw 1.0))"),
        QStringLiteral("        (vla-put-scalefactor obj txw)"),
        QStringLiteral("      )"),
        QStringLiteral("    )"),
        QStringLiteral("  )"),
        QStringLiteral("  (princ)"),
        QStringLiteral(")"),
        QStringLiteral("(c:FAST_TEXT '("),
    };
}

QString escapeLispString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default:
            // Any other control character would reach the file raw and could
            // end the line for the reader: three octal digits carry it.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\%1").arg(c.unicode(), 3, 8, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

QString lspDataLine(const TGridModel& grid, int row, const QString& stxhorg, const LspColours& colours)
{
    const QString text = trimBlanks(grid.cell(1, row));
    if (text.isEmpty()) return {};
    const QString height = lispNumber(stxhorg.isEmpty() ? grid.cell(2, row) : stxhorg, kDefaultHeight);
    const double radians = parseLenientNumber(grid.cell(3, row), 0) * kRadiansPerDegree;
    const int colour = checkAttnText(text, colours.attnChars) ? colours.attnAci : kColourByLayer;
    return QStringLiteral("(") + lispNumber(grid.cell(4, row), 0) + QLatin1Char(' ') + lispNumber(grid.cell(5, row), 0)
        + QStringLiteral(" \"") + escapeLispString(text) + QStringLiteral("\" ") + height + QLatin1Char(' ')
        + lispWidth(grid.cell(8, row)) + QLatin1Char(' ') + formatFixed(radians, 3) + QLatin1Char(' ')
        + QString::number(colour) + QStringLiteral(")");
}

int makeOcrLsp(const QString& path, const TGridModel& grid, const QString& stxhorg, const LspColours& colours)
{
    QFile::remove(path);
    QStringList lines = lspFixedLines(colours.textAci);
    int count = 0;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const QString line = lspDataLine(grid, row, stxhorg, colours);
        if (line.isEmpty()) continue;
        lines << line;
        ++count;
    }
    lines << QStringLiteral("))");
    writeTextLines(path, lines, TextEncoding::Cp932);
    return count;
}

QString lispLoadCommand(const QString& path)
{
    // escapeLispString doubles the backslashes of a Windows path; it also
    // keeps a double quote, legal in a file name here, from ending the string.
    return QStringLiteral("(load \"") + escapeLispString(path) + QStringLiteral("\")(princ)\r");
}
