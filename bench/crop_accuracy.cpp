// bench-crop-accuracy [CORPUSDIR]: crops every corpus drawing in a real CAD
// host through the crop command and compares the table with the ground
// truth, side by side with the plain tesseract command line on the same cut
// images. Needs an X display and a session bus (scripts/desktop.sh).
#include "../tests/e2e/CadHostProcess.h"
#include "../tests/e2e/CropWindowDouble.h"
#include "corpus/Corpus.h"
#include "app/AppPaths.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "capture/CropCommand.h"
#include "results/ResultReader.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString squeezed(const QString& s)
{
    QString out = s.normalized(QString::NormalizationForm_KC);
    out.remove(QRegularExpression(QStringLiteral("\\s")));
    return out;
}

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diag = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row[b.size()];
}

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
        const QString ref = squeezed(truth[t].text);
        for (int o = 0; o < out.size(); ++o) {
            const int d = editDistance(ref, squeezed(out[o].text));
            double cost = double(d) / std::max<qsizetype>(1, ref.size());
            if (out[o].hasGeometry) {
                const QPointF m = truth[t].middleLeft();
                cost += 0.01 * std::hypot(out[o].point.x() - m.x(), out[o].point.y() - m.y()) / truth[t].height;
            }
            pairs.append({cost, t, o, d});
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) { return a.cost < b.cost; });
    QList<LineScore> scores(truth.size());
    for (int t = 0; t < truth.size(); ++t) {
        scores[t].refLength = int(squeezed(truth[t].text).size());
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
    int tessDefaultErrors = 0, tessBestErrors = 0;

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

QList<OutLine> tesseractLines(const QString& image, const QStringList& options)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("tesseract"), QStringList{image, QStringLiteral("stdout")} + options);
    p.waitForFinished(120000);
    QList<OutLine> out;
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (!squeezed(l).isEmpty())
            out.append({l});
    return out;
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

void printTable(const char* title, const QMap<QString, Stats>& groups, bool geometry)
{
    std::printf("\n### %s\n\n", title);
    std::printf("| group | lines | CER %% | recall %% |%s tesseract default CER %% | tesseract best CER %% |\n",
                geometry ? " point ≤ 0.15 h %% | point median h | height err median %% | angle ±1° %% | s/crop |" : "");
    std::printf("|---|---|---|---|%s---|---|\n", geometry ? "---|---|---|---|---|" : "");
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        const Stats& s = it.value();
        std::printf("| %s | %d | %.1f | %.1f |", it.key().toUtf8().constData(), s.lines, s.cer(),
                    100.0 * s.found / std::max(1, s.lines));
        if (geometry)
            std::printf(" %.0f | %.3f | %.1f | %.0f | %s |", shareWithin(s.pointErr, 0.15), median(s.pointErr),
                        median(s.heightErr), shareWithin(s.angleErr, 1.0),
                        s.crops ? QByteArray::number(s.seconds / s.crops, 'f', 3).constData() : "–");
        std::printf(" %.1f | %.1f |\n", s.refChars ? 100.0 * s.tessDefaultErrors / s.refChars : 0,
                    s.refChars ? 100.0 * s.tessBestErrors / s.refChars : 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir work;
    QString corpus = argc > 1 ? QString::fromLocal8Bit(argv[1]) : work.filePath(QStringLiteral("corpus"));
    if (argc <= 1 && QProcess::execute(QStringLiteral(MIRTEX_BIN_DIR "/make-ocr-corpus"), {corpus}) != 0) {
        std::fprintf(stderr, "cannot make the corpus\n");
        return 1;
    }
    // A scratch executable folder holding the OCR engine files.
    const QString exeDir = work.filePath(QStringLiteral("exe"));
    QDir().mkpath(exeDir);
    for (const QString& f : QDir(QStringLiteral(MIRTEX_BIN_DIR)).entryList(QDir::Files))
        QFile::link(QStringLiteral(MIRTEX_BIN_DIR "/") + f, exeDir + "/" + f);
    AppPaths::setExecutableForTesting(exeDir);

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

    QMap<QString, Stats> bySheet, byColour, byAngle;
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
        const QList<OutLine> tessDefault = tesseractLines(source, {QStringLiteral("-l"), QStringLiteral("jpn+eng")});
        QImage best(source);
        best.invertPixels();
        best = best.scaled(best.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString bestPath = work.filePath(QStringLiteral("best.png"));
        best.save(bestPath);
        const QList<OutLine> tessBest = tesseractLines(bestPath, {QStringLiteral("-l"), QStringLiteral("Japanese"),
                                                                  QStringLiteral("--psm"), QStringLiteral("6")});

        const QList<LineScore> s = score(sheet.lines, ours);
        const QList<LineScore> sd = score(sheet.lines, tessDefault);
        const QList<LineScore> sb = score(sheet.lines, tessBest);
        bySheet[sheet.group].crops += 1;
        bySheet[sheet.group].seconds += seconds;
        for (int i = 0; i < sheet.lines.size(); ++i) {
            const TruthLine& t = sheet.lines[i];
            for (Stats* st : {&bySheet[sheet.group], &byColour[QStringLiteral("ACI %1").arg(t.aci, 3)], &byAngle[angleClass(t)]}) {
                st->lines += 1;
                st->refChars += s[i].refLength;
                st->errors += s[i].errors;
                st->found += s[i].found;
                st->tessDefaultErrors += sd[i].errors;
                st->tessBestErrors += sb[i].errors;
                if (s[i].found) {
                    const QPointF m = t.middleLeft();
                    st->pointErr << std::hypot(s[i].match->point.x() - m.x(), s[i].match->point.y() - m.y()) / t.height;
                    st->heightErr << 100.0 * std::abs(s[i].match->height - t.height) / t.height;
                    st->angleErr << std::abs(std::remainder(s[i].match->angle - t.angleDeg, 360.0));
                }
            }
        }
        std::fprintf(stderr, "%-18s %3lld lines  %.2f s\n", sheet.name.toUtf8().constData(),
                     static_cast<long long>(sheet.lines.size()), seconds);
    }
    printTable("By drawing", bySheet, true);
    printTable("By colour", byColour, true);
    printTable("By angle", byAngle, true);
    return 0;
}
