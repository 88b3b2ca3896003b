#include "BuiltinCommands.h"
#include "CadSession.h"
#include <QFileInfo>

namespace {

QString unquoted(const QString& text)
{
    QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"'))
        t = t.mid(1, t.size() - 2);
    return t;
}

class SetVarCommand : public Command {
public:
    SetVarCommand(CadSession& session, QString name) : m_session(session), m_name(std::move(name)) {}

    std::optional<Prompt> start(CommandContext&, const QString&) override
    {
        if (m_name.isEmpty())
            return Prompt{QStringLiteral("変数名を入力: ")};
        return valuePrompt();
    }
    std::optional<Prompt> answer(CommandContext&, const QString& text) override
    {
        if (m_name.isEmpty()) {
            m_name = text.trimmed().toUpper();
            if (!m_session.variable(m_name).isValid()) {
                m_session.message(QStringLiteral("不明な変数名です: ") + text.trimmed());
                return std::nullopt;
            }
            if (SystemVariables::isReadOnly(m_name)) {
                m_session.message(QStringLiteral("変数 %1 は読み込み専用です。").arg(m_name));
                return std::nullopt;
            }
            return valuePrompt();
        }
        if (text.trimmed().isEmpty())
            return std::nullopt;
        bool ok = false;
        const qlonglong value = text.trimmed().toLongLong(&ok);
        if (!ok || m_session.setVariable(m_name, value) != SystemVariables::SetResult::Done) {
            m_session.message(QStringLiteral("無効な値です: ") + text.trimmed());
            return valuePrompt();
        }
        return std::nullopt;
    }

private:
    Prompt valuePrompt() const
    {
        return {QStringLiteral("%1 の新しい値を入力 <%2>: ").arg(m_name, m_session.variable(m_name).toString())};
    }
    CadSession& m_session;
    QString m_name;
};

class UndoCommand : public Command {
public:
    explicit UndoCommand(CadSession& session) : m_session(session) {}
    std::optional<Prompt> start(CommandContext&, const QString&) override
    {
        m_session.undo();
        return std::nullopt;
    }
    std::optional<Prompt> answer(CommandContext&, const QString&) override { return std::nullopt; }

private:
    CadSession& m_session;
};

class RegenCommand : public Command {
public:
    explicit RegenCommand(CadSession& session) : m_session(session) {}
    std::optional<Prompt> start(CommandContext&, const QString&) override
    {
        m_session.regen();
        m_session.message(QStringLiteral("モデルを再作図中."));
        return std::nullopt;
    }
    std::optional<Prompt> answer(CommandContext&, const QString&) override { return std::nullopt; }

private:
    CadSession& m_session;
};

// BMPOUT: the file name (a dialog with FILEDIA 1, else the command line),
// then the objects; an empty selection exports the whole drawing area.
class BmpOutCommand : public Command {
public:
    explicit BmpOutCommand(CadSession& session) : m_session(session) {}

    std::optional<Prompt> start(CommandContext&, const QString&) override
    {
        if (m_session.fileDialogsOn() && m_session.chooseSaveFile) {
            const std::optional<QString> chosen = m_session.chooseSaveFile(QStringLiteral("BMP ファイルを作成"), suggestion());
            if (!chosen) {
                m_session.message(QStringLiteral("*キャンセル*"));
                return std::nullopt;
            }
            m_file = withSuffix(*chosen);
            return selectionPrompt();
        }
        return Prompt{QStringLiteral("BMP ファイル名を入力 <%1>: ").arg(suggestion()), true};
    }
    std::optional<Prompt> answer(CommandContext&, const QString& text) override
    {
        if (m_file.isEmpty()) {
            const QString name = unquoted(text);
            m_file = withSuffix(name.isEmpty() ? suggestion() : name);
            return selectionPrompt();
        }
        const QString selection = text.trimmed().toUpper();
        if (!selection.isEmpty() && selection != QLatin1String("ALL") && selection != QLatin1String("_ALL")) {
            m_session.message(QStringLiteral("オブジェクトが見つかりません。"));
            return selectionPrompt();
        }
        QString error;
        if (m_session.exportBmp(m_file, &error))
            m_session.message(QStringLiteral("BMP ファイルを書き出しました: ") + m_file);
        else
            m_session.message(QStringLiteral("BMP ファイルを書き出せません (%1): %2").arg(error, m_file));
        return std::nullopt;
    }

private:
    static Prompt selectionPrompt() { return {QStringLiteral("オブジェクトを選択: ")}; }
    static QString withSuffix(const QString& name)
    {
        return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".bmp") : name;
    }
    QString suggestion() const
    {
        const QString path = m_session.drawingPath();
        if (path.isEmpty())
            return QStringLiteral("Drawing1.bmp");
        const QFileInfo info(path);
        return info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".bmp");
    }

    CadSession& m_session;
    QString m_file;
};

} // namespace

void registerBuiltinCommands(CadSession& session)
{
    session.registerCommand(QStringLiteral("SETVAR"), [&session] { return std::make_unique<SetVarCommand>(session, QString()); });
    for (const char* name : {"OSMODE", "FILEDIA", "CMDECHO"}) {
        const QString variable = QString::fromLatin1(name);
        session.registerCommand(variable, [&session, variable] { return std::make_unique<SetVarCommand>(session, variable); });
    }
    session.registerCommand(QStringLiteral("U"), [&session] { return std::make_unique<UndoCommand>(session); });
    session.registerCommand(QStringLiteral("REGEN"), [&session] { return std::make_unique<RegenCommand>(session); });
    session.registerCommand(QStringLiteral("BMPOUT"), [&session] { return std::make_unique<BmpOutCommand>(session); });
}
