#include "GridModel.h"

#include <algorithm>

TGridModel::TGridModel(int colCount, int rowCount)
    : m_colCount(std::max(colCount, 1)), m_rowCount(std::max(rowCount, 1)),
      m_cells(m_rowCount, std::vector<QString>(m_colCount)),
      m_widths(m_colCount, DefaultColWidth) {}

void TGridModel::setColCount(int n) {
    n = std::max(n, 1);
    if (n == m_colCount) return;
    m_colCount = n;
    for (auto& row : m_cells) row.resize(n);
    m_widths.resize(n, DefaultColWidth);
    clampCurrent();
    notifyLayout();
}

void TGridModel::setRowCount(int n) {
    n = std::max(n, 1);
    if (n == m_rowCount) return;
    m_rowCount = n;
    m_cells.resize(n, std::vector<QString>(m_colCount));
    clampCurrent();
    notifyLayout();
}

QString TGridModel::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount) return {};
    return m_cells[row][col];
}

void TGridModel::setCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount) return;
    if (m_cells[row][col] == text) return;
    m_cells[row][col] = text;
    if (m_frozen) m_dirtyWhileFrozen = true;
    else if (m_listener.cellChanged) m_listener.cellChanged(col, row);
}

void TGridModel::clearRow(int row) {
    for (int c = 0; c < m_colCount; ++c) setCell(c, row, QString());
}

void TGridModel::exchangeRows(int a, int b) {
    if (a < 0 || b < 0 || a >= m_rowCount || b >= m_rowCount || a == b) return;
    std::swap(m_cells[a], m_cells[b]);
    notifyLayout();
}

int TGridModel::colWidth(int col) const {
    return (col >= 0 && col < m_colCount) ? m_widths[col] : 0;
}

void TGridModel::setColWidth(int col, int width) {
    if (col < 0 || col >= m_colCount || m_widths[col] == width) return;
    m_widths[col] = std::max(width, 0);
    notifyLayout();
}

void TGridModel::setCurrent(int col, int row) {
    const int maxCol = std::max(m_colCount - 1, FixedCols);
    const int maxRow = std::max(m_rowCount - 1, FixedRows);
    col = std::clamp(col, FixedCols, maxCol);
    row = std::clamp(row, FixedRows, maxRow);
    const bool moved = col != m_col || row != m_row;
    m_col = col;
    m_row = row;
    const TGridRect collapsed{col, row, col, row};
    const bool selMoved = !(m_sel == collapsed);
    m_sel = collapsed;
    if (selMoved && m_listener.selectionChanged) m_listener.selectionChanged();
    if (moved && m_listener.currentChanged) m_listener.currentChanged();
}

void TGridModel::setSelection(const TGridRect& r) {
    const int maxCol = std::max(m_colCount - 1, FixedCols);
    const int maxRow = std::max(m_rowCount - 1, FixedRows);
    TGridRect s{std::clamp(std::min(r.Left, r.Right), FixedCols, maxCol),
                std::clamp(std::min(r.Top, r.Bottom), FixedRows, maxRow),
                std::clamp(std::max(r.Left, r.Right), FixedCols, maxCol),
                std::clamp(std::max(r.Top, r.Bottom), FixedRows, maxRow)};
    s.Left = std::min(s.Left, m_col);
    s.Right = std::max(s.Right, m_col);
    s.Top = std::min(s.Top, m_row);
    s.Bottom = std::max(s.Bottom, m_row);
    if (s == m_sel) return;
    m_sel = s;
    if (m_listener.selectionChanged) m_listener.selectionChanged();
}

void TGridModel::freeze() { ++m_frozen; }

void TGridModel::thaw() {
    if (m_frozen == 0 || --m_frozen > 0) return;
    if (m_dirtyWhileFrozen) {
        m_dirtyWhileFrozen = false;
        if (m_listener.layoutChanged) m_listener.layoutChanged();
    }
}

void TGridModel::notifyLayout() {
    if (m_frozen) m_dirtyWhileFrozen = true;
    else if (m_listener.layoutChanged) m_listener.layoutChanged();
}

void TGridModel::clampCurrent() {
    const int maxCol = std::max(m_colCount - 1, FixedCols);
    const int maxRow = std::max(m_rowCount - 1, FixedRows);
    const int col = std::clamp(m_col, FixedCols, maxCol);
    const int row = std::clamp(m_row, FixedRows, maxRow);
    TGridRect s = m_sel;
    s.Left = std::clamp(s.Left, FixedCols, maxCol);
    s.Right = std::clamp(s.Right, FixedCols, maxCol);
    s.Top = std::clamp(s.Top, FixedRows, maxRow);
    s.Bottom = std::clamp(s.Bottom, FixedRows, maxRow);
    m_sel = s;
    if (col != m_col || row != m_row) {
        m_col = col;
        m_row = row;
        if (m_listener.currentChanged) m_listener.currentChanged();
    }
}
