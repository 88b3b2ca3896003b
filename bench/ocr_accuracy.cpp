// bench-ocr-accuracy [-v] [--no-tesseract]: renders a fixed, seeded set of
// sheets of known lettering as CAD screens show it (TrueType faces of several
// weights, 1-pixel stroke lettering as a CAD draws SHX text, ACI colours on
// black and black on white, turned lines, vertical columns, lines touching
// dimension lines, graphics that are not text, TEXTs of different heights side
// by side, random characters, a dense 1200 x 800 crop), recognises each
// through the binding and the engine beside the programs, and prints per group
// CER, recall, rows that are not text, merged TEXTs and seconds per crop, side
// by side with the plain tesseract command line on the same images, as a
// Markdown table. IPA Mincho and the AZOmix stroke design were never trained
// on: their groups say how unseen lettering reads. -v prints every crop's rows;
// --save DIR keeps the sheets as DIR/NNN.png.
#include "PlainTesseract.h"
#include "app/AppPaths.h"
#include "app/StatusMemo.h"
#include "capture/OcrBinding.h"
#include "ocrengine/samples/TextSamples.h"
#include "ocrengine/strokefont/LffFont.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTemporaryDir>

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

// Drawing vocabulary, symbols included.
const QStringList kWords = {
    "平面図 S=1/100", "W900×H2100", "鉄筋コンクリート造", "GL+1,200", "@200", "外壁：ALC板 t=100", "居間",
    "台所", "寝室", "玄関ホール", "浴室", "階段", "廊下", "収納", "和室 6帖", "洋室", "詳細図", "断面図 S=1/50",
    "立面図", "配置図", "基礎", "開口部", "防火戸", "給水管 φ20", "排水", "換気扇 φ100", "照明器具", "コンセント",
    "天井高 CH=2400", "FL+500", "D13 @150", "H-300×150", "1:50", "No.12", "A-101", "R=1500", "t=12", "3,640",
    "2F", "設備配管", "鋼製建具", "木製建具", "床：フローリング", "壁：石膏ボード t=12.5", "有効幅 W=800", "避難経路",
    "勾配 1/100", "±0", "1,820㎜", "45°", "φ13", "縮尺", "承認", "鉄筋 D10",
};
const QStringList kColumnWords = {"平面図", "鉄筋コンクリート造", "玄関ホール", "避難経路", "設備配管", "外壁仕上",
                                  "防火戸", "天井伏図", "給水管", "階段室"};

struct Scheme {
    QColor background, text;
};
const Scheme kOnBlack[] = {{Qt::black, Qt::white}, {Qt::black, QColor(255, 255, 0)}, {Qt::black, QColor(0, 255, 0)},
                           {Qt::black, QColor(0, 255, 255)}, {Qt::black, QColor(255, 0, 0)}};
const Scheme kOnWhite{Qt::white, Qt::black};

// A way of drawing lettering: a TrueType face and weight, or a stroke design.
struct Style {
    QString name;   // group name: "stroke", "thin", "regular", "bold"
    QString family;
    int weight = QFont::Normal;
    const LffFont* strokes = nullptr;
    const LffFont* latinStrokes = nullptr;
};

struct Graphic {
    QPainterPath path;  // drawn in the text colour, 1 pixel wide
};

struct Sheet {
    QStringList groups;
    QSize size;
    Scheme scheme;
    QList<SampleLine> lines;
    QList<Graphic> graphics;
};

SampleLine lineIn(const Style& s, const QString& text, QPointF origin, int size, const QColor& colour, bool aa)
{
    SampleLine l;
    l.text = text;
    l.origin = origin;
    l.pixelSize = size;
    l.colour = colour;
    l.family = s.family;
    l.weight = s.weight;
    l.antialiased = aa;
    l.strokeFont = s.strokes;
    l.latinStrokeFont = s.latinStrokes;
    return l;
}

