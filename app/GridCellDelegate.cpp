#include "app/GridCellDelegate.h"

#include "app/GridCellPainter.h"
#include "app/GridTableModel.h"

#include <QAbstractItemView>
#include <QPainter>

GridCellDelegate::GridCellDelegate(const TGridModel& grid, QAbstractItemView& view)
    : QStyledItemDelegate(&view), m_grid(grid), m_view(view) {}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const int col = GridTableModel::gridCol(index), row = GridTableModel::gridRow(index);
    const GridCellLook look =
        gridCellLook(m_grid, col, row, m_view.hasFocus(), highlightColors(option.palette));
    paintGridCell(*painter, option.rect, look, m_grid.cell(col, row), option.font, option.palette);
}
