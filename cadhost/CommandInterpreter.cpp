#include "cadhost/CommandInterpreter.h"

#include "cadhost/DrawingExtents.h"

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
}

void CommandInterpreter::ask(const QString& prompt, Handler answer)
{
    m_state.commandLog << prompt;
    m_question = std::move(answer);
}

void CommandInterpreter::addCommand(const QString& name, Handler handler)
{
    m_commands.insert(name.toUpper(), std::move(handler));
}

void CommandInterpreter::feed(const QString& text)
{
    for (QChar c : text) {
        if (c == QChar(0x1b)) {
            m_pending.clear();
            m_question = nullptr;
            m_state.commandLog << "*キャンセル*";
            if (onCancel) onCancel();
        } else if (c == u'\r' || c == u'\n') {
            const QString line = m_pending.trimmed();
            m_pending.clear();
            if (m_question) {
                m_state.commandLog << line;
                std::exchange(m_question, nullptr)(m_state, line);
                if (onChange) onChange();
            } else if (!line.isEmpty()) {
                runLine(line);
            }
        } else {
            m_pending += c;
        }
    }
}

void CommandInterpreter::runLine(const QString& line)
{
    m_state.commandLog << QString("コマンド: %1").arg(line);
    const qsizetype space = line.indexOf(' ');
    QString name = (space < 0 ? line : line.left(space)).toUpper();
    if (name.startsWith('_')) name.remove(0, 1);
    const QString args = space < 0 ? QString() : line.mid(space + 1).trimmed();
    const auto it = m_commands.constFind(name);
    if (it == m_commands.constEnd()) {
        m_state.commandLog << QString("不明なコマンド: %1").arg(line);
        return;
    }
    (*it)(m_state, args);
    if (onChange) onChange();
}
