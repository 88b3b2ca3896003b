#pragma once
// Qt item model over the result table: row 0 and column 0 are shown as plain
// cells of the grid, black background and white text, aligned as the table wants.
#include "results/GridModel.h"

#include <QAbstractTableModel>

class GridTableModel : public QAbstractTableModel {
public:
    explicit GridTableModel(TGridModel& grid, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void reset();
    void cellChanged(int col, int row);

private:
    TGridModel& m_grid;
};
