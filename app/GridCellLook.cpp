#include "app/GridCellLook.h"

GridCellLook gridCellLook(const TGridModel& grid, int col, int row, bool gridFocused,
                          const GridHighlightColors& highlight) {
    const bool fixed = col < TGridModel::FixedCols || row < TGridModel::FixedRows;
    const TGridRect& s = grid.selection();
    const bool selected = !fixed && col >= s.Left && col <= s.Right && row >= s.Top && row <= s.Bottom;
    const Qt::Alignment h = row == 0 ? Qt::AlignHCenter : col == 1 ? Qt::AlignLeft : Qt::AlignRight;
    return {selected ? highlight.background : kGridCellBackground,
            selected ? highlight.text : kGridCellText,
            h | Qt::AlignVCenter,
            fixed,
            gridFocused && !fixed && col == grid.Col() && row == grid.Row()};
}
