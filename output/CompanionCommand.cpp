#include "output/CompanionCommand.h"

#include "app/AppPaths.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "platform/WindowSystem.h"

#include <QFileInfo>

namespace TCompanionCommand {

namespace {

// The CAD to the front, then the line to its command line; the CAD's
// refusals and a CAD gone in between are dropped, as is everything else
// the CAD reports about these commands.
void sendToCad(const QString& progId, const QString& line)
{
    CadObject application;
    if (!connectCad(progId, application, false)) return;
    try {
        bringToFront(application.get(QStringLiteral("HWND")).toULongLong());
        application.getObject(QStringLiteral("ActiveDocument")).invoke(QStringLiteral("SendCommand"), {line});
    } catch (const CadError&) {
    }
}

}  // namespace

QString companionFilePath() { return AppPaths::inExeFolder(QStringLiteral("qvrise.lsp")); }

QString missingFileMessage(const QString& path) { return path + u'\n' + QStringLiteral("が、見つかりません．"); }

QString loadCommand(const QString& path)
{
    QString escaped = path;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    return QStringLiteral("(load \"") + escaped + QStringLiteral("\")(princ)\r");
}

QString commandName(const QString& itemName)
{
    QString name = itemName;
    name.remove(u'1');
    return u'Q' + name;
}

void loadCompanionFile(const QString& progId, const std::function<void(const QString&)>& message)
{
    const QString path = companionFilePath();
    if (!QFileInfo(path).isFile()) {
        message(missingFileMessage(path));
        return;
    }
    sendToCad(progId, loadCommand(path));
}

void startCommand(const QString& progId, const QString& itemName)
{
    sendToCad(progId, commandName(itemName) + u'\r');
}

}  // namespace TCompanionCommand
