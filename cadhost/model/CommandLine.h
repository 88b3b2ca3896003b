#pragma once
// The command line: text comes in character by character (typed, or sent by
// SendCommand); Enter ("\r" or "\n") and, outside quotes, parentheses and
// prompts that take blanks, a blank end an input; U+001B cancels. An input at
// the command prompt names a command of the table (or, starting with "(", an
// expression, handled by the command registered as "("); every later input
// answers the running command's prompt.
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class CommandContext;

struct Prompt {
    QString text;
    bool takesBlanks = false; // a blank belongs to the answer (file names, strings)
};

class Command {
public:
    virtual ~Command() = default;
    // `input` is what started the command (its name, or the whole expression).
    // Returns the first prompt, or nothing when the command is done already.
    virtual std::optional<Prompt> start(CommandContext& context, const QString& input) = 0;
    // One answer to the last prompt; the next prompt, or nothing when done.
    virtual std::optional<Prompt> answer(CommandContext& context, const QString& text) = 0;
};

using CommandFactory = std::function<std::unique_ptr<Command>()>;

// What the interpreter needs from the rest of the host.
class CommandContext {
public:
    virtual ~CommandContext() = default;
    // A finished line of the command history.
    virtual void logLine(const QString& line) = 0;
    // The prompt shown while the command line waits (also the history's open line).
    virtual void showPrompt(const QString& prompt) = 0;
    // Input while a point is being picked; true when it was taken as a point.
    virtual bool pickInput(const QString& text) = 0;
    virtual bool picking() const = 0;
    virtual void cancelPick() = 0;
};

class CommandInterpreter {
public:
    explicit CommandInterpreter(CommandContext& context);

    // Names are matched ignoring case, after dropping the "_" and "." prefixes.
    void registerCommand(const QString& name, CommandFactory factory);
    bool hasCommand(const QString& name) const;

    void feed(const QString& characters);
    // Escape: ends the running command and any pick, drops half-typed input.
    void cancel();

    bool busy() const { return m_command != nullptr; }
    QString prompt() const;
    static QString idlePrompt();
    static QString commandKey(const QString& input);

private:
    void submit(const QString& input);
    void startCommand(const QString& input);
    void follow(std::optional<Prompt> next);
    bool blankEndsInput() const;

    CommandContext& m_context;
    QHash<QString, CommandFactory> m_table;
    std::unique_ptr<Command> m_command;
    Prompt m_prompt;
    QString m_buffer;
    bool m_inQuotes = false;
    int m_parenDepth = 0;
};
