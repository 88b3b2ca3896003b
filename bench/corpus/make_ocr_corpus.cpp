// make-ocr-corpus OUTDIR [--large]: writes the benchmark's drawings of known lettering
// (DXF) and a ground-truth file beside each. One drawing unit is one screen
// pixel when the sheet is viewed at a view height equal to the drawing area's
// height, which is how the benchmark looks at it. --large writes every sheet
// three times with different lettering.
#include "Corpus.h"
#include "CorpusDxf.h"
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTransform>
#include <cmath>
#include <cstdio>

namespace {

const QStringList kVocabulary = {
    "平面図 S=1/100", "W900×H2100", "鉄筋コンクリート造", "GL+1,200", "φ100 @200", "外壁：ALC板 t=100",
    "居間", "台所", "寝室", "玄関ホール", "浴室", "階段", "廊下", "収納", "和室 6帖", "洋室", "詳細図",
    "断面図 S=1/50", "立面図", "配置図", "基礎", "柱", "梁", "開口部", "防火戸", "給水管", "排水",
    "換気扇", "照明器具", "コンセント", "天井高 CH=2400", "FL+500", "D13 @150", "H-300×150", "1:50",
    "No.12", "A-101", "R=1500", "t=12", "3,640", "2F", "1F", "設備配管", "鋼製建具", "木製建具",
    "床：フローリング", "壁：石膏ボード t=12.5", "屋根：ガルバリウム鋼板", "有効幅 W=800", "避難経路",
};
const QStringList kVerticalWords = {"平面図", "鉄筋コンクリート造", "玄関ホール", "避難経路", "設備配管",
                                    "外壁仕上", "防火戸", "天井伏図"};
const int kColours[] = {7, 2, 3, 4, 1, 6, 30, 5, 140, 11};
const QString kFontFamily = QStringLiteral("Noto Sans CJK JP");

// Rough advance of a text in capital heights, to keep lines inside the sheet.
double estimatedWidth(const QString& text, double height)
{
    double w = 0;
    for (const QChar c : text)
        w += c.unicode() < 0x2000 ? 0.75 : 1.4;
    return w * height;
}

QString randomLine(QRandomGenerator& rng, double maxWidth, double height)
{
    for (;;) {
        QString line = kVocabulary[rng.bounded(kVocabulary.size())];
        // About half the lines are random mixes of two or three words.
        const int extra = rng.bounded(3);
        for (int i = 0; i < extra; ++i) {
            const QString next = kVocabulary[rng.bounded(kVocabulary.size())];
            if (!line.contains(next) && estimatedWidth(line + " " + next, height) <= maxWidth)
                line += " " + next;
        }
        if (estimatedWidth(line, height) <= maxWidth)
            return line;
    }
}

class SheetBuilder {
public:
    SheetBuilder(const QString& name, const QString& group, QRectF area) { m_sheet = {name, group, area, {}}; }

    void text(const QString& kind, const QString& s, QPointF at, double h, double angle, int aci)
    {
        if (kind == QLatin1String("outline"))
            addOutline(s, at, h, angle, aci);
        else
            m_dxf.addText(QStringLiteral("TEXT"), s, at, h, angle, aci);
        m_sheet.lines.append({kind, s, at.x(), at.y(), h, angle, aci});
    }

    // One TEXT per character, stacked downward around a column centre.
    void vertical(const QString& s, double centerX, double topY, double h, int aci)
    {
        const double step = 1.6 * h;
        const double x = centerX - kVerticalColumnHalfWidth * h;
        for (int i = 0; i < s.size(); ++i)
            m_dxf.addText(QStringLiteral("TEXT"), s.mid(i, 1), {x, topY - h - i * step}, h, 0, aci);
        m_sheet.lines.append({QStringLiteral("vertical"), s, x, topY - h, h, 270, aci});
    }

    bool save(const QString& dir)
    {
        m_dxf.addLayer(QStringLiteral("TEXT"), 7);
        m_dxf.addLayer(QStringLiteral("FRAME"), 8);
        const QRectF a = m_sheet.area.adjusted(-20, -20, 20, 20);
        const QPointF c[] = {a.topLeft(), a.topRight(), a.bottomRight(), a.bottomLeft()};
        for (int i = 0; i < 4; ++i)
            m_dxf.addLine(QStringLiteral("FRAME"), c[i], c[(i + 1) % 4]);
        return m_dxf.save(dir + "/" + m_sheet.name + ".dxf")
            && writeTruth(dir + "/" + m_sheet.name + ".truth.tsv", m_sheet);
    }

private:
    void addOutline(const QString& s, QPointF at, double h, double angle, int aci)
    {
        QFont font(kFontFamily);
        font.setPixelSize(200);
        QPainterPath path;
        path.addText(0, 0, font, s);
        const double k = h / QFontMetricsF(font).capHeight();
        QTransform t;
        t.translate(at.x(), at.y());
        t.rotate(angle);
        t.scale(k, -k);
        for (const QPolygonF& poly : path.toSubpathPolygons(t))
            m_dxf.addClosedPolyline(QStringLiteral("TEXT"), poly, aci);
    }

