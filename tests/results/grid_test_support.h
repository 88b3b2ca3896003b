#pragma once
// A result table filled for the grid command tests.
#include "results/GridModel.h"
#include "results/ResultReader.h"

#include <QString>
#include <QStringList>

// Header and n data rows: number "r ", text "t<r>", height "h<r>", the other
// columns "c<col>r<row>".
inline TGridModel filledGrid(int n) {
    TGridModel grid;
    setupResultHeader(grid);
    grid.setRowCount(n + 1);
    for (int r = 1; r <= n; ++r)
        for (int c = 0; c < grid.ColCount(); ++c) {
            QString text = QStringLiteral("c%1r%2").arg(c).arg(r);
            if (c == 0) text = QString::number(r) + u' ';
            if (c == 1) text = QStringLiteral("t%1").arg(r);
            if (c == 2) text = QStringLiteral("h%1").arg(r);
            grid.setCell(c, r, text);
        }
    return grid;
}

// Column col of the data rows, top to bottom.
inline QStringList column(const TGridModel& grid, int col) {
    QStringList out;
    for (int r = 1; r < grid.RowCount(); ++r) out << grid.cell(col, r);
    return out;
}
