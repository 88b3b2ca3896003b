#include "GridTableModel.h"

#include <QColor>

GridTableModel::GridTableModel(TGridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.RowCount();
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.ColCount();
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    const int col = index.column(), row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid.cell(col, row);
    case Qt::BackgroundRole:
        return QColor(Qt::black);
    case Qt::ForegroundRole:
        return QColor(Qt::white);
    case Qt::TextAlignmentRole: {
        Qt::Alignment h = row == 0 ? Qt::AlignHCenter : col == 1 ? Qt::AlignLeft : Qt::AlignRight;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole) return false;
    m_grid.setCell(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (index.row() >= TGridModel::FixedRows && index.column() >= TGridModel::FixedCols)
        f |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
    return f;
}

void GridTableModel::reset() {
    beginResetModel();
    endResetModel();
}

void GridTableModel::cellChanged(int col, int row) {
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i);
}
