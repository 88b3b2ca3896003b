#pragma once
// The result grid on screen: a view over TGridModel whose headers are the
// fixed row 0 and column 0. It paints every cell as gridCellLook says and
// keeps the model's current cell, selection and column widths in step with
// the view in both directions. Keys, also those typed into an open cell
// editor, go to the key handler first; header clicks go to the header handler.
#include "app/GridTableModel.h"
#include "results/GridKeys.h"
#include "results/GridModel.h"

#include <QTableView>
#include <functional>

class QAbstractButton;

// The system's plain-text clipboard; a placing counts as failed when the
// clipboard does not hold the text afterwards.
class SystemClipboardText : public IClipboardText {
public:
    bool setText(const QString& text) override;
    QString text() const override;
};

class TStringGridView : public QTableView {
public:
    TStringGridView(TGridModel& grid, QWidget* parent);

    // Called from the grid model's notifications.
    void showCell(int col, int row);
    void showGridLayout();
    void showGridSelection();

    // True when the key was swallowed.
    using KeyDownHandler = std::function<bool(int key, Qt::KeyboardModifiers modifiers)>;
    void setKeyDownHandler(KeyDownHandler handler) { m_keyDown = std::move(handler); }
    // A click on a fixed cell of the header row (column 0 is the corner).
    using FixedCellClickHandler = std::function<void(int col, int row)>;
    void setFixedCellClickHandler(FixedCellClickHandler handler) { m_fixedCellClick = std::move(handler); }
    // A click on a data cell that was already current; a click that moves the
    // current cell is announced by the grid model's move instead, so that the
    // row is shown once.
    void setCellClickHandler(std::function<void()> handler) { m_cellClick = std::move(handler); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void takeViewSelection();
    // A key typed into the open cell editor; true when the editor must not see it.
    bool editorKeyDown(QWidget* editor, QKeyEvent* event);

    TGridModel& m_grid;
    GridTableModel* m_model;
    QAbstractButton* m_corner = nullptr;
    bool m_syncing = false;
    KeyDownHandler m_keyDown;
    FixedCellClickHandler m_fixedCellClick;
    std::function<void()> m_cellClick;
    bool m_pressMovedCurrent = false;
};