double textWidth(const Style& s, const QString& text, int size)
{
    if (s.strokes) {
        double w = 0;
        layoutStrokeText(*s.strokes, s.latinStrokes, text.toStdU32String(), 1.0, &w);
        return w * size / LffFont::kCapHeight;
    }
    QFont font(s.family);
    font.setPixelSize(size);
    font.setWeight(QFont::Weight(s.weight));
    return QFontMetricsF(font).horizontalAdvance(text);
}

class SheetMaker {
public:
    explicit SheetMaker(QStringList charset) : charset_(std::move(charset)) {}

    QString words(const Style& s, int size, double maxWidth)
    {
        for (;;) {
            QString text = kWords[rng_.bounded(int(kWords.size()))];
            for (int extra = rng_.bounded(3); extra > 0; --extra) {
                const QString more = text + " " + kWords[rng_.bounded(int(kWords.size()))];
                if (textWidth(s, more, size) <= maxWidth)
                    text = more;
            }
            if (textWidth(s, text, size) <= maxWidth)
                return text;
        }
    }

    // Random characters of the whole set (kana, both kanji levels, symbols) the style can draw.
    QString randomCharacters(const Style& s)
    {
        QString text;
        while (text.size() < 6) {
            const QString c = charset_[1 + rng_.bounded(int(charset_.size()) - 1)];
            if (!s.strokes || s.strokes->hasGlyph(c.toUcs4()[0]))
                text += c;
        }
        return text;
    }

    Scheme darkScheme() { return kOnBlack[rng_.bounded(int(std::size(kOnBlack)))]; }

    Sheet horizontal(const Style& s, int size, const Scheme& scheme, bool aa, QStringList groups, bool random = false)
    {
        Sheet sheet{groups, {size * 30, int(size * 2.2 * 5 + size * 2)}, scheme, {}, {}};
        for (int i = 0; i < 5; ++i) {
            const QString text = random ? randomCharacters(s) : words(s, size, size * 26);
            sheet.lines.append(lineIn(s, text, {size * 1.5, size * (2.0 + 2.2 * i)}, size, scheme.text, aa));
        }
        return sheet;
    }

    Sheet turned(const Style& s, int angle, const Scheme& scheme)
    {
        const int size = 20;
        Sheet sheet{{QString("angle %1").arg(angle)}, {}, scheme, {}, {}};
        if (angle == 90 || angle == 270) {
            sheet.size = {size * 2 * 4 + 2 * size, 560};
            for (int i = 0; i < 4; ++i) {
                SampleLine l = lineIn(s, words(s, size, 500), {size * (1.5 + 2.0 * i) + (angle == 90 ? size : 0),
                                                               angle == 90 ? 545.0 : 15.0}, size, scheme.text, true);
                l.angleDeg = angle;
                sheet.lines.append(l);
            }
        } else {
            sheet.size = {560, 460};
            for (int i = 0; i < 4; ++i) {
                SampleLine l = lineIn(s, words(s, size, 380), {30, angle > 0 ? 150.0 + 95 * i : 30.0 + 95 * i}, size,
                                      scheme.text, true);
                l.angleDeg = angle;
                sheet.lines.append(l);
            }
        }
        return sheet;
    }

    Sheet vertical(const Style& s, const Scheme& scheme)
    {
        const int size = 20;
        Sheet sheet{{"vertical"}, {size * 3 * 5 + size, 460}, scheme, {}, {}};
        for (int i = 0; i < 5; ++i) {
            SampleLine l = lineIn(s, kColumnWords[rng_.bounded(int(kColumnWords.size()))], {size * (1.5 + 3.0 * i), 15.0},
                                  size, scheme.text, true);
            l.layout = SampleLayout::Vertical;
            sheet.lines.append(l);
        }
        return sheet;
    }

