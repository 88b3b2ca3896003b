// bench-direct-road: the direct road (Button9Click) and the LISP road
// (Button15Click) of the real main window writing a table of rows into a
// reference CAD host that it starts itself, beside the bare automation call
// rate of the same host in the same run. Needs a display and a session bus.
//
//   bench-direct-road [rows]      (default 1000)
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "app/Form102TextRoadWindow.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "output/DirectTextCommand.h"
#include "tests/e2e/CadHostProcess.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QThread>
#include <cstdio>

namespace {

void fillTable(TForm102& form, int rows)
{
    form.OcrResultLines.clear();
    form.Grid.setRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        // A sheet of 25 columns; every fifth text vertical, so Rotate is part of the mix.
        const double x = 40.0 * ((r - 1) % 25), y = -12.0 * ((r - 1) / 25);
        form.Grid.setCell(0, r, QString::number(r));
        form.Grid.setCell(1, r, QStringLiteral("部屋 %1 ROOM").arg(r));
        form.Grid.setCell(2, r, QStringLiteral("2.500"));
        form.Grid.setCell(3, r, r % 5 == 0 ? QStringLiteral("90.0") : QStringLiteral("0.0"));
        form.Grid.setCell(4, r, QString::asprintf("%.3f", x));
        form.Grid.setCell(5, r, QString::asprintf("%.3f", y));
        form.Grid.setCell(8, r, QStringLiteral("24.00"));
        form.OcrResultLines << QStringLiteral("%1: row").arg(r - 1);
    }
}

// GetVariable calls per second over about a second.
double bareCallRate(CadObject& document)
{
    QElapsedTimer clock;
    clock.start();
    long calls = 0;
    while (clock.elapsed() < 1000) {
        document.invoke(QStringLiteral("GetVariable"), {QStringLiteral("OSMODE")});
        ++calls;
    }
    return calls * 1000.0 / double(clock.elapsed());
}

// A document that answers at once: what the loop costs the window without the CAD.
class NoCad : public ITextDocument {
public:
    void startUndoMark() override {}
    void endUndoMark() override {}
    void readModelSpace() override {}
    void addText(const QString&, const Point3&, double) override {}
    void putText(const QString&, const QVariant&) override {}
    TextBox textBoundingBox() override { return {{0, 0, 0}, {10, 2.5, 0}}; }
    void rotateText(const Point3&, double) override {}
    void regen() override {}
};

qsizetype mirtexTexts(CadHostProcess& host)
{
    qsizetype n = 0;
    for (const QJsonObject& e : host.entities())
        if (e.value(QStringLiteral("layer")).toString() == QStringLiteral("MIRTEX")) ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    MirtexApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    AppPaths::setExecutableForTesting(dir.path());

    const QString progId = QStringLiteral("MirtexBench.DirectRoad%1").arg(QCoreApplication::applicationPid());
    CadHostProcess host;
    if (!host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), progId, QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf"))) {
        std::fprintf(stderr, "%s\n", qPrintable(host.error()));
        return 1;
    }
    CadObject application;
    if (!connectCad(progId, application, false)) {
        std::fprintf(stderr, "cannot reach the host\n");
        return 1;
    }
    CadObject document = application.getObject(QStringLiteral("ActiveDocument"));

    TForm102 form;
    form.TargetProgID = progId;
    form.show();
    QElapsedTimer shown;
    shown.start();
    while (!(form.windowHandle() && form.windowHandle()->isExposed()) && shown.elapsed() < 5000) app.processEvents();
    app.processEvents();

    fillTable(form, rows);
    Form102TextRoadWindow window(form);
    NoCad noCad;
    QElapsedTimer loopClock;
    loopClock.start();
    TDirectTextCommand(window, false).createTexts(noCad);
    const double loopSeconds = loopClock.elapsed() / 1000.0;

    const double before = bareCallRate(document);
    fillTable(form, rows);
    form.CheckBox8->setChecked(false);
    QElapsedTimer clock;
    clock.start();
    form.Button9Click(form.Button9);
    const double directSeconds = clock.elapsed() / 1000.0;
    const qsizetype direct = mirtexTexts(host);
    const double after = bareCallRate(document);

    // The LISP road: from the click until the host holds every text.
    fillTable(form, rows);
    form.CheckBox8->setChecked(true);
    clock.restart();
    form.Button9Click(form.Button9);
    const double handedOver = clock.elapsed() / 1000.0;
    while (mirtexTexts(host) < direct + rows && clock.elapsed() < 15000) QThread::msleep(5);
    const double lispSeconds = clock.elapsed() / 1000.0;
    const qsizetype lisp = mirtexTexts(host) - direct;

    const double bare = (before + after) / 2;
    const double textsPerSecond = direct / directSeconds;
    std::printf("rows: %d\n", rows);
    std::printf("bare calls (GetVariable): %.0f calls/s (%.0f before, %.0f after the run)\n", bare, before, after);
    std::printf("direct road: %lld texts in %.3f s = %.0f texts/s\n", static_cast<long long>(direct), directSeconds,
                textsPerSecond);
    std::printf("ratio texts/s : bare calls/s = %.4f (one text costs %.1f bare calls)\n", textsPerSecond / bare,
                bare / textsPerSecond);
    std::printf("the loop alone (window, no CAD calls): %.0f rows/s, %.2f ms a row\n", rows / loopSeconds,
                loopSeconds * 1000 / rows);
    std::printf("LISP road: %lld texts in %.3f s (file written and load sent after %.3f s)\n",
                static_cast<long long>(lisp), lispSeconds, handedOver);
    const bool complete = direct == rows && lisp == rows;
    if (!complete) std::printf("INCOMPLETE: the host does not hold every text\n");
    return complete ? 0 : 1;
}
