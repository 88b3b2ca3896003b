#pragma once
// The drawing's undo: every change outside an undo mark is one step; all the
// changes between StartUndoMark and EndUndoMark are one step together. Steps
// keep the drawing as it was before them (cheap: entities are shared).
#include "Drawing.h"
#include <QList>
#include <optional>

class UndoHistory {
public:
    // Marks nest; only the outermost pair makes a step.
    void startMark();
    void endMark();
    bool markOpen() const { return m_depth > 0; }

    // Called with the drawing as it is before each change.
    void recordChange(const Drawing& before);

    int stepCount() const { return int(m_steps.size()); }
    // The drawing before the last step, which is dropped; an open mark is
    // closed first, so its changes undo together.
    std::optional<Drawing> undo();
    void clear();

private:
    static constexpr int kMaxSteps = 500;
    QList<Drawing> m_steps;
    std::optional<Drawing> m_markStart;
    int m_depth = 0;
};
