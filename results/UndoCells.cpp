#include "results/UndoCells.h"

TUndoCell* TUndoCells::Add(TGridModel* aGrid, int ACol, int ARow) {
    auto record = std::make_unique<TUndoCell>();
    record->setGrid(aGrid);
    record->setText(aGrid ? aGrid->cell(ACol, ARow) : QString());
    record->setX(ACol);
    record->setY(ARow);
    const int latest = latestOf(aGrid);
    record->setUndoLevel(latest < 0 ? 0 : FList[size_t(latest)]->UndoLevel() + 1);
    TUndoCell* added = record.get();
    FList.push_back(std::move(record));
    dropOldestBeyondCapacity(aGrid);
    return added;
}

void TUndoCells::Clear() { FList.clear(); }

void TUndoCells::Undo(TGridModel* aGrid) {
    const int latest = latestOf(aGrid);
    if (latest < 0) return;
    const std::unique_ptr<TUndoCell> record = std::move(FList[size_t(latest)]);
    if (aGrid) aGrid->setCell(record->X(), record->Y(), record->Text());
    FList.erase(FList.begin() + latest);
    if (!aGrid) return;
    // Setting the current cell shows its row, so it comes after the list is settled.
    aGrid->setCol(record->X());
    aGrid->setRow(record->Y());
}

int TUndoCells::latestOf(const TGridModel* aGrid) const {
    int found = -1;
    for (size_t i = 0; i < FList.size(); ++i) {
        if (FList[i]->Grid() != aGrid) continue;
        if (found < 0 || FList[i]->UndoLevel() > FList[size_t(found)]->UndoLevel()) found = int(i);
    }
    return found;
}

void TUndoCells::dropOldestBeyondCapacity(const TGridModel* aGrid) {
    if (FUndoLevels <= 0) return;
    int held = 0, oldest = -1;
    for (size_t i = 0; i < FList.size(); ++i) {
        if (FList[i]->Grid() != aGrid) continue;
        ++held;
        if (oldest < 0 || FList[i]->UndoLevel() < FList[size_t(oldest)]->UndoLevel()) oldest = int(i);
    }
    if (held > FUndoLevels) FList.erase(FList.begin() + oldest);
}