    // Lines with dimension lines touching them, and graphics that are not text.
    Sheet cluttered(const Style& s, int size, const Scheme& scheme)
    {
        Sheet sheet{{"clutter"}, {size * 34, int(size * 2.6 * 4 + size * 2)}, scheme, {}, {}};
        for (int i = 0; i < 4; ++i) {
            const QString text = words(s, size, size * 18);
            const QPointF origin(size * 1.5, size * (2.2 + 2.6 * i));
            sheet.lines.append(lineIn(s, text, origin, size, scheme.text, true));
            // A dimension line just under the text with ticks at its ends, touching the lettering.
            QPainterPath dim;
            const double y = origin.y() + 2, w = textWidth(s, text, size);
            dim.moveTo(origin.x() - size, y);
            dim.lineTo(origin.x() + w + size, y);
            for (double x : {origin.x() - size * 0.5, origin.x() + w + size * 0.5}) {
                dim.moveTo(x - 3, y + 3);
                dim.lineTo(x + 3, y - 3);
            }
            sheet.graphics.append({dim});
        }
        const double x = size * 24, r = size * 1.2;
        QPainterPath circle;
        circle.addEllipse(QPointF(x + r, size * 3.0), r, r);
        QPainterPath triangle;
        triangle.moveTo(x, size * 7.0);
        triangle.lineTo(x + size * 1.2, size * 7.0);
        triangle.lineTo(x + size * 0.6, size * 8.0);
        triangle.closeSubpath();
        QPainterPath ticks;
        for (int k = 0; k < 3; ++k) {
            ticks.moveTo(x + k * size, size * 10.5);
            ticks.lineTo(x + k * size + size * 0.5, size * 10.0);
        }
        sheet.graphics.append({circle});
        sheet.graphics.append({triangle});
        sheet.graphics.append({ticks});
        return sheet;
    }

    // Pairs of TEXTs on one baseline, 1.5 to 2 heights apart, of the same or different
    // heights. (Nearer than about 1.1 heights they are as far apart as the words
    // of one TEXT in a stroke font like txt.shx, whose blank is that wide.)
    Sheet sideBySide(const Style& s, const Scheme& scheme)
    {
        Sheet sheet{{"side by side"}, {900, 330}, scheme, {}, {}};
        const int heights[4][2] = {{20, 20}, {14, 24}, {24, 14}, {16, 16}};
        for (int i = 0; i < 4; ++i) {
            const int a = heights[i][0], b = heights[i][1];
            const QString first = words(s, a, 300), second = words(s, b, 300);
            const double y = 50 + 75 * i;
            const double gap = std::max(a, b) * (i % 2 ? 2.0 : 1.5);
            sheet.lines.append(lineIn(s, first, {30, y}, a, scheme.text, true));
            sheet.lines.append(lineIn(s, second, {30 + textWidth(s, first, a) + gap, y}, b, scheme.text, true));
        }
        return sheet;
    }

    Sheet dense(const Style& s, const Scheme& scheme)
    {
        Sheet sheet{{"dense 1200x800"}, {1200, 800}, scheme, {}, {}};
        for (int i = 0; i < 30; ++i) {
            const int size = 14 + 2 * (i % 4);
            sheet.lines.append(lineIn(s, words(s, size, 540), {20.0 + 600 * (i % 2), 40.0 + 50 * (i / 2)}, size,
                                      scheme.text, true));
        }
        return sheet;
    }

private:
    QStringList charset_;
    QRandomGenerator rng_{20261210};
};

struct Tally {
    int crops = 0, lines = 0, found = 0, refChars = 0, edits = 0, rows = 0, nonText = 0, merged = 0;
    int tessFound = 0, tessEdits = 0;
    double seconds = 0, worstSeconds = 0;
};

QList<RecognisedLine> parseRows(const QStringList& results)
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
    return got;
}

bool inside(const std::array<double, 8>& q, double x, double y)
{
    bool in = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        const double xi = q[size_t(2 * i)], yi = q[size_t(2 * i + 1)], xj = q[size_t(2 * j)], yj = q[size_t(2 * j + 1)];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            in = !in;
    }
    return in;
}

