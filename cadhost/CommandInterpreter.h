#pragma once
// The host's command line: text arrives in pieces, "\r" or "\n" ends a line,
// U+001B cancels. Each command is one handler in a table; a command that needs
// more input asks a question, and the next line (an empty one too) answers it.
#include "cadhost/HostState.h"

#include <QHash>
#include <QImage>
#include <functional>

class CommandInterpreter {
public:
    // Called with the rest of the line after the command name, or with the answer.
    using Handler = std::function<void(HostState&, const QString& arguments)>;

    explicit CommandInterpreter(HostState& state);
    void addCommand(const QString& name, Handler handler);
    void feed(const QString& text);
    // Shows the prompt; the next line goes to `answer` instead of starting a command.
    void ask(const QString& prompt, Handler answer);
    bool asking() const { return bool(m_question); }

    // Set by the host: what Escape cancels besides the current line (a pending pick).
    std::function<void()> onCancel;
    std::function<void()> onChange;
    // The drawing area as shown, for exports.
    std::function<QImage()> renderView;
    // A file name chosen in a dialog (FILEDIA 1); empty when the user cancels.
    std::function<QString(const QString& title, const QString& filter)> chooseSaveFile;

private:
    void runLine(const QString& line);
    HostState& m_state;
    QHash<QString, Handler> m_commands;
    QString m_pending;
    Handler m_question;
};

// BMPOUT: the file name (typed when FILEDIA is 0, from a dialog otherwise),
// then the selection; an empty selection exports the whole view as a BMP of
// the drawing area.
void addBmpOutCommand(CommandInterpreter& commands);
