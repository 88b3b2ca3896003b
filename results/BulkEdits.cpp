#include "results/BulkEdits.h"

#include "results/CellNumbers.h"
#include "results/ResultReader.h"

#include <cmath>

namespace {

// step × K with K = value / step truncated toward zero, plus one when the rest
// is at least half a step.
double roundHalfUp(double value, double step) {
    double k = std::trunc(value / step);
    if (value - k * step >= step / 2) k += 1;
    // A zero result is written "0.0", never "-0.0".
    return k == 0 ? 0.0 : step * k;
}

// Rounds the non-blank cells of the column; nothing for a step that is not > 0.
template <class Round>
void roundColumns(TGridModel& grid, const QString& stepText, std::initializer_list<int> cols, Round round) {
    const double step = parseLenientNumber(stepText, 0);
    if (!(step > 0)) return;
    TGridFreeze frozen(grid);
    for (int r = TGridModel::FixedRows; r < grid.RowCount(); ++r)
        for (int c : cols) {
            const QString cell = grid.cell(c, r);
            if (trimBlanks(cell).isEmpty()) continue;
            // A step so small that the quotient overflows rounds to no number: the cell stays.
            const double rounded = round(parseLenientNumber(cell, 0), step);
            if (std::isfinite(rounded)) grid.setCell(c, r, formatFixed(rounded, 1));
        }
}

}  // namespace

double roundAngle(double angle, double step) {
    double r = roundHalfUp(angle, step);
    if (r >= 360) r -= 360;
    if (r < 0) r += 360;
    return r;
}

double roundCoordinate(double value, double step) {
    const double r = roundHalfUp(std::fabs(value), step);
    return (value < 0 && r != 0) ? -r : r;
}

void roundAngles(TGridModel& grid, const QString& stepText) {
    roundColumns(grid, stepText, {ResultColumn::Angle}, roundAngle);
}

void roundCoordinates(TGridModel& grid, const QString& stepText) {
    roundColumns(grid, stepText, {ResultColumn::X, ResultColumn::Y}, roundCoordinate);
}

QString replaceAll(const QString& text, const QString& search, const QString& replacement) {
    if (search.isEmpty()) return text;
    QString out = text;
    out.replace(search, replacement, Qt::CaseSensitive);
    return out;
}

int replaceInTexts(TGridModel& grid, TUndoCells& undo, const QString& search, const QString& replacement) {
    TGridFreeze frozen(grid);
    int n = 0;
    for (int r = TGridModel::FixedRows; r < grid.RowCount(); ++r) {
        const QString old = grid.cell(ResultColumn::Text, r);
        const QString replaced = replaceAll(old, search, replacement);
        if (replaced == old) continue;
        undo.Add(&grid, ResultColumn::Text, r);
        grid.setCell(ResultColumn::Text, r, replaced);
        ++n;
    }
    return n;
}

QString replacedStatusLine(int n) { return QString::number(n) + QStringLiteral(" 個の文字列を置換しました．"); }

void partialReplace(TGridModel& grid, TUndoCells& undo, int& sgUndoCnt, const AskReplacement& ask,
                    const std::function<void(const QString&)>& statusLine) {
    const int row = grid.Row();
    if (grid.cell(ResultColumn::No, row).isEmpty() || grid.cell(ResultColumn::Text, row).isEmpty()) return;
    const std::optional<ReplaceRequest> request = ask(grid.cell(ResultColumn::Text, row));
    if (!request) return;
    const int n = replaceInTexts(grid, undo, request->search, request->replacement);
    if (n > 0) sgUndoCnt = n;
    statusLine(replacedStatusLine(n));
}
