#include "ocrengine/training/LineRenderer.h"

#include "ocrengine/InkImage.h"
#include "ocrengine/LineFrame.h"
#include "ocrengine/TextBlocks.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kViewHeight = 32;
constexpr int kMinInk = 60;  // as the engine's labelling: fainter is anti-aliasing fringe
constexpr int kMaxViewWidth = 1600;

struct Face {
    const char* family;
    int weight;
    const char* style;
};

const Face kTrainFaces[] = {
    {"Noto Sans CJK JP", QFont::Thin, "thin"},    {"Noto Sans CJK JP", QFont::Light, "thin"},
    {"Noto Sans CJK JP", QFont::Normal, "regular"}, {"Noto Sans CJK JP", QFont::Medium, "regular"},
    {"Noto Sans CJK JP", QFont::Bold, "bold"},    {"IPAexGothic", QFont::Normal, "regular"},
    {"IPAGothic", QFont::Normal, "regular"},      {"IPAPGothic", QFont::Normal, "regular"},
    {"Noto Serif CJK JP", QFont::Normal, "regular"},
};
const Face kHeldOutFaces[] = {{"IPAMincho", QFont::Normal, "regular"}};

// AutoCAD colour index 1-9, the colours drawings are mostly drawn in.
const QRgb kAciOnBlack[] = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
const QRgb kOnWhite[] = {0x000000, 0x000000, 0x000000, 0x0000FF, 0xFF0000, 0x808080, 0x008000, 0xFF00FF};

QStringList readLines(const QString& path, bool keepBlank)
{
    QFile f(path);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        QString line = QString::fromUtf8(raw);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty() && (keepBlank || !line.trimmed().isEmpty()))
            out.append(line);
    }
    return out;
}

bool isLatin(QChar c) { return c.unicode() < 0x80; }

}  // namespace

bool loadRendererData(const QString& dataDir, const QString& fontDir, LineSet set, LineRendererData& data,
                      QString* error)
{
    data.charset = readLines(dataDir + "/charset.txt", true);
    data.vocabulary = readLines(dataDir + "/vocabulary.txt", false);
    if (data.charset.size() < 100 || data.vocabulary.isEmpty()) {
        if (error)
            *error = "charset.txt or vocabulary.txt missing in " + dataDir;
        return false;
    }
    const char* kanji = set == LineSet::HeldOutStroke ? "azomix.lff" : "kst32b.lff";
    data.kanjiStrokes = std::make_shared<LffFont>();
    data.latinStrokes = std::make_shared<LffFont>();
    std::string why;
    if (!data.kanjiStrokes->load((fontDir + "/" + kanji).toStdString(), &why)
        || !data.latinStrokes->load((fontDir + "/standard.lff").toStdString(), &why)) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    return true;
}

QStringList missingFaces(LineSet set)
{
    QStringList missing;
    const QStringList families = QFontDatabase::families();
    auto check = [&](const Face& f) {
        if (!families.contains(f.family) && !missing.contains(f.family))
            missing.append(f.family);
    };
    if (set == LineSet::HeldOutFace)
        for (const Face& f : kHeldOutFaces)
            check(f);
    else
        for (const Face& f : kTrainFaces)
            check(f);
    return missing;
}

LineRenderer::LineRenderer(LineRendererData data, LineSet set, quint32 seed)
    : data_(std::move(data)), set_(set), rng_(seed)
{
}

