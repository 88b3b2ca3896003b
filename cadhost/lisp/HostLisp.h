#pragma once
// AutoLISP on the host's command line: a line that starts with "(" is
// evaluated (its last value echoed), (defun c:NAME ...) makes NAME a command.
// Output and "; error: ..." lines go to the command history; the drawing's
// changes of one line or command undo as one step. One evaluation writes at
// most a bounded number of lines, so a printing loop cannot flood the history.
#include "cadhost/HostState.h"
#include "cadhost/lisp/ActiveX.h"
#include "cadhost/lisp/HostHooks.h"

namespace lisp {

class HostLisp {
public:
    explicit HostLisp(HostState& state);
    // Every expression of the line, in turn.
    void evaluateLine(const QString& line);
    // Runs (C:NAME) when the LISP defines it; false when it does not.
    bool runCommand(const QString& name);
    bool running() const { return m_interp.running(); }
    void interrupt() { m_interp.interrupt(); }
    Interpreter& interpreter() { return m_interp; }

    // Set by the host: the automation objects the bus serves, for the vla- functions.
    ObjectCall objects;
    // Set by the host: prompts, entity extents and the clipboard.
    HostHooks hooks;

private:
    void runTopLevel(const std::function<Value()>& body);
    void write(const QString& text);

    HostState& m_state;
    Interpreter m_interp;
    QString m_partialLine;
    qint64 m_linesWritten = 0, m_dropped = 0;  // in the current top-level evaluation
};

}  // namespace lisp
