#pragma once
// Paints every cell of the result grid, fixed ones included, over the view's
// own drawing, as gridCellLook decides; editing stays the default one.
#include "results/GridModel.h"

#include <QStyledItemDelegate>

class QAbstractItemView;

class GridCellDelegate : public QStyledItemDelegate {
public:
    GridCellDelegate(const TGridModel& grid, QAbstractItemView& view);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    const TGridModel& m_grid;
    QAbstractItemView& m_view;
};
