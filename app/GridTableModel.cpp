#include "GridTableModel.h"

GridTableModel::GridTableModel(TGridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid),
      m_rows(grid.RowCount() - TGridModel::FixedRows), m_cols(grid.ColCount() - TGridModel::FixedCols) {}

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int GridTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_cols; }

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return m_grid.cell(gridCol(index), gridRow(index));
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? m_grid.cell(section + TGridModel::FixedCols, 0)
                                         : m_grid.cell(0, section + TGridModel::FixedRows);
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole) return false;
    m_grid.setCell(gridCol(index), gridRow(index), value.toString());
    return true;
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex&) const {
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QModelIndex GridTableModel::cellIndex(int col, int row) const {
    return index(row - TGridModel::FixedRows, col - TGridModel::FixedCols);
}

void GridTableModel::refresh() {
    const int rows = m_grid.RowCount() - TGridModel::FixedRows;
    const int cols = m_grid.ColCount() - TGridModel::FixedCols;
    if (rows != m_rows || cols != m_cols) {
        beginResetModel();
        m_rows = rows;
        m_cols = cols;
        endResetModel();
        return;
    }
    if (m_rows > 0 && m_cols > 0) emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
    if (m_cols > 0) emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (m_rows > 0) emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
}

void GridTableModel::cellChanged(int col, int row) {
    if (row < TGridModel::FixedRows && col >= TGridModel::FixedCols)
        emit headerDataChanged(Qt::Horizontal, col - TGridModel::FixedCols, col - TGridModel::FixedCols);
    else if (col < TGridModel::FixedCols && row >= TGridModel::FixedRows)
        emit headerDataChanged(Qt::Vertical, row - TGridModel::FixedRows, row - TGridModel::FixedRows);
    else if (row >= TGridModel::FixedRows)
        emit dataChanged(cellIndex(col, row), cellIndex(col, row));
}
