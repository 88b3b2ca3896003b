#include "cadhost/TextGeometry.h"

#include <QCache>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QTransform>

#include <cmath>

namespace {

constexpr double kReferencePixelSize = 100;

QFont textFont()
{
    QFont f("Noto Sans CJK JP");
    f.setPixelSize(int(kReferencePixelSize));
    return f;
}

// A text laid out at the reference size: its glyph outlines (baseline at
// y = 0) and its advance. Laying out costs tens of microseconds a character,
// so the runs of the texts drawn last are kept and a repaint only maps them.
struct GlyphRun {
    QPainterPath outline;
    double advance = 0;
};

const GlyphRun& glyphRun(const QString& text)
{
    static QCache<QString, GlyphRun> cache(2'000'000);  // cost: outline elements
    static GlyphRun uncached;
    if (const GlyphRun* run = cache.object(text)) return *run;
    const QFont font = textFont();
    auto* run = new GlyphRun;
    run->outline.addText(0, 0, font, text);
    run->advance = QFontMetricsF(font).horizontalAdvance(text);
    const qsizetype cost = std::max<qsizetype>(1, run->outline.elementCount());
    if (cost <= cache.maxCost()) {
        cache.insert(text, run, cost);
        return *run;
    }
    uncached = std::move(*run);
    delete run;
    return uncached;
}

// Where the text sits: its origin (left end of the baseline) in drawing units
// follows from the anchor point, the justification and the drawn size.
struct Placement {
    QPointF anchor;
    double rotation = 0;
    double xScale = 1, yScale = 1;  // drawing units per font unit
    double dx = 0, dy = 0;          // origin relative to the anchor, along the text
};

Placement place(const Entity& e, const QFontMetricsF& fm)
{
    const double advance = glyphRun(e.text).advance;
    Placement p;
    p.anchor = e.insertion;
    p.rotation = e.rotation;
    p.yScale = e.height / fm.capHeight();
    p.xScale = p.yScale * e.widthFactor;
    const double height = e.height;
    // Aligned (3) and Fit (5) run from the insertion point to the alignment
    // point: the baseline's direction and length come from the two points.
    if (e.hJust == 3 || e.hJust == 5) {
        const QLineF base(e.insertion, e.alignmentPoint);
        if (base.length() > 0 && advance > 0) {
            p.rotation = std::atan2(base.dy(), base.dx());
            p.xScale = base.length() / advance;
            if (e.hJust == 3) p.yScale = p.xScale / e.widthFactor;  // aligned keeps the proportions
        }
        return p;
    }
    if (e.hJust == 0 && e.vJust == 0) return p;
    p.anchor = e.alignmentPoint;
    const double width = advance * p.xScale;
    if (e.hJust == 1 || e.hJust == 4) p.dx = -width / 2;
    if (e.hJust == 2) p.dx = -width;
    if (e.vJust == 1) p.dy = fm.descent() * p.yScale;  // bottom: the lowest descender
    if (e.vJust == 2 || e.hJust == 4) p.dy = -height / 2;
    if (e.vJust == 3) p.dy = -height;
    return p;
}

QTransform textToDrawing(const Placement& p)
{
    QTransform t;
    t.translate(p.anchor.x(), p.anchor.y());
    t.rotateRadians(p.rotation);
    t.translate(p.dx, p.dy);
    t.scale(p.xScale, -p.yScale);  // glyph y runs down, drawing y runs up
    return t;
}

}  // namespace

QPainterPath textOutline(const Entity& e)
{
    const QPainterPath glyphs = glyphRun(e.text).outline;  // copied: the cache may drop it
    return textToDrawing(place(e, QFontMetricsF(textFont()))).map(glyphs);
}

QRectF textBounds(const Entity& e)
{
    const QPainterPath outline = textOutline(e);
    if (!outline.isEmpty()) return outline.boundingRect();
    // Nothing is drawn (empty or blank text): the box shrinks to the text's origin.
    const QFont font = textFont();
    return QRectF(textToDrawing(place(e, QFontMetricsF(font))).map(QPointF(0, 0)), QSizeF(0, 0));
}
