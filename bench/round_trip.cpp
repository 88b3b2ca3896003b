// bench-round-trip [CORPUSDIR]: drawings of known TEXT entities go through the
// whole round trip in a real CAD host: the main window crops each drawing whole
// ("切り取り"), a writing road puts the table back into the drawing, and the new
// "MIRTEX" texts are compared with the drawing's own TEXT entities. Then the
// DXF road alone is timed for a table of 1000 rows. Needs an X display and a
// session bus (scripts/desktop.sh). Each road is one row of kRoads.
#include "../tests/e2e/CadHostProcess.h"
#include "../tests/e2e/HostView.h"
#include "corpus/Corpus.h"
#include "corpus/CorpusDxf.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "ocrengine/samples/TextSamples.h"
#include "output/DxfTextWriter.h"
#include "results/CellNumbers.h"
#include "tests/support/ScratchExecutable.h"
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

struct Road {
    const char* name;
    std::function<void(TForm102&)> click;  // starts the road as its button does
};

const Road kRoads[] = {
    {"DXF (TEXT 挿入)", [](TForm102& w) { w.Button1->click(); }},
    {"direct (TEXT 作成)", [](TForm102& w) {
         w.CheckBox8->setChecked(false);
         w.Button9->click();
     }},
    {"LISP (LISP で作成)", [](TForm102& w) {
         w.CheckBox8->setChecked(true);
         w.Button9->click();
     }},
};

struct Text {
    QString text;
    QPointF middleLeft;
    double height = 0, angle = 0;
};

Text textOf(const QJsonObject& e, bool middleLeftJustified) {
    const QJsonArray at = e[middleLeftJustified ? "alignmentPoint" : "insertion"].toArray();
    Text t{e["text"].toString(), {at[0].toDouble(), at[1].toDouble()}, e["height"].toDouble(),
           e["rotation"].toDouble() * 180 / M_PI};  // the host keeps radians
    if (!middleLeftJustified) {  // half a height up from the left end of the baseline
        const double a = t.angle * M_PI / 180;
        t.middleLeft += QPointF(-std::sin(a), std::cos(a)) * (t.height / 2);
    }
    return t;
}

struct Drawing {
    QString name, path;
    QRectF area;  // the crop; empty for the whole view
};

struct Row {
    QString drawing, road;
    int originals = 0, written = 0, exact = 0, placed = 0;
    QList<double> heightErr, angleErr;
    double cropSeconds = 0, roadSeconds = 0;
};

double median(QList<double> v) {
    if (v.isEmpty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Greedy one-to-one pairs, cheapest first: text distance, then position.
void compare(const QList<Text>& originals, const QList<Text>& written, Row& row) {
    struct Pair { double cost; int o, n; };
    QList<Pair> pairs;
    for (int o = 0; o < originals.size(); ++o)
        for (int n = 0; n < written.size(); ++n) {
            const QString ref = comparableText(originals[o].text);
            const int d = editDistance(ref, comparableText(written[n].text));
            if (d >= std::max<qsizetype>(1, ref.size())) continue;
            const QPointF off = written[n].middleLeft - originals[o].middleLeft;
            pairs.append({double(d) / ref.size() + 0.01 * std::hypot(off.x(), off.y()) / originals[o].height, o, n});
        }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.cost < b.cost; });
    QList<bool> oUsed(originals.size()), nUsed(written.size());
    for (const Pair& p : pairs) {
        if (oUsed[p.o] || nUsed[p.n]) continue;
        oUsed[p.o] = nUsed[p.n] = true;
        const Text& o = originals[p.o];
        const Text& n = written[p.n];
        row.exact += n.text == o.text;
        const QPointF off = n.middleLeft - o.middleLeft;
        row.placed += std::hypot(off.x(), off.y()) <= 0.15 * o.height;
        row.heightErr << 100.0 * std::abs(n.height - o.height) / o.height;
        row.angleErr << std::abs(std::remainder(n.angle - o.angle, 360.0));
    }
}

