#include "output/DxfTextWriter.h"

#include "output/TextFile.h"
#include "results/CellNumbers.h"
#include "results/CharChecks.h"
#include "results/GridModel.h"

#include <QThread>
#include <cmath>

namespace {

const QString kLayer = QStringLiteral("MIRTEX");
const QString kStyle = QStringLiteral("Standard");

void group(QStringList& lines, const char* code, const QString& value) {
    lines << QString::fromLatin1(code) << value;
}

QString fixed12(double value) { return formatFixed(value, 12); }

}  // namespace

DxfPoint polarPoint(const DxfPoint& base, double angle, double distance) {
    if (angle == 0) return {base.x + distance, base.y, base.z};
    if (angle == 1.5707963267948966) return {base.x, base.y + distance, base.z};
    if (angle == 3.141592653589793) return {base.x - distance, base.y, base.z};
    if (angle == 4.71238898038469) return {base.x, base.y - distance, base.z};
    return {base.x + distance * std::cos(angle), base.y + distance * std::sin(angle), base.z};
}

void addDxfStyleTable(QStringList& lines, const QString& style, const QString& font, const QString& bigFont) {
    group(lines, "  0", QStringLiteral("TABLE"));
    group(lines, "  2", QStringLiteral("STYLE"));
    group(lines, " 70", QStringLiteral("     1"));
    group(lines, "  0", QStringLiteral("STYLE"));
    group(lines, "  2", style);
    group(lines, " 70", QStringLiteral("     0"));
    group(lines, " 40", QStringLiteral("0.0"));
    group(lines, " 41", QStringLiteral("1.0"));
    group(lines, " 50", QStringLiteral("0.0"));
    group(lines, " 71", QStringLiteral("     0"));
    group(lines, " 42", QStringLiteral("2.5"));
    group(lines, "  3", font);
    group(lines, "  4", bigFont);
    group(lines, "  0", QStringLiteral("ENDTAB"));
}

void addDxfText(QStringList& lines, const QString& text, const DxfPoint& first, const DxfPoint& second,
                double height, double widthFactor, double rotationDeg, const QString& justification,
                const QString& layer, const QString& style, int colour) {
    // Only middle-left is ever asked for; other codes keep left/baseline.
    const bool middleLeft = justification == QLatin1String("ML");
    group(lines, "  0", QStringLiteral("TEXT"));
    group(lines, "  8", layer);
    group(lines, "  6", QStringLiteral("BYLAYER"));
    group(lines, " 62", QString::number(colour));
    group(lines, " 48", QStringLiteral("1.0"));
    group(lines, " 10", fixed12(first.x));
    group(lines, " 20", fixed12(first.y));
    group(lines, " 40", fixed12(height));
    group(lines, "  1", text);
    group(lines, " 50", fixed12(rotationDeg));
    group(lines, " 41", fixed12(widthFactor));
    group(lines, "  7", style);
    group(lines, " 72", QStringLiteral("0"));
    group(lines, " 73", middleLeft ? QStringLiteral("2") : QStringLiteral("0"));
    group(lines, " 11", fixed12(second.x));
    group(lines, " 21", fixed12(second.y));
}

double dxfWidthFactor(double width, qsizetype length, double height) {
    if (!(width > 0)) return 0.8;
    double factor = width / double(length) / height;
    if (factor > 1.0) factor = 1.0;
    if (factor < 0.5) factor = 0.5;
    return factor;
}

QString dxfTextValue(const QString& cell) {
    QString text = trimBlanks(cell);
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
    return text;
}

QStringList dxfFileLines(const TGridModel& grid, double txhorg, const QString& attnChars, int attnAci,
                         int* written) {
    QStringList lines;
    group(lines, "  0", QStringLiteral("SECTION"));
    group(lines, "  2", QStringLiteral("HEADER"));
    group(lines, "  9", QStringLiteral("$ACADVER"));
    group(lines, "  1", QStringLiteral("AC1009"));
    group(lines, "  0", QStringLiteral("ENDSEC"));
    group(lines, "  0", QStringLiteral("SECTION"));
    group(lines, "  2", QStringLiteral("TABLES"));
    addDxfStyleTable(lines, kStyle, QStringLiteral("txt.shx"), QStringLiteral("bigfont.shx"));
    group(lines, "  0", QStringLiteral("ENDSEC"));
    group(lines, "  0", QStringLiteral("SECTION"));
    group(lines, "  2", QStringLiteral("ENTITIES"));

    int count = 0;
    for (int r = 1; r < grid.RowCount(); ++r) {
        const QString text = dxfTextValue(grid.cell(1, r));
        if (text.isEmpty()) continue;
        ++count;
        const double height = txhorg != 0 ? txhorg : parseLenientNumber(grid.cell(2, r), 2.5);
        const double widthFactor = dxfWidthFactor(parseLenientNumber(grid.cell(8, r), 0), text.size(), height);
        const double rotation = parseLenientNumber(grid.cell(3, r), 0);
        const DxfPoint second{parseLenientNumber(grid.cell(4, r), 0), parseLenientNumber(grid.cell(5, r), 0), 0};
        // Half a height from the middle-left point towards the baseline; the
        // radians are formed exactly so, so that 90, 180, 270 and 360 degrees
        // hit the exact axis cases.
        const double towardsBaseline = rotation * 0.017453292519943295 - 1.5707963267948966;
        const DxfPoint first = polarPoint(second, towardsBaseline, height / 2);
        const int colour = checkAttnText(text, attnChars) ? attnAci : 256;
        addDxfText(lines, text, first, second, height, widthFactor, rotation, QStringLiteral("ML"), kLayer, kStyle,
                   colour);
    }
    group(lines, "  0", QStringLiteral("ENDSEC"));
    group(lines, "  0", QStringLiteral("EOF"));
    if (written) *written = count;
    return lines;
}

int makeOcrDxf(double txhorg, const DxfTextSource& source, const QString& path) {
    if (source.ocrResultLines.isEmpty()) return 0;
    source.grid.setRowCount(int(source.ocrResultLines.size()) + 1);
    int count = 0;
    const QStringList lines = dxfFileLines(source.grid, txhorg, source.attnChars, source.attnAci, &count);
    writeTextLines(path, lines, TextEncoding::Cp932);
    QThread::msleep(100);  // the CAD reads the file right after
    return count;
}