QString LineRenderer::randomFigure()
{
    auto num = [&](int lo, int hi) { return QString::number(rng_.bounded(lo, hi + 1)); };
    auto grouped = [&](int lo, int hi) { return QLocale::c().toString(rng_.bounded(lo, hi + 1)); };
    switch (rng_.bounded(16)) {
    case 0: return "φ" + num(6, 300);
    case 1: return "W" + num(3, 30) + "00×H" + num(3, 30) + "00";
    case 2: return "@" + num(1, 60) + "0";
    case 3: return (rng_.bounded(2) ? "GL" : "FL") + QString(rng_.bounded(2) ? "+" : "-") + grouped(0, 3000);
    case 4: return "S=1/" + QStringList{"10", "20", "30", "50", "100", "200", "500"}[rng_.bounded(7)];
    case 5: return "t=" + num(1, 30) + (rng_.bounded(3) ? "" : "." + num(1, 9));
    case 6: return "R=" + num(1, 3000);
    case 7: return grouped(100, 99999);
    case 8: return grouped(100, 9999) + "㎜";
    case 9: return num(1, 89) + "°";
    case 10: return "±" + num(0, 50);
    case 11: return "D" + QStringList{"10", "13", "16", "19", "22", "25"}[rng_.bounded(6)] + " @" + num(10, 30) + "0";
    case 12: return QString("H-") + num(100, 900) + "×" + num(50, 400);
    case 13: return num(1, 9) + "F";
    case 14: return QString(QChar('A' + rng_.bounded(26))) + "-" + num(1, 999);
    default: return "CH=" + grouped(2000, 4000);
    }
}

// A random character: drawings mostly hold kana, Latin, figures and common
// kanji, so level-2 kanji are drawn less often than their share of the set.
QString LineRenderer::randomCharacter()
{
    const int all = int(data_.charset.size());
    const int level1 = std::max(1, int(data_.charset.indexOf("亜")));
    const int level2 = std::max(level1 + 1, int(data_.charset.indexOf("弌")));
    const int pick = rng_.bounded(100);
    if (pick < 35 || level2 >= all)
        return data_.charset[1 + rng_.bounded(level1 - 1)];
    if (pick < 80)
        return data_.charset[rng_.bounded(level1, level2)];
    return data_.charset[rng_.bounded(level2, all)];
}

QString LineRenderer::randomText(bool strokes)
{
    QString text;
    const int kind = rng_.bounded(100);
    if (kind < 45) {
        for (int n = rng_.bounded(10) < 7 ? 1 : 2; n > 0; --n) {
            QString part = rng_.bounded(4) ? data_.vocabulary[rng_.bounded(int(data_.vocabulary.size()))] : randomFigure();
            if (!text.isEmpty())
                text += rng_.bounded(3) ? " " : (rng_.bounded(2) ? "：" : "");
            text += part;
        }
    } else if (kind < 60) {
        text = randomFigure();
    } else {
        // Every class is seen: random characters over the whole set, Latin ones
        // sometimes grouped into words with blanks between them.
        const int n = 1 + rng_.bounded(8);
        for (int i = 0; i < n; ++i) {
            const QString c = randomCharacter();
            if (!text.isEmpty() && isLatin(text.back()) && isLatin(c[0]) && rng_.bounded(5) == 0)
                text += ' ';
            text += c;
        }
    }
    return strokes ? strokeCoverable(text) : text;
}

// Characters neither stroke font draws are replaced by ones it does.
QString LineRenderer::strokeCoverable(const QString& text)
{
    QString out;
    for (const uint c : text.toUcs4()) {
        if (c == ' ' || data_.kanjiStrokes->hasGlyph(c) || (c < 0x80 && data_.latinStrokes->hasGlyph(c))) {
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
            continue;
        }
        for (int tries = 0; tries < 50; ++tries) {
            const QString r = randomCharacter();
            if (data_.kanjiStrokes->hasGlyph(r.toUcs4()[0])) {
                out += r;
                break;
            }
        }
    }
    return out.trimmed();
}

LineSample LineRenderer::next()
{
    for (;;) {
        const bool strokes = set_ == LineSet::HeldOutStroke || (set_ == LineSet::Train && rng_.bounded(100) < 40);
        const QString text = randomText(strokes);
        if (text.trimmed().isEmpty())
            continue;
        int size = 10 + rng_.bounded(23);
        if (rng_.bounded(10) == 0)
            size = 33 + rng_.bounded(24);
        if (strokes)
            size = std::max(8, size - 2);
        const bool aa = strokes ? rng_.bounded(10) < 3 : rng_.bounded(10) < 7;
        const int turn = rng_.bounded(100);
        const double angle = turn < 8 ? rng_.bounded(41) - 20.0 : turn < 12 ? (rng_.bounded(2) ? 90.0 : 270.0) : 0.0;
        const bool clutter = rng_.bounded(100) < 40;
        Face face{"", 0, "stroke"};
        if (!strokes) {
            if (set_ == LineSet::HeldOutFace)
                face = kHeldOutFaces[rng_.bounded(int(std::size(kHeldOutFaces)))];
            else
                face = kTrainFaces[rng_.bounded(int(std::size(kTrainFaces)))];
        }
        LineSample s = draw(text, strokes, face.family, face.weight, size, aa, clutter, angle);
        if (s.width == 0)
            continue;
        s.style = face.style;
        return s;
    }
}

