#include "imaging/ColorPalette.h"

#include <QPainter>
#include <cmath>

namespace AciPalette {
namespace {
// The shade digit of each of the rows 0..9: full-strength shades from darkest
// to brightest, then the pale ones from brightest to darkest.
constexpr int kShadeOfRow[10] = {8, 6, 4, 2, 0, 1, 3, 5, 7, 9};

// The integer division the palette uses for negative positions too (floor).
int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
}

int roundHalfEven(double x) { return int(std::nearbyint(x)); }

int aciInCell(int column, int row) {
    if (column < 0 || column >= Columns || row < 0 || row >= Rows) return 0;
    if (row < 10) return 10 * column + 10 + kShadeOfRow[row];
    if (row == 10) return column < 9 ? column + 1 : 0;
    return column < 6 ? column + 250 : 0;
}

QRect cellRect(int column, int row, double scale) {
    const auto edge = [scale](int i) { return roundHalfEven(CellSize * i * scale); };
    return QRect(QPoint(edge(column), edge(row)), QPoint(edge(column + 1) - 1, edge(row + 1) - 1));
}

QSize imageSize(double scale) {
    return QSize(roundHalfEven(CellSize * Columns * scale), roundHalfEven(CellSize * Rows * scale));
}

int aciAtPoint(int x, int y, double scale) {
    const int z = roundHalfEven(CellSize * scale);
    if (z <= 0) return 0;
    const int n = aciInCell(floorDiv(x, z), floorDiv(y, z));
    return n >= 1 && n <= 255 ? n : 0;
}

QImage paint(double scale, const QColor& background) {
    QImage image(imageSize(scale), QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 0));
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            const int n = aciInCell(column, row);
            if (n == 0) continue;
            const QRect cell = cellRect(column, row, scale);
            p.fillRect(cell, aciToRgb(n).toQColor());
            p.drawRect(cell.adjusted(0, 0, -1, -1));  // a cosmetic rect covers one more pixel
        }
    }
    return image;
}
}

QString aciChoiceText(int aci) {
    const Rgb c = aciToRgb(aci);
    return QStringLiteral(" %1 (%2, %3, %4)").arg(aci).arg(c.r).arg(c.g).arg(c.b);
}

std::optional<int> parseAciChoice(const QString& text, int fallback) {
    const QString t = text.trimmed();
    const qsizetype bracket = t.indexOf(u'(');
    if (bracket < 0) return std::nullopt;
    bool ok = false;
    const int n = t.left(bracket).trimmed().toInt(&ok);
    return ok ? n : fallback;
}
