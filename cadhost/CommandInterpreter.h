#pragma once
// The host's command line: text arrives in pieces, "\r" or "\n" ends a line,
// U+001B cancels. Each command is one handler in a table.
#include "cadhost/HostState.h"

#include <QHash>
#include <functional>

class CommandInterpreter {
public:
    // Called with the rest of the line after the command name.
    using Handler = std::function<void(HostState&, const QString& arguments)>;

    explicit CommandInterpreter(HostState& state);
    void addCommand(const QString& name, Handler handler);
    void feed(const QString& text);
    // Set by the host: what Escape cancels besides the current line (a pending pick).
    std::function<void()> onCancel;
    std::function<void()> onChange;

private:
    void runLine(const QString& line);
    HostState& m_state;
    QHash<QString, Handler> m_commands;
    QString m_pending;
};
