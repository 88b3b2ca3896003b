#pragma once
// Filling a data row of the result table in tests: its number and the cells the
// writing roads read. Row is any struct with the fields text, height, angle, x,
// y and width (each test keeps its own defaults).
#include "results/GridModel.h"

#include <QString>

template <class Row>
void setResultRow(TGridModel& grid, int r, const Row& row)
{
    grid.setCell(0, r, QString::number(r));
    grid.setCell(1, r, row.text);
    grid.setCell(2, r, row.height);
    grid.setCell(3, r, row.angle);
    grid.setCell(4, r, row.x);
    grid.setCell(5, r, row.y);
    grid.setCell(8, r, row.width);
}