class Bench {
public:
    bool start(const QString& exeDir) {
        AppPaths::setExecutableForTesting(exeDir);
        MirtexApplication::showError = [](const QString& text) { std::fprintf(stderr, "error: %s\n", text.toUtf8().constData()); };
        const QString progId = QStringLiteral("MirtexBench.RoundTrip%1").arg(QCoreApplication::applicationPid());
        if (!m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), progId)) {
            std::fprintf(stderr, "%s\n", m_host.error().toUtf8().constData());
            return false;
        }
        if (!connectCad(progId, m_cad, false)) return false;
        m_cad.put(QStringLiteral("WindowState"), 3);
        QThread::msleep(1000);
        m_window = std::make_unique<TForm102>();
        m_window->TargetProgID = progId;
        m_window->show();
        QCoreApplication::processEvents();
        return true;
    }

    QList<QJsonObject> texts(bool mirtex) {
        QList<QJsonObject> out;
        for (const QJsonObject& e : m_host.entities())
            if (e["type"].toString() == QLatin1String("TEXT") && (e["layer"].toString() == QLatin1String("MIRTEX")) == mirtex)
                out << e;
        return out;
    }

    // Waits until the host holds count MIRTEX texts; false after 60 s.
    bool waitForMirtex(qsizetype count) {
        QElapsedTimer clock;
        clock.start();
        while (texts(true).size() != count) {
            if (clock.elapsed() > 60000) return false;
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        return true;
    }

    void undoAll() {
        m_cad.getObject(QStringLiteral("ActiveDocument")).invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
        waitForMirtex(0);
    }

    QList<Row> roundTrip(const Drawing& d) {
        QList<Row> rows;
        m_host.openDrawing(d.path);
        CadObject doc = m_cad.getObject(QStringLiteral("ActiveDocument"));
        QRectF area = d.area;
        if (area.isEmpty()) {  // the whole view, just inside the drawing area
            const HostView v = HostView::of(doc);
            const QPointF a = v.pixelCentre({2, v.h - 3}), b = v.pixelCentre({v.w - 3, 2});
            area = QRectF(a, b);
        } else {
            const QList<double> screen = toPoint(doc.invoke(QStringLiteral("GetVariable"), {QStringLiteral("screensize")}).first());
            const double unitsPerPx = std::max({1.0, (area.width() + 40) / screen[0], (area.height() + 40) / screen[1]});
            m_cad.invoke(QStringLiteral("ZoomCenter"), {point(area.center().x(), area.center().y(), 0), unitsPerPx * screen[1]});
        }
        QList<Text> originals;
        for (const QJsonObject& e : texts(false)) originals << textOf(e, false);

        TForm102& w = *m_window;
        for (const Road& road : kRoads) {
            m_host.answerPicks({{area.left(), area.bottom()}, {area.right(), area.top()}});
            QElapsedTimer clock;
            clock.start();
            w.Button2Click();
            Row row{d.name, QString::fromUtf8(road.name)};
            row.cropSeconds = clock.elapsed() / 1000.0;
            row.originals = int(originals.size());
            for (int r = 1; r < w.Grid.RowCount(); ++r) row.written += !dxfTextValue(w.Grid.cell(1, r)).isEmpty();
            clock.restart();
            road.click(w);
            if (!waitForMirtex(row.written)) std::fprintf(stderr, "%s: the texts did not all arrive\n", road.name);
            row.roadSeconds = clock.elapsed() / 1000.0;
            QList<Text> written;
            for (const QJsonObject& e : texts(true)) written << textOf(e, true);
            compare(originals, written, row);
            undoAll();
            std::fprintf(stderr, "%-14s %-16s %3d originals  %3d rows  crop %.2f s  road %.3f s\n", d.name.toUtf8().constData(),
                         road.name, row.originals, row.written, row.cropSeconds, row.roadSeconds);
            rows << row;
        }
        return rows;
    }

    // The DXF road alone for a table of n rows: writing "temp.dxf", and
    // from the click until the host holds every text.
    void thousandRows(int n, int runs) {
        TForm102& w = *m_window;
        w.OcrResultLines.clear();
        w.Grid.setRowCount(n + 1);
        for (int r = 1; r <= n; ++r) {
            w.OcrResultLines << QStringLiteral("%1: 行 %2").arg(r - 1).arg(r);
            w.Grid.setCell(1, r, QStringLiteral("通り芯 X%1 GL+%2").arg(r).arg(r * 10));
            w.Grid.setCell(2, r, formatFixed(2.5 + r % 4, 3));
            w.Grid.setCell(3, r, formatFixed((r % 8) * 45.0, 1));
            w.Grid.setCell(4, r, formatFixed((r % 40) * 60.0, 3));
            w.Grid.setCell(5, r, formatFixed((r / 40) * 12.0, 3));
            w.Grid.setCell(8, r, formatFixed(30, 2));
        }
        const QString scratch = AppPaths::inExeFolder(QStringLiteral("bench.dxf"));
        QList<double> write, road;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer clock;
            clock.start();
            makeOcrDxf(0, {w.OcrResultLines, w.Grid, w.Edit9->text(), w.AttnAci}, scratch);
            write << (clock.elapsed() - 100) / 1000.0;  // without the fixed 100 ms wait for the CAD
            w.Button1->setEnabled(true);
            clock.restart();
            kRoads[0].click(w);
            if (!waitForMirtex(n)) std::fprintf(stderr, "the %d texts did not all arrive\n", n);
            road << clock.elapsed() / 1000.0;
            undoAll();
        }
        std::printf("\n### DXF road alone, %d rows (median of %d runs)\n\n", n, runs);
        std::printf("| step | seconds |\n|---|---|\n");
        std::printf("| write \"temp.dxf\" (without the fixed 100 ms wait) | %.3f |\n", median(write));
        std::printf("| click \"TEXT 挿入\" → all %d texts in the host | %.3f |\n", n, median(road));
    }

