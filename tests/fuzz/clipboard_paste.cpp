// Any clipboard text pasted into a selection of the result table (the first
// bytes choose the selection): only selected cells change, never more cells
// than were recorded for undo, and undoing every record gives the table back.
#include "results/GridClipboard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
constexpr int kCols = 9, kRows = 12;

TGridModel filledGrid() {
    TGridModel grid(kCols, kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) grid.setCell(c, r, QString::number(c * 100 + r));
    return grid;
}

bool sameCells(const TGridModel& a, const TGridModel& b) {
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            if (a.cell(c, r) != b.cell(c, r)) return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const TGridModel original = filledGrid();
    TGridModel grid = filledGrid();
    const int left = 1 + data[0] % (kCols - 1), top = 1 + data[1] % (kRows - 1);
    const TGridRect sel{left, top, left + data[2] % (kCols - left), top + data[3] % (kRows - top)};
    grid.setCurrent(left, top);
    grid.setSelection(sel);
    TUndoCells undo;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    const int written = pasteIntoSelection(grid, undo, text);
    if (written < 0 || written > undo.Count()) std::abort();
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const bool inside = c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom;
            if (!inside && grid.cell(c, r) != original.cell(c, r)) std::abort();
        }
    while (undo.Count() > 0) undo.Undo(&grid);
    if (!sameCells(grid, original)) std::abort();
    return 0;
}
