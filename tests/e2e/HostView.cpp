#include "HostView.h"

#include <cmath>

HostView HostView::of(CadObject& document)
{
    auto variable = [&](const char* name) {
        return document.invoke(QStringLiteral("GetVariable"), {QString::fromLatin1(name)}).value(0);
    };
    HostView v;
    v.size = variable("viewsize").toDouble();
    const QList<double> c = toPoint(variable("viewctr"));
    const QList<double> screen = toPoint(variable("screensize"));
    v.centre = {c.value(0), c.value(1)};
    v.w = int(screen.value(0));
    v.h = int(screen.value(1));
    return v;
}

QPointF HostView::toPixel(QPointF p) const
{
    const double s = size / h;
    return {w / 2.0 + (p.x() - centre.x()) / s, h / 2.0 - (p.y() - centre.y()) / s};
}

QPoint HostView::pixelOf(QPointF p) const
{
    const QPointF c = toPixel(p);
    return {int(std::floor(c.x())), int(std::floor(c.y()))};
}

QPointF HostView::pixelCentre(QPoint px) const
{
    const double s = size / h;
    return {centre.x() + (px.x() + 0.5 - w / 2.0) * s, centre.y() - (px.y() + 0.5 - h / 2.0) * s};
}
