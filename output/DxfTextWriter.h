#pragma once
// "temp.dxf": the result table as a minimal AutoCAD R12 DXF file of single-line
// TEXT entities on layer "MIRTEX", for the CAD to insert exploded. Every line
// ends in CR LF; the file is code page 932 without a byte-order mark.
#include <QString>
#include <QStringList>

class TGridModel;

struct DxfPoint {
    double x = 0, y = 0, z = 0;
    bool operator==(const DxfPoint&) const = default;
};

// The point at distance from base in the direction angle (radians, counter-
// clockwise from +X). The four axis directions are exact, without cos/sin.
DxfPoint polarPoint(const DxfPoint& base, double angle, double distance);

// The STYLE table with its one entry (TABLE ... ENDTAB).
void addDxfStyleTable(QStringList& lines, const QString& style, const QString& font, const QString& bigFont);

// One TEXT entity. justification "ML" is middle-left; the colour is an ACI
// number (256 = by layer). Numbers are written "%.12f".
void addDxfText(QStringList& lines, const QString& text, const DxfPoint& first, const DxfPoint& second,
                double height, double widthFactor, double rotationDeg, const QString& justification,
                const QString& layer, const QString& style, int colour);

// The width factor that makes the text as wide as the row says: 0.8 without a
// width, else width / length / height kept within [0.5, 1.0].
double dxfWidthFactor(double width, qsizetype length, double height);

// A cell's text as a TEXT value: blanks and control characters trimmed at both
// ends, and every control character left inside (a pasted line break, a TAB)
// written as a blank, since it would split the value line of the file.
QString dxfTextValue(const QString& cell);

// What the writer reads of the main window.
struct DxfTextSource {
    const QStringList& ocrResultLines;  // OcrResultLines: nothing is written when empty
    TGridModel& grid;                   // StringGrid1; its row count is reset to lines + 1
    QString attnChars;                  // Edit9
    int attnAci = 1;                    // AttnAci
};

// The file's lines for the table, and how many TEXT entities they hold.
QStringList dxfFileLines(const TGridModel& grid, double txhorg, const QString& attnChars, int attnAci,
                         int* written = nullptr);

// Writes the table to path (replacing any file there) and waits 100 ms for the
// CAD's sake. txhorg is a fixed height for every text, or 0 for each row's
// own. Returns the number of TEXT entities; 0 and no file when the recognised
// lines are empty. std::runtime_error when the file cannot be written.
int makeOcrDxf(double txhorg, const DxfTextSource& source, const QString& path);
