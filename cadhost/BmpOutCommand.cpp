#include "cadhost/CommandInterpreter.h"

namespace {

void exportView(CommandInterpreter& commands, HostState& s, const QString& path)
{
    const QImage view = commands.renderView ? commands.renderView() : QImage();
    if (view.isNull()) {
        s.commandLog << "書き出す表示がありません";
        return;
    }
    // 24 bits per pixel, as CAD bitmap exports are.
    if (!view.convertToFormat(QImage::Format_RGB888).save(path, "BMP"))
        s.commandLog << QString("書き出せません: %1").arg(path);
}

void askSelection(CommandInterpreter& commands, const QString& path)
{
    commands.ask("オブジェクトを選択 <すべて>:", [&commands, path](HostState& s, const QString& answer) {
        if (!answer.isEmpty()) {
            // Objects are selected by clicking in the view; typed selections are not understood.
            s.commandLog << QString("無効な選択です: %1").arg(answer);
            askSelection(commands, path);
            return;
        }
        exportView(commands, s, path);
    });
}

}  // namespace

void addBmpOutCommand(CommandInterpreter& commands)
{
    commands.addCommand("BMPOUT", [&commands](HostState& s, const QString& arguments) {
        auto withName = [&commands](HostState& st, const QString& typed) {
            const QString path = unquoted(typed.trimmed());
            if (path.isEmpty()) {
                st.commandLog << "ファイル名がありません";
                return;
            }
            askSelection(commands, path);
        };
        if (s.intVariables.value("FILEDIA") != 0 && commands.chooseSaveFile) {
            const QString path = commands.chooseSaveFile("ビットマップ書き出し", "BMP (*.bmp)");
            if (path.isEmpty()) {
                s.commandLog << "*キャンセル*";
                return;
            }
            withName(s, path);
        } else if (!arguments.isEmpty()) {
            withName(s, arguments);
        } else {
            commands.ask("ファイル名を入力:", withName);
        }
    });
}
