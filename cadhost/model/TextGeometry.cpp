#include "TextGeometry.h"
#include <QFontMetricsF>
#include <QHash>
#include <QTransform>
#include <cmath>

namespace {

// Outlines are taken at a large size and scaled down, so no hinting shows.
constexpr int kFontPixels = 1000;

struct UnitText {
    QPainterPath path; // font pixels, y down, baseline at 0
    double advance = 0;
};

struct FontFacts {
    double capHeight = 0, descent = 0;
};

const FontFacts& fontFacts()
{
    static const FontFacts facts = [] {
        const QFontMetricsF fm(textFont());
        FontFacts f;
        f.capHeight = fm.capHeight() > 0 ? fm.capHeight() : fm.ascent() * 0.7;
        f.descent = fm.descent();
        return f;
    }();
    return facts;
}

const UnitText& unitText(const QString& s)
{
    static QHash<QString, UnitText> cache;
    auto it = cache.constFind(s);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() > 4000)
        cache.clear();
    UnitText u;
    const QFont font = textFont();
    u.path.addText(0, 0, font, s);
    u.advance = QFontMetricsF(font).horizontalAdvance(s);
    return *cache.insert(s, u);
}

QPointF rotated(QPointF v, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return {v.x() * c - v.y() * s, v.x() * s + v.y() * c};
}

// The alignment's reference point relative to the baseline start, in the
// text's own unrotated frame.
QPointF referenceOffset(int alignment, double width, double height, double descent)
{
    if (alignment == AlignMiddle)
        return {width / 2, height / 2};
    if (alignment == AlignAligned || alignment == AlignFit || alignment == AlignLeft)
        return {0, 0};
    int h = 0, v = 0;
    alignmentToDxf(alignment, h, v);
    const double x = h == 1 ? width / 2 : h == 2 ? width : 0;
    const double y = v == 3 ? height : v == 2 ? height / 2 : v == 1 ? -descent : 0;
    return {x, y};
}

bool spansBothPoints(const TextData& t)
{
    return (t.alignment == AlignAligned || t.alignment == AlignFit)
        && std::hypot(t.alignmentPoint.x - t.insertion.x, t.alignmentPoint.y - t.insertion.y) > 0
        && unitText(t.string).advance > 0;
}

} // namespace

QFont textFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(kFontPixels);
    font.setKerning(false);
    return font;
}

TextPlacement placeText(const TextData& t)
{
    const FontFacts& facts = fontFacts();
    const UnitText& unit = unitText(t.string);
    double scaleY = t.height / facts.capHeight;
    double scaleX = scaleY * t.widthFactor;
    TextPlacement out;
    out.rotation = t.rotation;
    out.height = t.height;
    QPointF origin = t.insertion.xy();

    if (spansBothPoints(t)) {
        const QPointF d = t.alignmentPoint.xy() - t.insertion.xy();
        const double length = std::hypot(d.x(), d.y());
        out.rotation = std::atan2(d.y(), d.x());
        scaleX = length / unit.advance;
        if (t.alignment == AlignAligned) {
            scaleY = scaleX / t.widthFactor;
            out.height = scaleY * facts.capHeight;
        }
    } else if (t.alignment != AlignLeft) {
        const QPointF ref = referenceOffset(t.alignment, unit.advance * scaleX, t.height, facts.descent * scaleY);
        origin = t.alignmentPoint.xy() - rotated(ref, t.rotation);
    }
    out.width = unit.advance * scaleX;
    out.insertion = {origin.x(), origin.y(), t.alignment == AlignLeft ? t.insertion.z : t.alignmentPoint.z};

    QTransform m;
    m.translate(origin.x(), origin.y());
    m.rotateRadians(out.rotation);
    m.scale(scaleX, -scaleY);
    out.outline = m.map(unit.path);
    return out;
}

QRectF textBounds(const TextData& text)
{
    const TextPlacement p = placeText(text);
    if (p.outline.isEmpty())
        return QRectF(p.insertion.xy(), QSizeF(0, 0));
    return p.outline.boundingRect();
}

TextData withAlignment(const TextData& text, int alignment)
{
    const TextPlacement now = placeText(text);
    TextData out = text;
    out.alignment = alignment;
    out.insertion = now.insertion;
    if (alignment == AlignAligned || alignment == AlignFit) {
        // The baseline as drawn, from its start to its end.
        const QPointF end = now.insertion.xy() + rotated({now.width, 0}, now.rotation);
        out.alignmentPoint = {end.x(), end.y(), now.insertion.z};
        out.rotation = now.rotation;
    } else if (alignment != AlignLeft) {
        const double descent = fontFacts().descent * now.height / fontFacts().capHeight;
        const QPointF ref = now.insertion.xy()
            + rotated(referenceOffset(alignment, now.width, now.height, descent), now.rotation);
        out.alignmentPoint = {ref.x(), ref.y(), now.insertion.z};
    }
    return out;
}

TextData withInsertionPoint(const TextData& text, const Point3& p)
{
    const TextPlacement now = placeText(text);
    TextData out = text;
    const double dx = p.x - now.insertion.x, dy = p.y - now.insertion.y, dz = p.z - now.insertion.z;
    out.insertion = p;
    // The two points of aligned and fit text are set one by one.
    if (text.alignment != AlignLeft && text.alignment != AlignAligned && text.alignment != AlignFit)
        out.alignmentPoint = {text.alignmentPoint.x + dx, text.alignmentPoint.y + dy, text.alignmentPoint.z + dz};
    return out;
}

TextData rotatedText(const TextData& text, QPointF base, double angle)
{
    auto turn = [&](const Point3& p) {
        const QPointF q = base + rotated(p.xy() - base, angle);
        return Point3{q.x(), q.y(), p.z};
    };
    TextData out = text;
    out.insertion = turn(text.insertion);
    out.alignmentPoint = turn(text.alignmentPoint);
    out.rotation = std::remainder(text.rotation + angle, 2 * M_PI);
    if (out.rotation < 0)
        out.rotation += 2 * M_PI;
    return out;
}

TextData settledText(const TextData& text)
{
    if (text.alignment == AlignLeft || text.alignment == AlignAligned || text.alignment == AlignFit)
        return text;
    TextData out = text;
    out.insertion = placeText(text).insertion;
    return out;
}
