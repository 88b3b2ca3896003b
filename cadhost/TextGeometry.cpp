#include "cadhost/TextGeometry.h"

#include <QFont>
#include <QFontMetricsF>
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

}  // namespace

QPainterPath textOutline(const Entity& e)
{
    const QFont font = textFont();
    const QFontMetricsF fm(font);
    QPainterPath glyphs;
    glyphs.addText(0, 0, font, e.text);  // baseline at y = 0, y downwards
    const double scale = e.height / fm.capHeight();
    const double width = fm.horizontalAdvance(e.text) * scale * e.widthFactor;

    // Offset of the anchor inside the text, in text units (y upwards).
    double dx = 0, dy = 0;
    const bool onAlignmentPoint = !(e.hJust == 0 && e.vJust == 0);
    if (e.hJust == 1 || e.hJust == 4) dx = -width / 2;
    if (e.hJust == 2) dx = -width;
    if (e.vJust == 1) dy = fm.descent() * scale;  // bottom
    if (e.vJust == 2 || e.hJust == 4) dy = -e.height / 2;  // middle
    if (e.vJust == 3) dy = -e.height;  // top
    const QPointF anchor = onAlignmentPoint && e.hJust != 3 && e.hJust != 5 ? e.alignmentPoint : e.insertion;

    QTransform t;
    t.translate(anchor.x(), anchor.y());
    t.rotateRadians(e.rotation);
    t.translate(dx, dy);
    t.scale(scale * e.widthFactor, -scale);  // glyph y runs down, drawing y runs up
    return t.map(glyphs);
}

QRectF textBounds(const Entity& e)
{
    return textOutline(e).boundingRect();
}
