#pragma once
// The host's undo. A step records what its changes touched, as they were
// before: one entity, one layer's colour, an entity that was added, or (for a
// command that changes much at once) the whole drawing. A change outside a
// mark is one step; every change between StartUndoMark and EndUndoMark is one.
#include "cadhost/Drawing.h"

#include <QSet>
#include <variant>
#include <vector>

class UndoStack {
public:
    // Before a change of the drawing as a whole: the step keeps a copy.
    void aboutToChange(const Drawing& current);
    // Before one entity is changed: the step keeps that entity as it is.
    void aboutToChangeEntity(const Drawing& current, quint64 handle);
    // After an entity was added: undoing the step removes it.
    void entityAdded(quint64 handle);
    // Before a layer's colour is changed: the step keeps the colour.
    void aboutToChangeLayerColor(const Drawing& current, int index);

    void startMark(const Drawing& current);
    void endMark();
    bool inMark() const { return m_inMark; }
    // Restores the state before the last step; false when there is none.
    bool undo(Drawing& drawing);
    int steps() const { return int(m_steps.size()); }

private:
    struct WholeDrawing { Drawing before; };
    struct EntityBefore { Entity before; };
    struct EntityAdded { quint64 handle; };
    struct LayerColorBefore { int index; int color; };
    using Change = std::variant<WholeDrawing, EntityBefore, EntityAdded, LayerColorBefore>;
    struct Step {
        std::vector<Change> changes;
        QSet<quint64> entities;  // entities whose state before the step is known
        bool whole = false;      // a copy of the whole drawing: later changes need no record
    };

    // The step a change goes to: the open mark's, or a new one.
    Step& stepForChange();

    std::vector<Step> m_steps;
    bool m_inMark = false;
    bool m_markRecorded = false;
};
