#include "ocrengine/samples/TextSamples.h"

#include "ocrengine/strokefont/LffFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QFont sampleFont(const SampleLine& line)
{
    QFont font(line.family.isEmpty() ? sampleFontFamily() : line.family);
    font.setPixelSize(line.pixelSize);
    font.setWeight(QFont::Weight(line.weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Stroke lettering of one line at the origin of the painter's transform, on
// the baseline; returns the ink's extent in those coordinates.
QRectF drawStrokes(QPainter& p, const SampleLine& line, const QString& text)
{
    const double scale = line.pixelSize / LffFont::kCapHeight;
    QRectF bounds;
    for (const StrokePolyline& poly : layoutStrokeText(*line.strokeFont, line.latinStrokeFont, text.toStdU32String())) {
        QPolygonF q;
        for (const StrokePoint& v : poly)
            q << QPointF(v.x * scale, -v.y * scale);
        p.drawPolyline(q);
        bounds = bounds.isNull() ? q.boundingRect() : bounds.united(q.boundingRect());
    }
    return bounds.adjusted(-0.5, -0.5, 0.5, 0.5);
}

std::array<double, 8> mapped(const QTransform& t, const QRectF& r)
{
    const QPointF c[4] = {t.map(r.topLeft()), t.map(r.topRight()), t.map(r.bottomRight()), t.map(r.bottomLeft())};
    return {c[0].x(), c[0].y(), c[1].x(), c[1].y(), c[2].x(), c[2].y(), c[3].x(), c[3].y()};
}

std::array<double, 8> drawHorizontal(QPainter& p, const SampleLine& line)
{
    QTransform t;
    t.translate(line.origin.x(), line.origin.y());
    t.rotate(-line.angleDeg);
    p.setTransform(t);
    if (line.strokeFont)
        return mapped(t, drawStrokes(p, line, line.text));
    p.drawText(QPointF(0, 0), line.text);
    return mapped(t, QFontMetricsF(p.font()).tightBoundingRect(line.text));
}

std::array<double, 8> drawVertical(QPainter& p, const SampleLine& line)
{
    const QFontMetricsF fm(p.font());
    p.setTransform(QTransform());
    QRectF ink;
    double top = line.origin.y();
    for (const QChar c : line.text) {
        const QString s(c);
        if (line.strokeFont) {
            // Each character a TEXT of its own, centred on the column.
            const double scale = line.pixelSize / LffFont::kCapHeight;
            const double advance = line.strokeFont->advance(c.unicode()) - line.strokeFont->letterSpacing();
            const QPointF base(line.origin.x() - advance * scale / 2, top + line.pixelSize);
            p.setTransform(QTransform::fromTranslate(base.x(), base.y()));
            const QRectF placed = drawStrokes(p, line, s).translated(base);
            p.setTransform(QTransform());
            ink = ink.isNull() ? placed : ink.united(placed);
            top += line.pixelSize * 1.1;
            continue;
        }
        const QRectF tight = fm.tightBoundingRect(s);
        // Each character sits in an em square, centred on the column.
        const QPointF base(line.origin.x() - fm.horizontalAdvance(s) / 2, top + fm.ascent());
        p.drawText(base, s);
        const QRectF placed = tight.translated(base);
        ink = ink.isNull() ? placed : ink.united(placed);
        top += line.pixelSize * 1.1;
    }
    return mapped(QTransform(), ink);
}

}  // namespace

QString sampleFontFamily() { return QStringLiteral("Noto Sans CJK JP"); }

RenderedSample renderSample(QSize size, const QColor& background, const QList<SampleLine>& lines)
{
    RenderedSample out;
    out.image = QImage(size, QImage::Format_RGB32);
    out.image.fill(background);
    QPainter p(&out.image);
    for (const SampleLine& line : lines) {
        p.setRenderHint(QPainter::TextAntialiasing, line.antialiased);
        p.setRenderHint(QPainter::Antialiasing, line.antialiased);
        QFont font = sampleFont(line);
        if (!line.antialiased)
            font.setStyleStrategy(QFont::NoAntialias);
        p.setFont(font);
        QPen pen(line.colour, 1);
        pen.setCosmetic(true);
        p.setPen(pen);
        out.boxes.append(line.layout == SampleLayout::Vertical ? drawVertical(p, line) : drawHorizontal(p, line));
    }
    return out;
}

namespace {

// The last row of the Levenshtein table of a against b, over code points.
// With freeStart, a may begin anywhere in b at no cost, so each cell holds the
// distance of a to the best stretch of b ending there.
std::vector<int> lastDistanceRow(const QString& a, const QString& b, bool freeStart)
{
    const QList<uint> x = a.toUcs4(), y = b.toUcs4();
    std::vector<int> prev(size_t(y.size()) + 1), cur(prev.size());
    for (size_t j = 0; j < prev.size(); ++j)
        prev[j] = freeStart ? 0 : int(j);
    for (qsizetype i = 1; i <= x.size(); ++i) {
        cur[0] = int(i);
        for (qsizetype j = 1; j <= y.size(); ++j)
            cur[size_t(j)] = std::min({prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1,
                                       prev[size_t(j - 1)] + (x[i - 1] == y[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev;
}

}  // namespace

int editDistance(const QString& a, const QString& b)
{
    return lastDistanceRow(a, b, false).back();
}

int substringEditDistance(const QString& ref, const QString& text)
{
    const std::vector<int> row = lastDistanceRow(ref, text, true);
    return *std::min_element(row.begin(), row.end());
}

double cornerDistance(const std::array<double, 8>& a, const std::array<double, 8>& b)
{
    double worst = 0;
    for (size_t i = 0; i < 8; i += 2)
        worst = std::max(worst, std::hypot(a[i] - b[i], a[i + 1] - b[i + 1]));
    return worst;
}

QString comparableText(const QString& text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_KC))
        if (!c.isSpace())
            out += c;
    return out;
}

double directionDeg(const std::array<double, 8>& box)
{
    return std::atan2(-(box[3] - box[1]), box[2] - box[0]) * 180 / M_PI;
}

LineMatch matchLine(const SampleLine& drawn, const std::array<double, 8>& truth, const QList<RecognisedLine>& got)
{
    const QString want = comparableText(drawn.text);
    const double cx = (truth[0] + truth[4]) / 2, cy = (truth[1] + truth[5]) / 2;
    LineMatch best;
    for (qsizetype k = 0; k < got.size(); ++k) {
        const auto& b = got[k].box;
        if (std::hypot((b[0] + b[4]) / 2 - cx, (b[1] + b[5]) / 2 - cy) > drawn.pixelSize * 1.2)
            continue;
        const int edits = editDistance(comparableText(got[k].text), want);
        if (best.index >= 0 && edits >= best.edits)
            continue;
        double turn = std::fmod(std::abs(directionDeg(b) - directionDeg(truth)), 360.0);
        best = {int(k), edits, cornerDistance(b, truth), std::min(turn, 360 - turn)};
    }
    return best;
}
