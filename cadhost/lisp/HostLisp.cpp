#include "cadhost/lisp/HostLisp.h"

#include <QCoreApplication>

namespace lisp {

HostLisp::HostLisp(HostState& state) : m_state(state)
{
    addActiveXFunctions(m_interp, objects);
    addEntityFunctions(m_interp, m_state, hooks);
    addInputFunctions(m_interp, hooks);
    addClipboardObject(m_interp, hooks);
    addLineObjects(m_interp, m_state);
    m_interp.output = [this](const QString& text) { write(text); };
    // A long program keeps the host answering the bus and lets Escape in.
    m_interp.idle = [] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    };
}

namespace {

constexpr qint64 kMaxLines = 10000;
constexpr qsizetype kMaxLineLength = 65536;

}  // namespace

void HostLisp::write(const QString& text)
{
    if (text.startsWith("; error:")) {  // always shown, on a line of its own
        if (!m_partialLine.isEmpty()) write("\n");
        m_state.commandLog << text.trimmed();
        return;
    }
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype end = text.indexOf('\n', from);
        const QString piece = text.mid(from, (end < 0 ? text.size() : end) - from);
        const qsizetype room = std::max<qsizetype>(0, kMaxLineLength - m_partialLine.size());
        m_partialLine += piece.left(room);
        if (end < 0) break;
        if (m_linesWritten < kMaxLines) m_state.commandLog << m_partialLine;
        else ++m_dropped;
        ++m_linesWritten;
        m_partialLine.clear();
        from = end + 1;
    }
}

void HostLisp::runTopLevel(const std::function<Value()>& body)
{
    m_linesWritten = m_dropped = 0;
    const bool ownMark = !m_state.undo.inMark();  // inside a client's mark the client closes the step
    if (ownMark) m_state.undo.startMark(m_state.drawing);
    const Interpreter::Outcome outcome = m_interp.run(body);
    if (ownMark) m_state.undo.endMark();
    if (outcome.ok) write(printValue(outcome.value, true));
    if (!m_partialLine.isEmpty()) write("\n");
    if (m_dropped > 0) m_state.commandLog << QString("; 出力が多すぎるため %1 行を省略しました").arg(m_dropped);
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
