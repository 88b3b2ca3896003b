#include "cadhost/CommandInterpreter.h"

#include "cadhost/DrawingExtents.h"
#include "cadhost/InsertCommand.h"

#include <utility>

CommandInterpreter::CommandInterpreter(HostState& state) : m_state(state)
{
    addCommand("SETVAR", [](HostState& s, const QString& args) {
        const QStringList parts = args.split(' ', Qt::SkipEmptyParts);
        bool ok = false;
        const int value = parts.value(1).toInt(&ok);
        const QString name = parts.value(0).toUpper();
        if (parts.size() != 2 || !ok || !s.intVariables.contains(name)) {
            s.commandLog << QString("SETVAR: 無効な値です: %1").arg(args);
            return;
        }
        s.intVariables[name] = value;
    });
    addCommand("U", [](HostState& s, const QString&) {
        if (!s.undo.undo(s.drawing)) s.commandLog << "元に戻す操作はありません";
    });
    addCommand("ZOOM", [](HostState& s, const QString& args) {
        const QString option = args.trimmed().toUpper();
        if (option != "E" && option != "EXTENTS") {
            s.commandLog << QString("ZOOM: 範囲 (E) だけが使えます: %1").arg(args);
            return;
        }
        zoomToExtents(s);
    });
    addBmpOutCommand(*this);
    addInsertCommand(*this);
}

QString unquoted(const QString& answer)
{
    if (answer.size() >= 2 && answer.startsWith('"') && answer.endsWith('"')) return answer.mid(1, answer.size() - 2);
    return answer;
}

void CommandInterpreter::ask(const QString& prompt, Handler answer)
{
    m_state.commandLog << prompt;
    m_questionPrompt = prompt;
    m_question = std::move(answer);
}

void CommandInterpreter::addCommand(const QString& name, Handler handler, Input input)
{
    m_commands.insert(name.toUpper(), std::move(handler));
    if (input == Input::Prompts) m_prompting.insert(name.toUpper());
}

namespace {

// "_" (the English name) and "-" (the form without a dialog) may lead a command
// name in either order; the host has no dialogs, so both forms run the same.
QString commandKey(const QString& word)
{
    qsizetype i = 0;
    while (i < word.size() && (word[i] == u'_' || word[i] == u'-')) ++i;
    return word.mid(i).toUpper();
}

}  // namespace

void CommandInterpreter::feed(const QString& text)
{
    if (m_lisp.running()) {  // Escape stops the program; the rest waits until it ends
        if (text.contains(QChar(0x1b))) m_lisp.interrupt();
        else m_whileLispRuns += text;
        return;
    }
    // The text is read from a member, so that a LISP program started by one
    // of its lines takes the lines after it as typed-ahead answers.
    m_feedText = text;
    m_feedPos = 0;
    for (;;) {
        while (m_feedPos < m_feedText.size()) {
            const QChar c = m_feedText[m_feedPos++];
            if (c == QChar(0x1b)) {
                m_pending.clear();
                m_inQuotes = false;
                m_question = nullptr;
                m_state.commandLog << "*キャンセル*";
                if (onCancel) onCancel();
            } else if (c == u'\r' || c == u'\n' || (c == u' ' && blankEndsPiece())) {
                endPiece();
            } else {
                if (c == u'"') m_inQuotes = !m_inQuotes;
                m_pending += c;
            }
        }
        if (m_whileLispRuns.isEmpty()) break;
        m_feedText = std::exchange(m_whileLispRuns, QString());
        m_feedPos = 0;
    }
    m_feedText.clear();
    m_feedPos = 0;
}

std::optional<QString> CommandInterpreter::takeTypedAnswer()
{
    // What is left of the text being fed comes before what arrived since.
    if (m_feedPos < m_feedText.size()) {
        m_whileLispRuns.prepend(m_feedText.mid(m_feedPos));
        m_feedText.truncate(m_feedPos);
    }
    bool quoted = false;
    for (qsizetype i = 0; i < m_whileLispRuns.size(); ++i) {
        const QChar c = m_whileLispRuns[i];
        if (c == QChar(0x1b)) {  // Escape typed ahead cancels the prompt
            m_whileLispRuns.remove(0, i + 1);
            m_lisp.interrupt();
            return std::nullopt;
        }
        if (c == u'"') quoted = !quoted;
        if (c == u'\r' || c == u'\n' || (c == u' ' && !quoted)) {
            const QString answer = m_whileLispRuns.left(i).trimmed();
            m_whileLispRuns.remove(0, i + 1);
            return answer;
        }
    }
    return std::nullopt;
}

bool CommandInterpreter::blankEndsPiece() const
{
    if (m_inQuotes) return false;
    if (m_question) return true;
    const QString word = m_pending.trimmed();
    return !word.isEmpty() && !word.contains(u' ') && m_prompting.contains(commandKey(word));
}

void CommandInterpreter::endPiece()
{
    const QString line = m_pending.trimmed();
    m_pending.clear();
    m_inQuotes = false;
    if (m_question) {
        // The answer goes on its prompt's line, as a CAD's command line shows it.
        if (!m_state.commandLog.isEmpty() && m_state.commandLog.last() == m_questionPrompt)
            m_state.commandLog.last() += line.isEmpty() ? QString() : " " + line;
        else
            m_state.commandLog << line;
        std::exchange(m_question, nullptr)(m_state, line);
        if (onChange) onChange();
    } else if (!line.isEmpty()) {
        runLine(line);
    }
}

void CommandInterpreter::runLine(const QString& line)
{
    m_state.commandLog << QString("コマンド: %1").arg(line);
    const qsizetype space = line.indexOf(' ');
    const QString name = commandKey(space < 0 ? line : line.left(space));
    const QString args = space < 0 ? QString() : line.mid(space + 1).trimmed();
    if (line.startsWith('(')) {
        m_lisp.evaluateLine(line);
        if (onChange) onChange();
        return;
    }
    const auto it = m_commands.constFind(name);
    if (it == m_commands.constEnd() && m_lisp.runCommand(name)) {
        if (onChange) onChange();
        return;
    }
    if (it == m_commands.constEnd()) {
        m_state.commandLog << QString("不明なコマンド: %1").arg(line);
        return;
    }
    (*it)(m_state, args);
    if (onChange) onChange();
}
