#pragma once
// The result grid on screen: a view over TGridModel whose headers are the
// fixed row 0 and column 0. It paints every cell as gridCellLook says and
// keeps the model's current cell, selection and column widths in step with
// the view in both directions.
#include "app/GridTableModel.h"
#include "results/GridModel.h"

#include <QTableView>

class QAbstractButton;

class TStringGridView : public QTableView {
public:
    TStringGridView(TGridModel& grid, QWidget* parent);

    // Called from the grid model's notifications.
    void showCell(int col, int row);
    void showGridLayout();
    void showGridSelection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeViewSelection();

    TGridModel& m_grid;
    GridTableModel* m_model;
    QAbstractButton* m_corner = nullptr;
    bool m_syncing = false;
};
