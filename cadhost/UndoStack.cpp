#include "cadhost/UndoStack.h"

UndoStack::Step& UndoStack::stepForChange()
{
    if (!m_inMark || !m_markRecorded) m_steps.emplace_back();
    if (m_inMark) m_markRecorded = true;
    return m_steps.back();
}

void UndoStack::aboutToChange(const Drawing& current)
{
    Step& step = stepForChange();
    if (step.whole) return;
    step.changes.emplace_back(WholeDrawing{current});
    step.whole = true;
}

void UndoStack::aboutToChangeEntity(const Drawing& current, quint64 handle)
{
    const Entity* entity = current.entity(handle);
    if (!entity) return;
    Step& step = stepForChange();
    // Undo goes backwards through a step, so the first record of an entity
    // is the one that counts; an entity added in this step simply goes.
    if (step.whole || step.entities.contains(handle)) return;
    step.changes.emplace_back(EntityBefore{*entity});
    step.entities.insert(handle);
}

void UndoStack::entityAdded(quint64 handle)
{
    Step& step = stepForChange();
    if (step.whole) return;
    step.changes.emplace_back(EntityAdded{handle});
    step.entities.insert(handle);
}

void UndoStack::aboutToChangeLayerColor(const Drawing& current, int index)
{
    if (index < 0 || index >= current.layers().size()) return;
    Step& step = stepForChange();
    if (step.whole) return;
    step.changes.emplace_back(LayerColorBefore{index, current.layers()[index].color});
}

void UndoStack::startMark(const Drawing&)
{
    m_inMark = true;
    m_markRecorded = false;
}

void UndoStack::endMark()
{
    m_inMark = false;
}

bool UndoStack::undo(Drawing& drawing)
{
    if (m_steps.empty()) return false;
    const Step step = std::move(m_steps.back());
    m_steps.pop_back();
    // A mark still open starts a new step with its next change.
    m_markRecorded = false;
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change) {
        if (const auto* whole = std::get_if<WholeDrawing>(&*change)) {
            drawing = whole->before;
        } else if (const auto* before = std::get_if<EntityBefore>(&*change)) {
            if (Entity* entity = drawing.entity(before->before.handle)) *entity = before->before;
        } else if (const auto* added = std::get_if<EntityAdded>(&*change)) {
            drawing.removeEntity(added->handle);
        } else if (const auto* layer = std::get_if<LayerColorBefore>(&*change)) {
            if (layer->index < drawing.layers().size()) drawing.setLayerColor(layer->index, layer->color);
        }
    }
    return true;
}
