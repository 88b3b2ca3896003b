#pragma once
// The companion commands of the table's context menu: loading "qvrise.lsp"
// (beside the executable) into the CAD and starting one of the seven commands
// it defines by name. Nothing of MIRTEX changes; the CAD's errors are dropped.
//
// The main window's handlers call
//     TCompanionCommand::loadCompanionFile(TargetProgID, message);   // qvriselsp1Click
//     TCompanionCommand::startCommand(TargetProgID, item->objectName()); // VRISE1Click
#include <QString>
#include <functional>

namespace TCompanionCommand {

// The companion file beside the executable.
QString companionFilePath();
// The message box text for a missing companion file.
QString missingFileMessage(const QString& path);
// (load "<path with every backslash doubled>")(princ) and a carriage return.
QString loadCommand(const QString& path);
// The command an item starts: its name without the digit 1, "Q" in front ("VRISE1" -> "QVRISE").
QString commandName(const QString& itemName);

// Without the file only the message is shown and the CAD is not contacted;
// otherwise the running CAD (if any) is brought to the front and loads it.
void loadCompanionFile(const QString& progId, const std::function<void(const QString&)>& message);
// The running CAD (if any) comes to the front and gets the item's command name and a CR.
void startCommand(const QString& progId, const QString& itemName);

}  // namespace TCompanionCommand
