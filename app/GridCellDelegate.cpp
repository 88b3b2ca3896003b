#include "app/GridCellDelegate.h"

#include "app/GridCellPainter.h"
#include "app/GridTableModel.h"

#include <QAbstractItemView>
#include <QKeyEvent>
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

bool GridCellDelegate::eventFilter(QObject* editor, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(editor);
    if (event->type() == QEvent::KeyPress && widget && m_editorKeyHook &&
        m_editorKeyHook(widget, static_cast<QKeyEvent*>(event)))
        return true;
    return QStyledItemDelegate::eventFilter(editor, event);
}
