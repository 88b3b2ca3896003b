#include "results/GridClipboard.h"

#include <QStringList>

namespace {

bool inGrid(const TGridModel& grid, int col, int row) {
    return col >= 0 && row >= 0 && col < grid.ColCount() && row < grid.RowCount();
}


}  // namespace

QString selectionText(const TGridModel& grid) {
    const TGridRect& s = grid.selection();
    QString text;
    for (int r = s.Top; r <= s.Bottom; ++r)
        for (int c = s.Left; c <= s.Right; ++c)
            text += grid.cell(c, r) + (c == s.Right ? QStringLiteral("\r\n") : QStringLiteral("\t"));
    return text;
}

int clearSelection(TGridModel& grid, TUndoCells& undo) {
    TGridFreeze frozen(grid);
    const TGridRect s = grid.selection();
    int recorded = 0;
    for (int r = s.Top; r <= s.Bottom; ++r)
        for (int c = s.Left; c <= s.Right; ++c) {
            undo.Add(&grid, c, r);
            grid.setCell(c, r, QString());
            ++recorded;
        }
    return std::max(recorded, 1);
}

QStringList clipboardLines(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();  // the unended rest after the last CR LF (all of it without one)
    return lines;
}

int pasteIntoSelection(TGridModel& grid, TUndoCells& undo, const QString& clipboardText) {
    const QStringList lines = clipboardLines(clipboardText);
    const int n = int(lines.size());
    if (n == 0) return 0;
    TGridFreeze frozen(grid);
    const TGridRect s = grid.selection();
    int written = 0;
    auto write = [&](int col, int row, const QString& field) {
        if (!inGrid(grid, col, row)) return;
        undo.Add(&grid, col, row);
        grid.setCell(col, row, field);
        ++written;
    };
    for (int j = 0; j < n; ++j) {
        const QStringList fields = lines[j].split(u'\t');
        for (int k = 0; k < int(fields.size()); ++k) {
            write(s.Left + k, s.Top + j, fields[k]);
            for (int row = s.Top + j + n; row <= s.Bottom; row += n) write(s.Left + k, row, fields[k]);
        }
    }
    return written;
}
