#include "results/ResultReader.h"

#include "results/ResultExport.h"

#include <algorithm>
#include <array>

namespace {

constexpr int DefaultWidth = TGridModel::DefaultColWidth;

void setDefaultWidths(TGridModel& grid) {
    for (int c = 0; c < grid.ColCount(); ++c)
        grid.setColWidth(c, (c == ResultColumn::DrawCorners || c == ResultColumn::PixelCorners) ? 0 : DefaultWidth);
}

// Holds back the grid's layout notifications for one read, also on exceptions.
struct FrozenGrid {
    explicit FrozenGrid(TGridModel& g) : grid(g) { grid.freeze(); }
    ~FrozenGrid() { grid.thaw(); }
    TGridModel& grid;
};

void clearCells(TGridModel& grid, int row, int fromCol) {
    for (int c = fromCol; c < ResultColumn::Count; ++c) grid.setCell(c, row, QString());
}

QString joinNumbers(const std::array<double, 8>& v) {
    QStringList parts;
    for (double x : v) parts << formatFixed(x, 3);
    return parts.join(',');
}

QString joinNumbers(const std::array<int, 8>& v) {
    QStringList parts;
    for (int x : v) parts << QString::number(x);
    return parts.join(',');
}

// Columns 2..8 of one row from its eight corner items.
void writeGeometry(TGridModel& grid, int row, const ParsedResultLine& line, const CropGeometry& g,
                   double txhsc, bool degFix) {
    std::array<int, 8> px{};
    std::array<double, 8> v{};
    for (int k = 0; k < 8; ++k) {
        px[k] = parseLenientInt(line.cornerItems[k], 0);
        const double d = parseLenientNumber(line.cornerItems[k], 0) * g.Scale;
        v[k] = (k % 2 == 0) ? g.OriginX + d : g.OriginY - d;
    }
    const PointD p1{v[0], v[1]}, p2{v[2], v[3]}, p3{v[4], v[5]}, p4{v[6], v[7]};
    const double w = distance(p1, p2);
    const double h = distance(p1, p4);

    PointD a = midpoint(p1, p4), b = midpoint(p2, p3);
    double width = w, measuredHeight = h;
    if (line.text.size() > 1 && h >= 1.4 * w) {
        a = midpoint(p1, p2);
        b = midpoint(p4, p3);
        width = distance(a, b);
        measuredHeight = w;
        // Stored from P2 on, so that corners 1-2 span the top and 1-4 the start edge.
        std::rotate(px.begin(), px.begin() + 2, px.end());
        std::rotate(v.begin(), v.begin() + 2, v.end());
    }
    double degrees = radiansToDegrees(directionAtoB(a, b));
    if (degFix) degrees = snapTo5Degrees(degrees);

    grid.setCell(ResultColumn::X, row, formatFixed(a.x, 3));
    grid.setCell(ResultColumn::Y, row, formatFixed(a.y, 3));
    grid.setCell(ResultColumn::Width, row, formatFixed(width, 2));
    grid.setCell(ResultColumn::Height, row, formatFixed(measuredHeight * txhsc, 3));
    grid.setCell(ResultColumn::Angle, row, formatAngle(degrees));
    grid.setCell(ResultColumn::DrawCorners, row, joinNumbers(v));
    grid.setCell(ResultColumn::PixelCorners, row, joinNumbers(px));
}

// Rows 1..n from the n (at least one) lines.
void fillRows(const QStringList& ocrResultLines, const CropGeometry& geometry, double txhsc, bool degFix,
              TGridModel& grid, const TextWidthFn& textWidth) {
    const int n = int(ocrResultLines.size());
    FrozenGrid frozen(grid);
    if (grid.ColCount() < ResultColumn::Count) grid.setColCount(ResultColumn::Count);
    grid.setRowCount(n + 1);
    for (int i = 0; i < n; ++i) {
        const int row = i + 1;
        grid.setCell(ResultColumn::No, row, QString::number(row) + u' ');
        if (i == 0) grid.setColWidth(ResultColumn::No, textWidth(QStringLiteral("0000000")));

        const std::optional<ParsedResultLine> line = parseResultLine(ocrResultLines[i]);
        if (!line) {
            clearCells(grid, row, ResultColumn::Height);
            continue;
        }
        grid.setCell(ResultColumn::Text, row, line->text);
        const int needed = textWidth(line->text + QStringLiteral("0000"));
        if (needed > grid.colWidth(ResultColumn::Text)) grid.setColWidth(ResultColumn::Text, needed);
        if (!line->hasCorners()) {
            clearCells(grid, row, ResultColumn::Height);
            continue;
        }
        writeGeometry(grid, row, *line, geometry, txhsc, degFix);
    }
}

}  // namespace

void setupResultHeader(TGridModel& grid) {
    FrozenGrid frozen(grid);
    grid.setColCount(ResultColumn::Count);
    grid.setRowCount(5);
    static const char* const headers[ResultColumn::Count] = {"No.", "文字列", "文字高", "角度", "X 座標",
                                                              "Y 座標", "", "", "文字列幅"};
    for (int c = 0; c < ResultColumn::Count; ++c) grid.setCell(c, 0, QString::fromUtf8(headers[c]));
    setDefaultWidths(grid);
}

void resetForNewResult(TGridModel& grid) {
    FrozenGrid frozen(grid);
    grid.setRowCount(2);
    grid.clearRow(1);
    setDefaultWidths(grid);
}

std::optional<ParsedResultLine> parseResultLine(const QString& line) {
    qsizetype p = line.size();
    for (int found = 0; found < 4; ++found) {
        p = p > 0 ? line.lastIndexOf(u'(', p - 1) : -1;
        if (p < 0) return std::nullopt;
    }
    ParsedResultLine out;
    const QString head = line.left(std::max<qsizetype>(p - 2, 0));
    // The index ends at the entry's first ":", followed by one blank.
    const qsizetype colon = line.indexOf(u':');
    out.text = colon < 0 ? head : head.mid(colon + 2);

    QString corners = line.mid(p);
    corners.remove(u'(');
    corners.remove(u' ');
    corners.remove(u')');
    out.cornerItems = corners.split(u',');
    return out;
}

int readResultSL(const QStringList& ocrResultLines, const CropGeometry& geometry, double txhsc, bool degFix,
                 TGridModel& grid, const TextWidthFn& textWidth, const QString& exportPath) {
    const int n = int(ocrResultLines.size());
    if (n == 0) return 0;
    fillRows(ocrResultLines, geometry, txhsc, degFix, grid, textWidth);
    writeResultExport(exportPath, geometry, grid);
    return n;
}

double averageTextHeight(const TGridModel& grid) {
    const int dataRows = grid.RowCount() - 1;
    if (dataRows <= 0) return 0;
    double sum = 0;
    for (int r = 1; r <= dataRows; ++r) sum += parseLenientNumber(grid.cell(ResultColumn::Height, r), 0);
    return sum / dataRows;
}
