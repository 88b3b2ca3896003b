#pragma once
// The host's command line: text arrives in pieces, "\r" or "\n" ends a line,
// U+001B cancels. Each command is one handler in a table; a command that needs
// more input asks a question, and the next line (an empty one too) answers it.
// As on a CAD's command line, a blank outside double quotes ends an answer like
// Enter, and ends the name of a command that asks for its input.
#include "cadhost/HostState.h"
#include "cadhost/lisp/HostLisp.h"

#include <QHash>
#include <QSet>
#include <QImage>
#include <functional>
#include <optional>

class CommandInterpreter {
public:
    // Called with the rest of the line after the command name, or with the answer.
    using Handler = std::function<void(HostState&, const QString& arguments)>;

    // How a command takes its input: the rest of its line as arguments, or
    // answers to its questions (the blank after its name starts it).
    enum class Input { RestOfLine, Prompts };

    explicit CommandInterpreter(HostState& state);
    void addCommand(const QString& name, Handler handler, Input input = Input::RestOfLine);
    void feed(const QString& text);
    // Shows the prompt; the next line goes to `answer` instead of starting a command.
    void ask(const QString& prompt, Handler answer);
    bool asking() const { return bool(m_question); }
    // AutoLISP: lines that start with "(" and commands defined as C:NAME.
    lisp::HostLisp& lisp() { return m_lisp; }
    // While a LISP program waits for input: the next answer typed ahead or
    // sent (ended by Enter or a blank outside quotes), if one is complete.
    std::optional<QString> takeTypedAnswer();

    // Set by the host: what Escape cancels besides the current line (a pending pick).
    std::function<void()> onCancel;
    std::function<void()> onChange;
    // The drawing area as shown, for exports.
    std::function<QImage()> renderView;
    // A file name chosen in a dialog (FILEDIA 1); empty when the user cancels.
    std::function<QString(const QString& title, const QString& filter)> chooseSaveFile;

private:
    void runLine(const QString& line);
    void endPiece();
    bool blankEndsPiece() const;
    HostState& m_state;
    QHash<QString, Handler> m_commands;
    QSet<QString> m_prompting;
    QString m_pending;
    bool m_inQuotes = false;
    Handler m_question;
    lisp::HostLisp m_lisp{m_state};
    QString m_whileLispRuns;  // input that arrived while a LISP program handled events
    QString m_feedText;       // the text being fed, read from m_feedPos on
    qsizetype m_feedPos = 0;
    QString m_questionPrompt;
};

// An answer without the double quotes around it, if it has them.
QString unquoted(const QString& answer);

// BMPOUT: the file name (typed when FILEDIA is 0, from a dialog otherwise),
// then the selection; an empty selection exports the whole view as a BMP of
// the drawing area.
void addBmpOutCommand(CommandInterpreter& commands);