LineSample LineRenderer::render(const QString& text, bool strokes, int size, bool antialiased)
{
    LineSample s = draw(text, strokes, kTrainFaces[2].family, kTrainFaces[2].weight, size, antialiased, false, 0);
    s.style = strokes ? "stroke" : "regular";
    return s;
}

LineSample LineRenderer::draw(const QString& text, bool strokes, const QString& family, int weight, int size,
                              bool antialiased, bool clutter, double angle)
{
    LineSample out;
    out.text = text;
    out.size = size;
    auto at = [&](double lo, double hi) { return lo + (hi - lo) * rng_.generateDouble(); };

    // The text's outline or strokes in its own units, and the map to the screen.
    QPainterPath path;
    std::vector<StrokePolyline> polylines;
    QRectF bounds;
    QTransform toScreen;
    double penWidth = 1;
    if (strokes) {
        // Latin like txt.shx drawn from the Latin font, the rest from the kanji font.
        const bool latinFont = rng_.bounded(3) != 0;
        const double widthFactor = rng_.bounded(10) < 7 ? 1.0 : 0.75 + rng_.generateDouble() * 0.4;
        const double spacing = 1.0 + (rng_.bounded(5) == 0 ? rng_.generateDouble() * 0.6 : 0.0);
        polylines = layoutStrokeText(*data_.kanjiStrokes, latinFont ? data_.latinStrokes.get() : nullptr,
                                     text.toStdU32String(), spacing);
        for (StrokePolyline& p : polylines)
            for (StrokePoint& v : p)
                v.x *= widthFactor;
        for (const StrokePolyline& p : polylines)
            for (const StrokePoint& v : p)
                bounds |= QRectF(v.x, -v.y, 0.001, 0.001);
        const double s = size / LffFont::kCapHeight;
        toScreen.scale(s, s);
        if (size >= 16 && rng_.bounded(100) < 12)
            penWidth = 2;
    } else {
        QFont font(family);
        font.setPixelSize(size);
        font.setWeight(QFont::Weight(weight));
        font.setHintingPreference(QFont::PreferNoHinting);
        if (rng_.bounded(6) == 0)
            font.setLetterSpacing(QFont::PercentageSpacing, 90 + rng_.bounded(50));
        path.addText(0, 0, font, text);
        bounds = path.boundingRect();
    }
    if (bounds.width() + bounds.height() <= 0.01)
        return out;
    if (rng_.bounded(12) == 0)
        toScreen = toScreen * QTransform().shear(-0.25, 0);  // oblique lettering
    toScreen = toScreen * QTransform().rotate(-angle);
    const QRectF screen = toScreen.mapRect(bounds);
    const double margin = size * 1.5 + 4;
    const QSize imageSize(int(screen.width() + 2 * margin), int(screen.height() + 2 * margin));
    if (imageSize.width() > 6000 || imageSize.height() > 6000)
        return out;
    toScreen = toScreen * QTransform::fromTranslate(margin - screen.left(), margin - screen.top());

    const bool dark = rng_.bounded(100) < 65;
    const QColor background = dark ? QColor(Qt::black) : QColor(Qt::white);
    QColor colour = dark ? QColor(kAciOnBlack[rng_.bounded(int(std::size(kAciOnBlack)))])
                         : QColor(kOnWhite[rng_.bounded(int(std::size(kOnWhite)))]);
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(background);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, antialiased);
        p.setTransform(toScreen);
        if (strokes) {
            QPen pen(colour, penWidth);
            pen.setCosmetic(true);
            pen.setCapStyle(Qt::SquareCap);
            p.setPen(pen);
            for (const StrokePolyline& poly : polylines) {
                QPolygonF q;
                for (const StrokePoint& v : poly)
                    q << QPointF(v.x, -v.y);
                p.drawPolyline(q);
            }
        } else {
            p.fillPath(path, colour);
        }
    }

    // The text's own ink, before anything else is drawn over it.
    std::vector<int> xs, ys;
    const QRgb bg = background.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int d = std::max({std::abs(qRed(row[x]) - qRed(bg)), std::abs(qGreen(row[x]) - qGreen(bg)),
                                    std::abs(qBlue(row[x]) - qBlue(bg))});
            if (d >= kMinInk) {
                xs.push_back(x);
                ys.push_back(y);
            }
        }
    }
    if (xs.empty())
        return out;

    if (clutter) {
        // Lines of the drawing touching or crossing the lettering: dimension and
        // extension lines, leaders, hatching, frames, circles.
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, rng_.bounded(3) == 0);
        QPen pen(rng_.bounded(2) ? colour : QColor(kAciOnBlack[rng_.bounded(9)]), 1);
        if (!dark)
            pen.setColor(QColor(kOnWhite[rng_.bounded(int(std::size(kOnWhite)))]));
        pen.setCosmetic(true);
        p.setPen(pen);
        const QPolygonF box = toScreen.map(QPolygonF(bounds));
        const QRectF r = box.boundingRect();
        const double w = image.width(), h = image.height();
        for (int items = 1 + rng_.bounded(2); items > 0; --items) {
            switch (rng_.bounded(6)) {
            case 0: {  // a dimension line under or through the text
                const double y = rng_.bounded(2) ? r.bottom() + at(-1, 3) : at(r.top(), r.bottom());
                p.drawLine(QPointF(at(0, r.left()), y), QPointF(at(r.right(), w), y));
                break;
            }
            case 1: {  // an extension line or tick at one end
                const double x = rng_.bounded(2) ? r.left() - at(0, 3) : r.right() + at(0, 3);
                p.drawLine(QPointF(x, at(0, r.top() + 2)), QPointF(x, at(r.bottom() - 2, h)));
                break;
            }
            case 2:  // a leader crossing the text
                p.drawLine(QPointF(at(0, w), 0), QPointF(at(0, w), h));
                break;
            case 3:  // hatching
                for (double x = at(-h, 0), step = at(6, 20); x < w; x += step)
                    p.drawLine(QPointF(x, h), QPointF(x + h, 0));
                break;
            case 4:  // a frame round the text
                p.drawRect(r.adjusted(-at(1, 5), -at(1, 5), at(1, 5), at(1, 5)));
                break;
            default: {  // a circle or arc touching the text
                const double rad = at(size * 0.3, size * 1.2);
                const QPointF c(rng_.bounded(2) ? r.left() - rad * 0.8 : r.right() + rad * 0.8, at(r.top(), r.bottom()));
                p.drawEllipse(c, rad, rad);
                break;
            }
            }
        }
    }

    const InkImage ink = inkFromBgra(image.constBits(), image.width(), image.height(), image.bytesPerLine());
    TextLayout layout;
    layout.blockOf.assign(ink.ink.size(), -1);
    // Cut as the engine cuts, give or take: margins and angle vary a little.
    const double tilt = angle + (rng_.bounded(3) == 0 ? at(-1.5, 1.5) : 0.0);
    const LineFrame frame = lineInputFrame(xs, ys, tilt, kViewHeight, 0.02 + 0.2 * rng_.generateDouble(),
                                           0.02 + 0.2 * rng_.generateDouble(), 0.5 * rng_.generateDouble());
    if (frame.width <= 0 || frame.width > kMaxViewWidth)
        return out;
    out.pixels = renderView(ink, layout, 0, frame);
    out.width = frame.width;
    out.height = frame.height;
    out.scene = image;
    return out;
}