private:
    CadHostProcess m_host;
    CadObject m_cad;
    std::unique_ptr<TForm102> m_window;
};

// Lettering of a drawing sheet in mixed heights and angles, 36 lines.
bool writeMixedSheet(const QString& path, QRectF& area) {
    static const char* words[] = {"平面図 S=1/100", "GL+1,200", "鉄筋コンクリート造", "ALC PANEL 100", "通り芯 X1",
                                  "FL+3,600", "押入", "洋室 6.0 帖", "DOOR W=900", "玄関", "EV ホール", "PS"};
    static const double heights[] = {10, 14, 20, 28};
    static const double angles[] = {0, 0, 5, -8, 15, 0, 30, -3, 0};
    CorpusDxf dxf;
    dxf.addLayer(QStringLiteral("TEXT"), 7);
    area = QRectF(0, 0, 1500, 900);
    int n = 0;
    for (int col = 0; col < 3; ++col)
        for (int line = 0; line < 12; ++line, ++n) {
            const double h = heights[n % 4];
            dxf.addText(QStringLiteral("TEXT"), QString::fromUtf8(words[(n * 5) % 12]),
                        {40 + col * 500.0, 860 - line * 70.0}, h, angles[n % 9], 7);
        }
    return dxf.save(path);
}

void printRows(const QList<Row>& rows) {
    std::printf("\n### Round trip by drawing and road\n\n");
    std::printf("| drawing | road | original texts | rows written | text exact %% | within 0.15 h %% |"
                " height err median %% | angle err median ° | crop s | click → entities s |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %s | %d | %d | %.0f | %.0f | %.1f | %.1f | %.2f | %.3f |\n", r.drawing.toUtf8().constData(),
                    r.road.toUtf8().constData(), r.originals, r.written, 100.0 * r.exact / std::max(1, r.originals),
                    100.0 * r.placed / std::max(1, r.originals), median(r.heightErr), median(r.angleErr), r.cropSeconds,
                    r.roadSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    MirtexApplication app(argc, argv);
    QTemporaryDir work;
    const QStringList args = app.arguments().mid(1);
    const QString corpus = args.isEmpty() ? work.filePath(QStringLiteral("corpus")) : args.first();
    if (args.isEmpty() && QProcess::execute(QStringLiteral(MIRTEX_BIN_DIR "/make-ocr-corpus"), {corpus}) != 0) {
        std::fprintf(stderr, "cannot make the corpus\n");
        return 1;
    }
    const QString exeDir = work.filePath(QStringLiteral("exe"));
    QDir().mkpath(exeDir);
    useScratchExecutableFolder(exeDir);

    QList<Drawing> drawings{{QStringLiteral("sample plan"), QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf"), {}}};
    for (const char* name : {"dense_30", "small_angles_20"}) {
        CorpusSheet sheet;
        if (!readTruth(corpus + "/" + name + ".truth.tsv", sheet)) {
            std::fprintf(stderr, "no corpus sheet %s\n", name);
            return 1;
        }
        drawings << Drawing{QString::fromLatin1(name), corpus + "/" + name + ".dxf", sheet.area};
    }
    Drawing mixed{QStringLiteral("mixed sheet"), work.filePath(QStringLiteral("mixed.dxf")), {}};
    if (!writeMixedSheet(mixed.path, mixed.area)) return 1;
    drawings << mixed;

    Bench bench;
    if (!bench.start(exeDir)) return 1;
    QList<Row> rows;
    for (const Drawing& d : drawings) rows << bench.roundTrip(d);
    printRows(rows);
    bench.thousandRows(1000, 3);
    return 0;
}
