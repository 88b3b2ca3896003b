#include "UndoHistory.h"

void UndoHistory::startMark()
{
    ++m_depth;
}

void UndoHistory::endMark()
{
    if (m_depth == 0)
        return;
    if (--m_depth > 0)
        return;
    if (m_markStart) {
        m_steps.append(*m_markStart);
        m_markStart.reset();
        if (m_steps.size() > kMaxSteps)
            m_steps.removeFirst();
    }
}

void UndoHistory::recordChange(const Drawing& before)
{
    if (m_depth > 0) {
        if (!m_markStart)
            m_markStart = before;
        return;
    }
    m_steps.append(before);
    if (m_steps.size() > kMaxSteps)
        m_steps.removeFirst();
}

std::optional<Drawing> UndoHistory::undo()
{
    if (m_depth > 0) {
        m_depth = 1;
        endMark();
    }
    if (m_steps.isEmpty())
        return std::nullopt;
    return m_steps.takeLast();
}

void UndoHistory::clear()
{
    m_steps.clear();
    m_markStart.reset();
    m_depth = 0;
}
