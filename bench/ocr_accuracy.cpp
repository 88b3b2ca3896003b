// bench-ocr-accuracy: renders sheets of known lettering (sizes, colours,
// rotations, vertical Japanese, one dense 1200 x 800 crop), recognises each
// through the binding and the engine beside the programs, and prints per group
// CER, recall, box error, orientation hits and seconds per crop as a Markdown table.
#include "app/AppPaths.h"
#include "app/StatusMemo.h"
#include "capture/OcrBinding.h"
#include "ocrengine/samples/TextSamples.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMap>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

class QuietMemo : public IStatusMemo {
public:
    void addLine(const QString&) override {}
    void clear() override {}
    void processMessages() override {}
    void information(const QString&) override {}
};

// Drawing vocabulary. Characters that no model offered can produce (φ, ×, ±, ㎜) are left out.
const QStringList kWords = {
    "平面図 S=1/100", "W900 H2100", "鉄筋コンクリート造", "GL+1,200", "@200", "外壁：ALC板 t=100", "居間",
    "台所", "寝室", "玄関ホール", "浴室", "階段", "廊下", "収納", "和室 6帖", "洋室", "詳細図", "断面図 S=1/50",
    "立面図", "配置図", "基礎", "開口部", "防火戸", "給水管", "排水", "換気扇", "照明器具", "コンセント",
    "天井高 CH=2400", "FL+500", "D13 @150", "H-300", "1:50", "No.12", "A-101", "R=1500", "t=12", "3,640",
    "2F", "設備配管", "鋼製建具", "木製建具", "床：フローリング", "壁：石膏ボード t=12.5", "有効幅 W=800", "避難経路",
};
const QStringList kColumnWords = {"平面図", "鉄筋コンクリート造", "玄関ホール", "避難経路", "設備配管", "外壁仕上",
                                  "防火戸", "天井伏図", "給水管", "階段室"};

struct Scheme {
    const char* name;
    QColor background, text;
};
const Scheme kSchemes[] = {
    {"white/black", Qt::black, Qt::white},   {"yellow/black", Qt::black, QColor(255, 255, 0)},
    {"green/black", Qt::black, QColor(0, 255, 0)}, {"cyan/black", Qt::black, QColor(0, 255, 255)},
    {"black/white", Qt::white, Qt::black},
};

struct Sheet {
    QString group;
    QSize size;
    QColor background;
    QList<SampleLine> lines;
};

QString randomText(QRandomGenerator& rng, int pixelSize, double maxWidth)
{
    QFont font(sampleFontFamily());
    font.setPixelSize(pixelSize);
    const QFontMetricsF fm(font);
    for (;;) {
        QString text = kWords[rng.bounded(int(kWords.size()))];
        for (int extra = rng.bounded(3); extra > 0; --extra) {
            const QString more = text + " " + kWords[rng.bounded(int(kWords.size()))];
            if (fm.horizontalAdvance(more) <= maxWidth)
                text = more;
        }
        if (fm.horizontalAdvance(text) <= maxWidth)
            return text;
    }
}

QList<Sheet> makeSheets()
{
    QRandomGenerator rng(20260302);
    QList<Sheet> sheets;
    for (int size : {10, 14, 20, 32})
        for (const Scheme& s : kSchemes) {
            Sheet sheet{QString("size %1").arg(size, 2), {size * 30, int(size * 2.2 * 6 + size)}, s.background, {}};
            for (int i = 0; i < 6; ++i)
                sheet.lines.append({randomText(rng, size, size * 26), {size * 1.5, size * (1.6 + 2.2 * i)}, size, 0,
                                    SampleLayout::Horizontal, s.text});
            sheets.append(sheet);
        }
    for (int angle : {90, 270})
        for (const Scheme& s : {kSchemes[0], kSchemes[1], kSchemes[4]}) {
            const int size = 20;
            Sheet sheet{QString("angle %1").arg(angle), {size * 2 * 5 + 2 * size, 560}, s.background, {}};
            for (int i = 0; i < 5; ++i) {
                const QString text = randomText(rng, size, 500);
                const double x = size * (1.5 + 2.0 * i) + (angle == 90 ? size : 0);
                const double y = angle == 90 ? 545 : 15;
                sheet.lines.append({text, {x, y}, size, double(angle), SampleLayout::Horizontal, s.text});
            }
            sheets.append(sheet);
        }
    for (int angle : {8, -15, 15})
        for (const Scheme& s : {kSchemes[0], kSchemes[4]}) {
            const int size = 20;
            Sheet sheet{QString("angle %1").arg(angle), {560, 460}, s.background, {}};
            for (int i = 0; i < 4; ++i) {
                const double y = angle > 0 ? 150 + 95 * i : 30 + 95 * i;
                sheet.lines.append({randomText(rng, size, 380), {30, y}, size, double(angle), SampleLayout::Horizontal,
                                    s.text});
            }
            sheets.append(sheet);
        }
    for (const Scheme& s : {kSchemes[0], kSchemes[1], kSchemes[4]}) {
        const int size = 20;
        Sheet sheet{"vertical", {size * 3 * 5 + size, 460}, s.background, {}};
        for (int i = 0; i < 5; ++i)
            sheet.lines.append({kColumnWords[rng.bounded(int(kColumnWords.size()))], {size * (1.5 + 3.0 * i), 15.0}, size,
                                0, SampleLayout::Vertical, s.text});
        sheets.append(sheet);
    }
    for (const Scheme& s : {kSchemes[0], kSchemes[4]}) {
        Sheet sheet{"dense 1200x800", {1200, 800}, s.background, {}};
        for (int i = 0; i < 30; ++i) {
            const int size = 14 + 2 * (i % 4);
            const double x = 20 + 600 * (i % 2);
            sheet.lines.append({randomText(rng, size, 540), {x, 40.0 + 50 * (i / 2)}, size, 0, SampleLayout::Horizontal,
                                s.text});
        }
        sheets.append(sheet);
    }
    return sheets;
}

