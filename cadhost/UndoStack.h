#pragma once
// The host's undo: snapshots of the drawing. A change outside a mark is one
// step; every change between StartUndoMark and EndUndoMark is one step.
#include "cadhost/Drawing.h"

class UndoStack {
public:
    // Call before changing the drawing.
    void aboutToChange(const Drawing& current);
    void startMark(const Drawing& current);
    void endMark();
    bool inMark() const { return m_inMark; }
    // Restores the state before the last step; false when there is none.
    bool undo(Drawing& drawing);
    int steps() const { return int(m_snapshots.size()); }

private:
    QList<Drawing> m_snapshots;
    bool m_inMark = false;
    bool m_markRecorded = false;
};