    CorpusSheet m_sheet;
    CorpusDxf m_dxf;
};

const QRectF kSheet(0, 0, 1200, 760);

// Rows of horizontal (or slightly turned) lines in two columns.
bool rowsSheet(const QString& dir, const QString& name, const QString& group, const QString& kind, double h,
               const QList<double>& angles, QRandomGenerator& rng, QRectF area = kSheet, int columns = 2,
               int maxLines = 1000)
{
    SheetBuilder b(name, group, area);
    const double colWidth = area.width() / columns - 40;
    int n = 0;
    for (int col = 0; col < columns; ++col) {
        double y = area.bottom() - 20;  // upper edge of the next line's band
        for (; n < maxLines; ++n) {
            const double angle = angles[n % angles.size()];
            const QString s = randomLine(rng, colWidth * 0.95, h);
            const double rise = std::abs(std::sin(angle * M_PI / 180)) * estimatedWidth(s, h);
            const double base = y - h - (angle > 0 ? rise : 0);
            const double lowest = base - (angle < 0 ? rise : 0) - 0.4 * h;
            if (lowest < area.top() + 20)
                break;
            b.text(kind, s, {area.left() + 20 + col * (colWidth + 40), base}, h, angle, kColours[n % 10]);
            y = lowest - 1.0 * h;
        }
    }
    return b.save(dir);
}

// Columns of lines turned by 90° (reading upward) or 270° (downward).
bool turnedSheet(const QString& dir, const QString& name, double h, double angle, QRandomGenerator& rng)
{
    SheetBuilder b(name, QStringLiteral("angle %1").arg(angle), kSheet);
    int n = 0;
    for (double x = kSheet.left() + 40 + 1.5 * h; x < kSheet.right() - 40; x += 3.0 * h, ++n) {
        const QString s = randomLine(rng, (kSheet.height() - 60) * 0.95, h);
        // The baseline lies right of the glyphs for 90° and left of them for 270°.
        const QPointF at = angle == 90 ? QPointF(x + h, kSheet.top() + 30)
                                       : QPointF(x, kSheet.bottom() - 30);
        b.text(QStringLiteral("text"), s, at, h, angle, kColours[n % 10]);
    }
    return b.save(dir);
}

bool verticalSheet(const QString& dir, const QString& name, double h, QRandomGenerator& rng)
{
    SheetBuilder b(name, QStringLiteral("vertical"), kSheet);
    int n = 0;
    for (double x = kSheet.left() + 40 + h; x < kSheet.right() - 40; x += 3.2 * h, ++n) {
        QString s = kVerticalWords[rng.bounded(kVerticalWords.size())];
        while (s.size() * 1.6 * h > kSheet.height() - 80)
            s.chop(1);
        b.vertical(s, x, kSheet.bottom() - 30, h, kColours[n % 10]);
    }
    return b.save(dir);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool large = argc == 3 && QString::fromLocal8Bit(argv[2]) == QLatin1String("--large");
    if (argc != 2 && !large) {
        std::fprintf(stderr, "usage: make-ocr-corpus OUTDIR [--large]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QRandomGenerator rng(20260302);
    bool ok = true;
    for (int copy = 0; copy < (large ? 3 : 1); ++copy) {
        const QString suffix = copy ? QStringLiteral("_%1").arg(copy + 1) : QString();
        for (const int h : {10, 14, 20, 32, 40})
            ok &= rowsSheet(dir, QStringLiteral("size_%1%2").arg(h).arg(suffix), QStringLiteral("size %1").arg(h),
                            QStringLiteral("text"), h, {0}, rng);
        for (const int h : {14, 20, 32})
            ok &= rowsSheet(dir, QStringLiteral("outline_%1%2").arg(h).arg(suffix), QStringLiteral("outline %1").arg(h),
                            QStringLiteral("outline"), h, {0}, rng);
        for (const int h : {14, 20}) {
            ok &= turnedSheet(dir, QStringLiteral("angle90_%1%2").arg(h).arg(suffix), h, 90, rng);
            ok &= turnedSheet(dir, QStringLiteral("angle270_%1%2").arg(h).arg(suffix), h, 270, rng);
        }
        ok &= rowsSheet(dir, QStringLiteral("small_angles_20") + suffix, QStringLiteral("small angles"), QStringLiteral("text"),
                        20, {2, -3, 5, -8, 10, 15}, rng);
        for (const int h : {20, 32})
            ok &= verticalSheet(dir, QStringLiteral("vertical_%1%2").arg(h).arg(suffix), h, rng);
        ok &= rowsSheet(dir, QStringLiteral("dense_30") + suffix, QStringLiteral("dense"), QStringLiteral("text"), 16, {0}, rng,
                        QRectF(0, 0, 1200, 800), 2, 30);
    }
    if (!ok) {
        std::fprintf(stderr, "cannot write the corpus into %s\n", argv[1]);
        return 1;
    }
    std::printf("corpus written to %s\n", argv[1]);
    return 0;
}