void score(const Sheet& sheet, const RenderedSample& sample, const QList<RecognisedLine>& got,
           const QList<int>& tessErrors, Tally& t, QStringList* notes)
{
    QList<bool> used(got.size());
    for (qsizetype i = 0; i < sheet.lines.size(); ++i) {
        const SampleLine& line = sheet.lines[i];
        const int length = int(comparableText(line.text).size());
        const LineMatch m = matchLine(line, sample.boxes[i], got);
        ++t.lines;
        t.refChars += length;
        t.tessEdits += std::min(tessErrors[i], length);
        t.tessFound += 2 * tessErrors[i] <= length ? 1 : 0;
        if (m.index < 0) {
            t.edits += length;
            continue;
        }
        used[m.index] = true;
        t.found += 2 * m.edits <= length ? 1 : 0;
        t.edits += std::min(m.edits, length);
    }
    for (qsizetype k = 0; k < got.size(); ++k) {
        ++t.rows;
        int holds = 0;
        for (const auto& b : sample.boxes)
            holds += inside(got[k].box, (b[0] + b[4]) / 2, (b[1] + b[5]) / 2) ? 1 : 0;
        if (holds >= 2) {
            ++t.merged;
            if (notes)
                notes->append("merged: " + got[k].text);
        } else if (!used[k] && holds == 0) {
            ++t.nonText;
            if (notes)
                notes->append("not text: " + got[k].text);
        }
    }
}

