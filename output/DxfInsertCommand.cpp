#include "output/DxfInsertCommand.h"

#include "app/AppPaths.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "output/DxfTextWriter.h"
#include "results/GridModel.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Enables the write buttons again when the command ends, however it ends.
class ButtonsBack {
public:
    explicit ButtonsBack(IDxfInsertWindow& window) : m_window(window) { m_window.setWriteButtonsEnabled(false); }
    ~ButtonsBack() { m_window.setWriteButtonsEnabled(true); }
    ButtonsBack(const ButtonsBack&) = delete;
    ButtonsBack& operator=(const ButtonsBack&) = delete;

private:
    IDxfInsertWindow& m_window;
};

}  // namespace

QString TDxfInsertCommand::insertCommand(const QString& dxfPath) {
    return QStringLiteral("-INSERT \"*") + dxfPath + QStringLiteral("\"\r0,0 1.0 0.0\r");
}

void TDxfInsertCommand::run(bool startedByCrop) {
    CadObject application;
    if (!connectCad(m_window.targetProgId(), application, false)) return;
    const ButtonsBack buttons(m_window);

    const QString path = AppPaths::inExeFolder(QStringLiteral("temp.dxf"));
    CadObject document = application.getObject(QStringLiteral("ActiveDocument"));
    m_window.setTextAci(correctedTextAci(m_window.textAci()));
    QFile::remove(path);
    ensureLayer(document, QStringLiteral("MIRTEX"), m_window.textAci());

    // Only a file written by this run is inserted: an old one that could not
    // be deleted must not reach the drawing in place of an empty table.
    bool written = false;
    QStringList& lines = m_window.ocrResultLines();
    if (!lines.isEmpty()) {
        m_window.grid().setRowCount(int(lines.size()) + 1);
        const double txhorg = fixedTextHeight(startedByCrop, m_window.fixedHeightBoxes());
        makeOcrDxf(txhorg, {lines, m_window.grid(), m_window.attnChars(), m_window.attnAci()}, path);
        written = true;
    }
    if (written && QFileInfo(path).isFile())
        document.invoke(QStringLiteral("SendCommand"), {insertCommand(path)});
}
