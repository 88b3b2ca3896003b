#include "cadhost/lisp/HostLisp.h"

#include <QCoreApplication>

namespace lisp {

HostLisp::HostLisp(HostState& state) : m_state(state)
{
    addActiveXFunctions(m_interp, objects);
    m_interp.output = [this](const QString& text) { write(text); };
    // A long program keeps the host answering the bus and lets Escape in.
    m_interp.idle = [] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    };
}

void HostLisp::write(const QString& text)
{
    m_partialLine += text;
    qsizetype end;
    while ((end = m_partialLine.indexOf('\n')) >= 0) {
        m_state.commandLog << m_partialLine.left(end);
        m_partialLine.remove(0, end + 1);
    }
}

void HostLisp::runTopLevel(const std::function<Value()>& body)
{
    const bool ownMark = !m_state.undo.inMark();  // inside a client's mark the client closes the step
    if (ownMark) m_state.undo.startMark(m_state.drawing);
    const Interpreter::Outcome outcome = m_interp.run(body);
    if (ownMark) m_state.undo.endMark();
    if (outcome.ok) write(printValue(outcome.value, true));
    if (!m_partialLine.isEmpty()) write("\n");
}

void HostLisp::evaluateLine(const QString& line)
{
    runTopLevel([this, line] { return m_interp.evaluateText(line); });
}

bool HostLisp::runCommand(const QString& name)
{
    Symbol* command = m_interp.intern("C:" + name);
    if (command->value.type != Type::Usubr && command->value.type != Type::Subr) return false;
    runTopLevel([this, command] {
        Args none;
        m_interp.apply(command->value, none);
        return makeSymbol(m_interp.intern(""));  // a command echoes nothing
    });
    return true;
}

}  // namespace lisp
