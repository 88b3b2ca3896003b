#include "cadhost/UndoStack.h"

void UndoStack::aboutToChange(const Drawing& current)
{
    if (m_inMark) {
        if (!m_markRecorded) m_snapshots.append(current);
        m_markRecorded = true;
        return;
    }
    m_snapshots.append(current);
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
    if (m_snapshots.isEmpty()) return false;
    drawing = m_snapshots.takeLast();
    return true;
}
