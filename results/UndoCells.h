#pragma once
// Undo records for cells of a grid: the text a cell held just before one of
// the system's own commands changed it (clear, cut, paste, replace). Records
// address cells by position; the most recent record of a grid is the one with
// the highest level.
#include "results/GridModel.h"

#include <QString>
#include <memory>
#include <vector>

class TUndoCell {
public:
    TGridModel* Grid() const { return FGrid; }
    void setGrid(TGridModel* grid) { FGrid = grid; }
    const QString& Text() const { return FText; }
    void setText(const QString& text) { FText = text; }
    int X() const { return FX; }
    void setX(int x) { FX = x; }
    int Y() const { return FY; }
    void setY(int y) { FY = y; }
    int UndoLevel() const { return FUndoLevel; }
    void setUndoLevel(int level) { FUndoLevel = level; }

private:
    TGridModel* FGrid = nullptr;  // not owned
    QString FText;
    int FX = 0, FY = 0;
    int FUndoLevel = 0;
};

class TUndoCells {
public:
    TUndoCells() = default;
    ~TUndoCells() { Clear(); }
    TUndoCells(const TUndoCells&) = delete;
    TUndoCells& operator=(const TUndoCells&) = delete;

    // Records the current text of the cell; call just before changing it.
    // With a capacity set (UndoLevels > 0), the grid's oldest record goes
    // when the grid holds more records than that.
    TUndoCell* Add(TGridModel* aGrid, int ACol, int ARow);
    void Clear();
    // Writes the grid's latest record back, drops it and makes its cell the
    // current cell (column first, then row). Nothing without a record.
    void Undo(TGridModel* aGrid);

    TUndoCell* GetItem(int index) const { return FList.at(size_t(index)).get(); }
    TUndoCell* Items(int index) const { return GetItem(index); }
    int Count() const { return int(FList.size()); }
    int UndoLevels() const { return FUndoLevels; }
    void setUndoLevels(int levels) { FUndoLevels = levels; }

private:
    // Index in FList of the grid's record with the highest level (the first
    // among equals), -1 when the grid has none.
    int latestOf(const TGridModel* aGrid) const;
    void dropOldestBeyondCapacity(const TGridModel* aGrid);

    std::vector<std::unique_ptr<TUndoCell>> FList;
    int FUndoLevels = 0;  // 0: no limit
};
