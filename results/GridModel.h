#pragma once
// The result table as plain data: text cells addressed (column, row) with one
// fixed header row and one fixed number column, the current cell, a rectangular
// selection and column widths. Every command works on this model; the grid
// widget only shows it and forwards the user's input.
#include <QString>
#include <functional>
#include <vector>

struct TGridRect {
    int Left = 1, Top = 1, Right = 1, Bottom = 1;  // inclusive
    bool operator==(const TGridRect&) const = default;
};

class TGridModel {
public:
    static constexpr int DefaultColWidth = 64;
    static constexpr int DefaultRowHeight = 21;
    static constexpr int FixedCols = 1;
    static constexpr int FixedRows = 1;

    TGridModel(int colCount = 5, int rowCount = 5);

    int ColCount() const { return m_colCount; }
    int RowCount() const { return m_rowCount; }
    void setColCount(int n);
    void setRowCount(int n);  // keeps the cells of the remaining rows

    // Out-of-range reads give an empty text; out-of-range writes are ignored.
    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);
    void clearRow(int row);
    void exchangeRows(int a, int b);

    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // Current cell; never in the fixed row or column while data rows exist.
    int Col() const { return m_col; }
    int Row() const { return m_row; }
    void setCol(int col) { setCurrent(col, m_row); }
    void setRow(int row) { setCurrent(m_col, row); }
    // Moves the current cell and collapses the selection onto it.
    void setCurrent(int col, int row);
    const TGridRect& selection() const { return m_sel; }
    // The selection is clamped to the data cells and always holds the current cell.
    void setSelection(const TGridRect& r);

    // Notifications for a view. currentChanged fires only on a real move.
    struct Listener {
        std::function<void(int col, int row)> cellChanged;
        std::function<void()> layoutChanged;  // counts, widths, many cells
        std::function<void()> currentChanged;
        std::function<void()> selectionChanged;
    };
    void setListener(Listener l) { m_listener = std::move(l); }
    // While frozen, layoutChanged is sent once at thaw instead of per change.
    void freeze();
    void thaw();

private:
    void notifyLayout();
    void clampCurrent();
    int m_colCount, m_rowCount;
    std::vector<std::vector<QString>> m_cells;  // [row][col]
    std::vector<int> m_widths;
    int m_col = 1, m_row = 1;
    TGridRect m_sel;
    Listener m_listener;
    int m_frozen = 0;
    bool m_dirtyWhileFrozen = false;
};

// Holds the grid's notifications back for one operation, also on exceptions.
class TGridFreeze {
public:
    explicit TGridFreeze(TGridModel& grid) : m_grid(grid) { m_grid.freeze(); }
    ~TGridFreeze() { m_grid.thaw(); }
    TGridFreeze(const TGridFreeze&) = delete;
    TGridFreeze& operator=(const TGridFreeze&) = delete;

private:
    TGridModel& m_grid;
};
