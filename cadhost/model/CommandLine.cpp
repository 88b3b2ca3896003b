#include "CommandLine.h"

namespace {
constexpr QChar kEscape(0x1B);
}

CommandInterpreter::CommandInterpreter(CommandContext& context) : m_context(context) {}

QString CommandInterpreter::idlePrompt()
{
    return QStringLiteral("コマンド: ");
}

QString CommandInterpreter::commandKey(const QString& input)
{
    if (input.startsWith(u'('))
        return QStringLiteral("(");
    QString key = input.trimmed();
    while (key.startsWith(u'_') || key.startsWith(u'.'))
        key.remove(0, 1);
    return key.toUpper();
}

void CommandInterpreter::registerCommand(const QString& name, CommandFactory factory)
{
    m_table.insert(commandKey(name), std::move(factory));
}

bool CommandInterpreter::hasCommand(const QString& name) const
{
    return m_table.contains(commandKey(name));
}

QString CommandInterpreter::prompt() const
{
    return m_command ? m_prompt.text : idlePrompt();
}

bool CommandInterpreter::blankEndsInput() const
{
    if (m_inQuotes || m_parenDepth > 0)
        return false;
    return m_context.picking() || !m_command || !m_prompt.takesBlanks;
}

void CommandInterpreter::feed(const QString& characters)
{
    for (const QChar c : characters) {
        if (c == kEscape) {
            cancel();
        } else if (c == u'\r' || c == u'\n') {
            submit(std::exchange(m_buffer, QString()));
        } else if (c == u' ' && blankEndsInput()) {
            submit(std::exchange(m_buffer, QString()));
        } else {
            if (c == u'"')
                m_inQuotes = !m_inQuotes;
            else if (!m_inQuotes && c == u'(')
                ++m_parenDepth;
            else if (!m_inQuotes && c == u')' && m_parenDepth > 0)
                --m_parenDepth;
            m_buffer += c;
        }
    }
}

void CommandInterpreter::cancel()
{
    m_buffer.clear();
    m_inQuotes = false;
    m_parenDepth = 0;
    const bool picking = m_context.picking();
    if (picking)
        m_context.cancelPick(); // logs its own cancellation
    if (m_command) {
        m_command.reset();
        m_context.logLine(m_prompt.text + QStringLiteral("*キャンセル*"));
    } else if (!picking) {
        m_context.logLine(idlePrompt() + QStringLiteral("*キャンセル*"));
    }
    m_context.showPrompt(prompt());
}

void CommandInterpreter::submit(const QString& input)
{
    m_inQuotes = false;
    m_parenDepth = 0;
    if (m_context.picking()) {
        m_context.pickInput(input);
        return;
    }
    if (m_command) {
        m_context.logLine(m_prompt.text + input);
        follow(m_command->answer(m_context, input));
        return;
    }
    if (input.trimmed().isEmpty())
        return;
    startCommand(input.trimmed());
}

void CommandInterpreter::startCommand(const QString& input)
{
    m_context.logLine(idlePrompt() + input);
    const auto it = m_table.constFind(commandKey(input));
    if (it == m_table.constEnd()) {
        m_context.logLine(QStringLiteral("不明なコマンド: ") + input);
        m_context.showPrompt(prompt());
        return;
    }
    m_command = (*it)();
    follow(m_command->start(m_context, input));
}

void CommandInterpreter::follow(std::optional<Prompt> next)
{
    if (next) {
        m_prompt = *next;
    } else {
        m_command.reset();
        m_prompt = {};
    }
    m_context.showPrompt(prompt());
}
