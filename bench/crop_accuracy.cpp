// bench-crop-accuracy [-v] [--large | CORPUSDIR]: crops every corpus drawing
// in a real CAD host through the crop command and compares the table with the
// ground truth, side by side with the plain tesseract command line on the same
// cut images. Needs an X display and a session bus (scripts/desktop.sh).
// -v lists every misread line (and keeps each cut image as
// <name>.source.png in a given CORPUSDIR); --large crops a corpus three times
// the size.
#include "../tests/e2e/CadHostProcess.h"
#include "../tests/e2e/CropWindowDouble.h"
#include "corpus/Corpus.h"
#include "PlainTesseract.h"
#include "app/AppPaths.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "capture/CropCommand.h"
#include "ocrengine/samples/TextSamples.h"
#include "results/ResultReader.h"
#include "tests/support/ScratchExecutable.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct OutLine {
    QString text;
    bool hasGeometry = false;
    QPointF point;
    double height = 0, angle = 0;
};

// One truth line's outcome for one recogniser.
struct LineScore {
    int refLength = 0, errors = 0;
    bool found = false;
    const OutLine* match = nullptr;
};

// Greedy one-to-one matching, cheapest text distance first; with geometry a
// nearby line wins a tie between equal texts.
QList<LineScore> score(const QList<TruthLine>& truth, const QList<OutLine>& out)
{
    struct Pair { double cost; int t, o, d; };
    QList<Pair> pairs;
    for (int t = 0; t < truth.size(); ++t) {
        const QString ref = comparableText(truth[t].text);
        for (int o = 0; o < out.size(); ++o) {
            const int d = editDistance(ref, comparableText(out[o].text));
            double cost = double(d) / std::max<qsizetype>(1, ref.size());
            if (out[o].hasGeometry) {
                const QPointF m = truth[t].rowPoint();
                cost += 0.01 * std::hypot(out[o].point.x() - m.x(), out[o].point.y() - m.y()) / truth[t].height;
            }
            pairs.append({cost, t, o, d});
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.cost < b.cost; });
    QList<LineScore> scores(truth.size());
    for (int t = 0; t < truth.size(); ++t) {
        scores[t].refLength = int(comparableText(truth[t].text).size());
        scores[t].errors = scores[t].refLength;
    }
    QList<bool> tUsed(truth.size()), oUsed(out.size());
    for (const Pair& p : pairs) {
        if (tUsed[p.t] || oUsed[p.o] || p.d >= scores[p.t].refLength)
            continue;
        tUsed[p.t] = oUsed[p.o] = true;
        scores[p.t].errors = p.d;
        scores[p.t].found = 2 * p.d <= scores[p.t].refLength;
        scores[p.t].match = &out[p.o];
    }
    return scores;
}

struct Stats {
    int lines = 0, refChars = 0, errors = 0, found = 0;
    QList<double> pointErr, heightErr, angleErr;
    int crops = 0;
    double seconds = 0;
    int tessJpnEngErrors = 0, tessJapaneseErrors = 0;

    double cer() const { return refChars ? 100.0 * errors / refChars : 0; }
};

