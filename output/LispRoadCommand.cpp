#include "output/LispRoadCommand.h"

#include "app/AppPaths.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "output/LspBatchWriter.h"
#include "results/CellNumbers.h"

#include <QElapsedTimer>
#include <QFile>

std::optional<QString> fixedHeightText(const FixedHeightBoxes& boxes, bool fromCrop)
{
    if (!(fromCrop ? boxes.cropTicked : boxes.tableTicked)) return std::nullopt;
    return trimBlanks(fromCrop ? boxes.cropText : boxes.tableText);
}

QString textsMadeLine(int count, qint64 elapsedMs)
{
    // The tick counter of the original wraps at 2^32 ms.
    const double seconds = double(quint32(elapsedMs)) / 1000.0;
    return QString::number(count) + QStringLiteral(" TEXT を作成しました.") + QString::asprintf("(%.1fsec)", seconds);
}

void runLispRoad(ITextRoadWindow& window, bool fromCrop)
{
    CadObject application;
    if (!connectCad(window.targetProgId(), application, false)) return;
    const int textAci = correctedTextAci(window.textAci());
    window.setTextAci(textAci);
    const QString path = AppPaths::exePathWith(QStringLiteral(".lsp"));
    QElapsedTimer clock;
    clock.start();
    const LspColours colours{textAci, window.attnAci(), window.attnChars()};
    const int count = makeOcrLsp(path, window.grid(), fixedHeightText(window.fixedHeightBoxes(), fromCrop).value_or(QString()), colours);
    if (QFile::exists(path)) {
        const QString load = lispLoadCommand(path);
        CadObject document = application.getObject(QStringLiteral("ActiveDocument"));
        ensureLayer(document, QStringLiteral("MIRTEX"), textAci);
        document.invoke(QStringLiteral("SendCommand"), {load});
    }
    window.memo().addLine(textsMadeLine(count, clock.elapsed()));
}