struct Tally {
    int crops = 0, lines = 0, found = 0, refChars = 0, edits = 0, angleChecks = 0, angleHits = 0;
    double boxError = 0, seconds = 0, worstSeconds = 0;
};

void score(const Sheet& sheet, const RenderedSample& sample, const QStringList& results, Tally& t)
{
    QList<RecognisedLine> got;
    for (const QString& r : results) {
        const qsizetype colon = r.indexOf(": ");
        qsizetype open = r.size();
        for (int i = 0; i < 4; ++i)
            open = r.lastIndexOf('(', open - 1);
        RecognisedLine line{r.mid(colon + 2, open - colon - 4), {}};
        QString nums = r.mid(open);
        nums.remove('(').remove(')');
        const QStringList v = nums.split(',');
        for (int i = 0; i < 8 && i < v.size(); ++i)
            line.box[size_t(i)] = v[i].toDouble();
        got.append(line);
    }
    for (qsizetype i = 0; i < sheet.lines.size(); ++i) {
        const SampleLine& line = sheet.lines[i];
        const int length = int(comparableText(line.text).size());
        const LineMatch m = matchLine(line, sample.boxes[i], got);
        ++t.lines;
        t.refChars += length;
        if (m.index < 0) {
            t.edits += length;
            continue;
        }
        ++t.found;
        t.edits += std::min(m.edits, length);
        t.boxError += m.cornerError / line.pixelSize;
        if (line.layout == SampleLayout::Horizontal && line.angleDeg != 0) {
            ++t.angleChecks;
            t.angleHits += m.directionError <= 5 ? 1 : 0;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    AppPaths::setExecutableForTesting(QCoreApplication::applicationDirPath());
    QuietMemo memo;
    QMap<QString, Tally> groups;
    Tally all;
    for (const Sheet& sheet : makeSheets()) {
        const RenderedSample sample = renderSample(sheet.size, sheet.background, sheet.lines);
        QStringList lines;
        QString flagged;
        QElapsedTimer timer;
        timer.start();
        ocrBitmapSL(sample.image, lines, flagged, memo);
        const double s = timer.nsecsElapsed() / 1e9;
        for (Tally* t : {&groups[sheet.group], &all}) {
            ++t->crops;
            t->seconds += s;
            t->worstSeconds = std::max(t->worstSeconds, s);
            score(sheet, sample, lines, *t);
        }
        if (argc > 1 && QString(argv[1]) == "-v")
            std::fprintf(stderr, "%s\n%s\n", sheet.group.toUtf8().constData(), lines.join("\n").toUtf8().constData());
    }
    std::printf("| group | crops | lines | CER | recall | box error (× height) | right angle | s/crop (worst) |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    groups["all"] = all;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const Tally& t = it.value();
        const QString angle = t.angleChecks ? QString("%1/%2").arg(t.angleHits).arg(t.angleChecks) : QString("–");
        std::printf("| %s | %d | %d | %.1f %% | %.1f %% | %.2f | %s | %.3f (%.3f) |\n", it.key().toUtf8().constData(),
                    t.crops, t.lines, 100.0 * t.edits / std::max(1, t.refChars), 100.0 * t.found / std::max(1, t.lines),
                    t.found ? t.boxError / t.found : 0.0, angle.toUtf8().constData(), t.seconds / t.crops,
                    t.worstSeconds);
    }
    return 0;
}