double median(QList<double> v)
{
    if (v.isEmpty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double shareWithin(const QList<double>& v, double limit)
{
    if (v.isEmpty())
        return NAN;
    return 100.0 * std::count_if(v.begin(), v.end(), [&](double x) { return x <= limit; }) / v.size();
}

QString angleClass(const TruthLine& t)
{
    if (t.kind == QLatin1String("vertical"))
        return QStringLiteral("vertical column");
    if (t.angleDeg == 0)
        return QStringLiteral("0°");
    if (t.angleDeg == 90 || t.angleDeg == 270)
        return QString::number(t.angleDeg) + QStringLiteral("°");
    return QStringLiteral("small (±2–15°)");
}

void printTable(const char* title, const QMap<QString, Stats>& groups)
{
    std::printf("\n### %s\n\n", title);
    std::printf("| group | lines | CER %% | recall %% | point ≤ 0.15 h %% | point median h | height err median %% |"
                " angle ±1° %% | s/crop | tesseract jpn+eng CER %% | × lower | tesseract Japanese CER %% |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        const Stats& s = it.value();
        const double jpnEng = s.refChars ? 100.0 * s.tessJpnEngErrors / s.refChars : 0;
        std::printf("| %s | %d | %.1f | %.1f | %.0f | %.3f | %.1f | %.0f | %s | %.1f | %.1f | %.1f |\n",
                    it.key().toUtf8().constData(), s.lines, s.cer(), 100.0 * s.found / std::max(1, s.lines),
                    shareWithin(s.pointErr, 0.15), median(s.pointErr), median(s.heightErr),
                    shareWithin(s.angleErr, 1.0),
                    s.crops ? QByteArray::number(s.seconds / s.crops, 'f', 3).constData() : "–", jpnEng,
                    s.cer() > 0 ? jpnEng / s.cer() : INFINITY,
                    s.refChars ? 100.0 * s.tessJapaneseErrors / s.refChars : 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir work;
    QStringList args = app.arguments().mid(1);
    const bool verbose = args.removeAll(QStringLiteral("-v")) > 0;
    const bool large = args.removeAll(QStringLiteral("--large")) > 0;
    const bool generate = args.isEmpty();
    const QString corpus = generate ? work.filePath(QStringLiteral("corpus")) : args.first();
    QStringList corpusArgs{corpus};
    if (large)
        corpusArgs << QStringLiteral("--large");
    if (generate && QProcess::execute(QStringLiteral(MIRTEX_BIN_DIR "/make-ocr-corpus"), corpusArgs) != 0) {
        std::fprintf(stderr, "cannot make the corpus\n");
        return 1;
    }
    // A scratch executable folder holding the OCR engine files.
    const QString exeDir = work.filePath(QStringLiteral("exe"));
    QDir().mkpath(exeDir);
    useScratchExecutableFolder(exeDir);

    const QString progId = QStringLiteral("MirtexBench.Crop%1").arg(QCoreApplication::applicationPid());
    CadHostProcess host;
    if (!host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), progId)) {
        std::fprintf(stderr, "%s\n", host.error().toUtf8().constData());
        return 1;
    }
    CadObject cad;
    if (!connectCad(progId, cad, false)) {
        std::fprintf(stderr, "cannot reach the host\n");
        return 1;
    }
    cad.put(QStringLiteral("WindowState"), 3);
    QThread::msleep(1000);

    QMap<QString, Stats> bySheet, byColour, byAngle, overall;
    const QStringList files = QDir(corpus).entryList({QStringLiteral("*.truth.tsv")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        CorpusSheet sheet;
        if (!readTruth(corpus + "/" + file, sheet)) {
            std::fprintf(stderr, "bad truth file %s\n", file.toUtf8().constData());
            return 1;
        }
        host.openDrawing(corpus + "/" + sheet.name + ".dxf");
        CadObject doc = cad.getObject(QStringLiteral("ActiveDocument"));
        const QList<double> screen = toPoint(doc.invoke(QStringLiteral("GetVariable"), {QStringLiteral("screensize")}).first());
        // One unit per pixel when the sheet fits, smaller otherwise.
        const double unitsPerPx = std::max({1.0, (sheet.area.width() + 40) / screen[0], (sheet.area.height() + 40) / screen[1]});
        cad.invoke(QStringLiteral("ZoomCenter"), {point(sheet.area.center().x(), sheet.area.center().y(), 0), unitsPerPx * screen[1]});
        host.answerPicks({{sheet.area.left(), sheet.area.bottom()}, {sheet.area.right(), sheet.area.top()}});

        CropWindowDouble window(progId);
        QElapsedTimer clock;
        clock.start();
        TCropCommand(window).run();
        const double seconds = clock.elapsed() / 1000.0;

        QList<OutLine> ours;
        for (int r = 1; r < window.table.RowCount(); ++r)
            ours.append({window.table.cell(1, r), true,
                         {parseLenientNumber(window.table.cell(4, r), 0), parseLenientNumber(window.table.cell(5, r), 0)},
                         parseLenientNumber(window.table.cell(2, r), 0), parseLenientNumber(window.table.cell(3, r), 0)});
        const QString source = AppPaths::inExeFolder(QStringLiteral("source.png"));
        if (verbose && !generate)
            QFile::copy(source, corpus + "/" + sheet.name + ".source.png");
        const QString bestPath = work.filePath(QStringLiteral("best.png"));
        tesseractBestImage(QImage(source)).save(bestPath);
        const QStringList psm6{QStringLiteral("--psm"), QStringLiteral("6")};
        const QStringList tessJpnEng = tesseractLines(bestPath, QStringList{QStringLiteral("-l"), QStringLiteral("jpn+eng")} + psm6);
        const QStringList tessJapanese = tesseractLines(bestPath, QStringList{QStringLiteral("-l"), QStringLiteral("Japanese")} + psm6);
        QStringList references;
        for (const TruthLine& t : sheet.lines)
            references.append(t.text);

        const QList<LineScore> s = score(sheet.lines, ours);
        const QList<int> sd = substringErrors(references, tessJpnEng);
        const QList<int> sb = substringErrors(references, tessJapanese);
        for (Stats* st : {&bySheet[sheet.group], &overall[QStringLiteral("all")]}) {
            st->crops += 1;
            st->seconds += seconds;
        }
        for (int i = 0; i < sheet.lines.size(); ++i) {
            const TruthLine& t = sheet.lines[i];
            for (Stats* st : {&bySheet[sheet.group], &byColour[QStringLiteral("ACI %1").arg(t.aci, 3)], &byAngle[angleClass(t)],
                              &overall[QStringLiteral("all")]}) {
                st->lines += 1;
                st->refChars += s[i].refLength;
                st->errors += s[i].errors;
                st->found += s[i].found;
                st->tessJpnEngErrors += sd[i];
                st->tessJapaneseErrors += sb[i];
                if (s[i].found) {
                    const QPointF m = t.rowPoint();
                    st->pointErr << std::hypot(s[i].match->point.x() - m.x(), s[i].match->point.y() - m.y()) / t.height;
                    st->heightErr << 100.0 * std::abs(s[i].match->height - t.height) / t.height;
                    st->angleErr << std::abs(std::remainder(s[i].match->angle - t.angleDeg, 360.0));
                }
            }
        }
        for (int i = 0; verbose && i < sheet.lines.size(); ++i)
            if (s[i].errors)
                std::fprintf(stderr, "  %d/%d  %s  →  %s\n", s[i].errors, s[i].refLength,
                             sheet.lines[i].text.toUtf8().constData(),
                             s[i].match ? s[i].match->text.toUtf8().constData() : "(none)");
        std::fprintf(stderr, "%-18s %3lld lines  %.2f s\n", sheet.name.toUtf8().constData(),
                     static_cast<long long>(sheet.lines.size()), seconds);
    }
    printTable("By drawing", bySheet);
    printTable("By colour", byColour);
    printTable("By angle", byAngle);
    printTable("Overall", overall);
    return 0;
}
