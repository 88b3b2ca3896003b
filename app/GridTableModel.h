#pragma once
// Qt item model over the result table. Its rows and columns are the grid's data
// rows and columns (grid index − 1); the fixed row 0 and column 0 are the
// view's headers, so they stay in place while the data scrolls.
#include "results/GridModel.h"

#include <QAbstractTableModel>

class GridTableModel : public QAbstractTableModel {
public:
    explicit GridTableModel(TGridModel& grid, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Grid coordinates to a model index; invalid for fixed cells.
    QModelIndex cellIndex(int col, int row) const;
    static int gridCol(const QModelIndex& index) { return index.column() + TGridModel::FixedCols; }
    static int gridRow(const QModelIndex& index) { return index.row() + TGridModel::FixedRows; }

    // Counts or many cells changed; a full reset only when the counts did.
    void refresh();
    void cellChanged(int col, int row);

private:
    TGridModel& m_grid;
    int m_rows = 0, m_cols = 0;
};
