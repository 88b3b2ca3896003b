#include "output/DirectTextCommand.h"

#include "cad/CadConnection.h"
#include "output/LispRoadCommand.h"
#include "results/CellNumbers.h"
#include "results/CharChecks.h"

#include <QElapsedTimer>
#include <cmath>
#include <exception>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kDefaultHeight = 2.5;
const QString kLayer = QStringLiteral("MIRTEX");
const QString kTextHeader = QStringLiteral("文字列");

// Puts the window back to idle however the run ends.
class IdleOnExit {
public:
    explicit IdleOnExit(ITextRoadWindow& window) : m_window(window) {}
    ~IdleOnExit()
    {
        m_window.grid().setCell(1, 0, kTextHeader);
        m_window.setRunButtons(false);
        m_window.textRunActive() = false;
    }

private:
    ITextRoadWindow& m_window;
};

}  // namespace

double fittedWidthFactor(double targetDiagonal, const TextBox& measured)
{
    const double measuredDiagonal =
        std::hypot(measured.upper[1] - measured.lower[1], measured.upper[0] - measured.lower[0]);
    double ratio = targetDiagonal / measuredDiagonal;
    if (ratio < 0.25) ratio = 0.25;
    if (ratio > 1.0) ratio = 1.0;
    // NaN (an empty box against a zero target) passes both tests and is cut below.
    return std::trunc(ratio * 100) * 0.01;
}

TDirectTextCommand::TDirectTextCommand(ITextRoadWindow& window, bool fromCrop)
    : m_window(window), m_fromCrop(fromCrop)
{
}

void TDirectTextCommand::run()
{
    m_window.setRunButtons(true);
    m_window.textRunActive() = true;
    IdleOnExit idle(m_window);
    if (m_window.lispChecked()) {
        m_window.runLispRoad(m_fromCrop);
        return;
    }
    CadObject application;
    if (!connectCad(m_window.targetProgId(), application, false)) return;
    try {
        CadObject cadDocument = application.getObject(QStringLiteral("ActiveDocument"));
        const int textAci = correctedTextAci(m_window.textAci());
        m_window.setTextAci(textAci);
        ensureLayer(cadDocument, kLayer, textAci);
        if (m_window.ocrResultLines().isEmpty()) return;
        CadTextDocument document(cadDocument);
        createTexts(document);
    } catch (const std::exception&) {
        // A refused call ends the run without a message; the texts made stay.
    }
}

double TDirectTextCommand::rowHeight(int row, const std::optional<QString>& fixedHeight) const
{
    // A fixed height is used as it is, 0 included.
    return parseLenientNumber(fixedHeight ? *fixedHeight : m_window.grid().cell(2, row), kDefaultHeight);
}

int TDirectTextCommand::createTexts(ITextDocument& document)
{
    TGridModel& grid = m_window.grid();
    IStatusMemo& memo = m_window.memo();
    grid.setRowCount(int(m_window.ocrResultLines().size()) + 1);
    document.startUndoMark();
    int count = 0;
    QElapsedTimer clock;
    clock.start();
    try {
        document.readModelSpace();
        const std::optional<QString> fixedHeight = fixedHeightText(m_window.fixedHeightBoxes(), m_fromCrop);
        const int n = grid.RowCount() - 1;
        for (int row = 1; row <= n; ++row) {
            grid.setCell(1, 0, QStringLiteral("%1 / %2").arg(row).arg(n));
            memo.processMessages();
            const QString text = trimBlanks(grid.cell(1, row));
            if (!text.isEmpty()) {
                const bool attention = checkAttnText(text, m_window.attnChars());
                const double height = rowHeight(row, fixedHeight);
                const double degrees = parseLenientNumber(grid.cell(3, row), 0);
                const Point3 at{parseLenientNumber(grid.cell(4, row), 0), parseLenientNumber(grid.cell(5, row), 0), 0};
                const double width = parseLenientNumber(grid.cell(8, row), 0);
                const double targetDiagonal = std::sqrt(height * height + width * width);

                document.addText(text, at, height);
                document.putText(QStringLiteral("Visible"), false);
                document.putText(QStringLiteral("Layer"), kLayer);
                if (attention) document.putText(QStringLiteral("Color"), m_window.attnAci());
                document.putText(QStringLiteral("ScaleFactor"), 1.0);
                document.putText(QStringLiteral("Rotation"), 0);
                document.putText(QStringLiteral("Alignment"), 0);
                const TextBox box = document.textBoundingBox();
                document.putText(QStringLiteral("Alignment"), 9);
                document.putText(QStringLiteral("InsertionPoint"), point(at[0], at[1], at[2]));
                document.putText(QStringLiteral("TextAlignmentPoint"), point(at[0], at[1], at[2]));
                const double radians = degrees * kRadiansPerDegree;
                if (radians != 0) document.rotateText(at, radians);
                const double factor = fittedWidthFactor(targetDiagonal, box);
                if (factor > 0) document.putText(QStringLiteral("ScaleFactor"), factor);
                document.putText(QStringLiteral("Visible"), true);
                ++count;
            }
            memo.processMessages();
            if (!m_window.textRunActive()) {
                m_window.disableStopButton();
                break;
            }
        }
    } catch (...) {
        // Our choice where the run ends in an error: the texts made so far
        // stay, and still undo as the one step they were begun as.
        try {
            document.endUndoMark();
        } catch (const std::exception&) {
            // The CAD is gone or refuses; the first error is the one to report.
        }
        throw;
    }
    document.endUndoMark();
    document.regen();
    memo.addLine(textsMadeLine(count, clock.elapsed()));
    return count;
}

void stopTextRun(ITextRoadWindow& window)
{
    window.textRunActive() = false;
    window.memo().processMessages();
}