QStringList readCharset()
{
    QFile f(QStringLiteral(MIRTEX_SOURCE_DIR "/ocrengine/training/charset.txt"));
    QStringList out;
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& l : f.readAll().split('\n'))
            if (!l.isEmpty())
                out.append(QString::fromUtf8(l));
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    AppPaths::setExecutableForTesting(QCoreApplication::applicationDirPath());
    const QStringList args = app.arguments();
    const bool verbose = args.contains("-v"), withTesseract = !args.contains("--no-tesseract");
    const qsizetype saveAt = args.indexOf("--save");
    const QString saveDir = saveAt > 0 && saveAt + 1 < args.size() ? args[saveAt + 1] : QString();
    const QString fonts = QStringLiteral("/usr/share/librecad/fonts/");
    LffFont kst32b, standard, azomix;
    if (!kst32b.load((fonts + "kst32b.lff").toStdString()) || !standard.load((fonts + "standard.lff").toStdString())
        || !azomix.load((fonts + "azomix.lff").toStdString())) {
        std::fprintf(stderr, "stroke fonts missing in %s (librecad-data)\n", fonts.toUtf8().constData());
        return 1;
    }
    for (const char* family : {"Noto Sans CJK JP", "IPAexGothic", "IPAMincho"})
        if (!QFontDatabase::families().contains(family))
            std::fprintf(stderr, "warning: face %s missing; Qt substitutes another\n", family);

    const Style stroke{"stroke", {}, QFont::Normal, &kst32b, &standard};
    const Style thin{"thin", "Noto Sans CJK JP", QFont::Thin};
    const Style regular{"regular", "Noto Sans CJK JP", QFont::Normal};
    const Style ipaex{"regular", "IPAexGothic", QFont::Normal};
    const Style bold{"bold", "Noto Sans CJK JP", QFont::Bold};
    const Style mincho{"held-out face (IPA Mincho)", "IPAMincho", QFont::Normal};
    const Style azo{"held-out stroke (AZOmix)", {}, QFont::Normal, &azomix, nullptr};

    SheetMaker maker(readCharset());
    QList<Sheet> sheets;
    for (const Style* s : {&stroke, &thin, &regular, &ipaex, &bold, &mincho, &azo})
        for (int size : {10, 14, 20, 32}) {
            const bool heldOut = s == &mincho || s == &azo;
            const QString sizeGroup = QString("size %1").arg(size, 2);
            const QStringList groups = heldOut ? QStringList{s->name, s->name + " " + sizeGroup}
                                               : QStringList{s->name, sizeGroup, s->name + " " + sizeGroup, "all trained styles"};
            sheets.append(maker.horizontal(*s, size, maker.darkScheme(), !s->strokes, groups));
            // Black on white, the way a plotted sheet looks, without anti-aliasing.
            sheets.append(maker.horizontal(*s, size, kOnWhite, false, groups));
        }
    for (int angle : {90, 270, 15, -15})
        for (const Style* s : {&regular, &stroke}) {
            Sheet sheet = maker.turned(*s, angle, angle > 0 ? maker.darkScheme() : kOnWhite);
            sheet.groups.append("rotated and vertical");
            sheets.append(sheet);
        }
    for (const Style* s : {&regular, &stroke}) {
        Sheet sheet = maker.vertical(*s, maker.darkScheme());
        sheet.groups.append("rotated and vertical");
        sheets.append(sheet);
    }
    for (const Style* s : {&regular, &stroke})
        for (int size : {14, 20})
            sheets.append(maker.cluttered(*s, size, size == 14 ? maker.darkScheme() : kOnWhite));
    for (const Style* s : {&regular, &stroke})
        sheets.append(maker.sideBySide(*s, maker.darkScheme()));
    for (const Style* s : {&regular, &stroke})
        for (int size : {14, 20}) {
            Sheet sheet = maker.horizontal(*s, size, maker.darkScheme(), true, {"random characters"}, true);
            sheets.append(sheet);
        }
    for (const Style* s : {&regular, &stroke})
        sheets.append(maker.dense(*s, s == &regular ? kOnWhite : maker.darkScheme()));

    QuietMemo memo;
    QTemporaryDir work;
    QMap<QString, Tally> groups;
    Tally all;
    for (qsizetype index = 0; index < sheets.size(); ++index) {
        const Sheet& sheet = sheets[index];
        RenderedSample sample = renderSample(sheet.size, sheet.scheme.background, sheet.lines);
        {
            QPainter p(&sample.image);
            QPen pen(sheet.scheme.text, 1);
            pen.setCosmetic(true);
            p.setPen(pen);
            for (const Graphic& g : sheet.graphics)
                p.drawPath(g.path);
        }
        if (!saveDir.isEmpty())
            sample.image.save(QString("%1/%2.png").arg(saveDir).arg(index, 3, 10, QChar('0')));
        QStringList results;
        QString flagged;
        QElapsedTimer timer;
        timer.start();
        ocrBitmapSL(sample.image, results, flagged, memo);
        const double s = timer.nsecsElapsed() / 1e9;
        QList<int> tessErrors;
        QStringList references;
        for (const SampleLine& l : sheet.lines)
            references.append(l.text);
        if (withTesseract) {
            const QString path = work.filePath("best.png");
            tesseractBestImage(sample.image).save(path);
            tessErrors = substringErrors(references, tesseractLines(path, {"-l", "Japanese", "--psm", "6"}));
        } else {
            for (const QString& r : references)
                tessErrors.append(int(comparableText(r).size()));
        }
        QStringList notes;
        for (const QString& g : sheet.groups + QStringList{"all"}) {
            Tally& t = g == "all" ? all : groups[g];
            ++t.crops;
            t.seconds += s;
            t.worstSeconds = std::max(t.worstSeconds, s);
            score(sheet, sample, parseRows(results), tessErrors, t, g == "all" ? &notes : nullptr);
        }
        if (verbose)
            std::fprintf(stderr, "## %s\n%s\n%s\n", sheet.groups.join(", ").toUtf8().constData(),
                         results.join("\n").toUtf8().constData(), notes.join("\n").toUtf8().constData());
    }
    std::printf("| group | crops | lines | CER | tesseract CER | recall | tesseract recall | rows not text | merged rows "
                "| s/crop (worst) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    groups["all"] = all;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const Tally& t = it.value();
        auto pct = [](int a, int b) { return 100.0 * a / std::max(1, b); };
        std::printf("| %s | %d | %d | %.1f %% | %s | %.1f %% | %s | %d of %d | %d | %.3f (%.3f) |\n",
                    it.key().toUtf8().constData(), t.crops, t.lines, pct(t.edits, t.refChars),
                    withTesseract ? QString::asprintf("%.1f %%", pct(t.tessEdits, t.refChars)).toUtf8().constData() : "–",
                    pct(t.found, t.lines),
                    withTesseract ? QString::asprintf("%.1f %%", pct(t.tessFound, t.lines)).toUtf8().constData() : "–",
                    t.nonText, t.rows, t.merged, t.seconds / t.crops, t.worstSeconds);
    }
    return 0;
}
