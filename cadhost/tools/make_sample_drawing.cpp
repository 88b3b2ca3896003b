// make-sample-drawing OUT.dxf: writes the demo drawing samples/plan.dxf, a
// small floor plan in millimetres (S=1/100) with Japanese and ASCII lettering
// as TEXT, and some lettering drawn with polylines only, the way text looks
// after a PDF import.
#include "cadhost/DxfFile.h"

#include <QCoreApplication>
#include <QHash>
#include <QRectF>
#include <QStringList>

#include <cmath>
#include <cstdio>

namespace {

Entity line(const QString& layer, QPointF a, QPointF b)
{
    Entity e;
    e.type = EntityType::Line;
    e.layer = layer;
    e.points = {{a.x(), a.y(), 0}, {b.x(), b.y(), 0}};
    return e;
}

Entity polyline(const QString& layer, const QList<QPointF>& points, bool closed, int color = 256)
{
    Entity e;
    e.type = EntityType::Polyline;
    e.layer = layer;
    e.closed = closed;
    e.color = color;
    for (const QPointF& p : points) e.points.append({p.x(), p.y(), 0});
    return e;
}

Entity rectangle(const QString& layer, QRectF r)
{
    return polyline(layer, {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()}, true);
}

Entity text(const QString& s, QPointF insertion, double height, int color)
{
    Entity e;
    e.type = EntityType::Text;
    e.layer = "文字";
    e.color = color;
    e.text = s;
    e.height = height;
    e.insertion = insertion;
    e.alignmentPoint = insertion;
    return e;
}

// Strokes of a few capitals and digits on a 4 x 6 grid, baseline at y = 0.
const QHash<QChar, QList<QList<QPointF>>>& strokeFont()
{
    static const QHash<QChar, QList<QList<QPointF>>> font{
        {'P', {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}}}},
        {'S', {{{4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 4}, {1, 3}, {3, 3}, {4, 2}, {4, 1}, {3, 0}, {1, 0}, {0, 1}}}},
        {'-', {{{0.5, 3}, {3.5, 3}}}},
        {'2', {{{0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 4}, {0, 0}, {4, 0}}}},
        {'1', {{{1, 5}, {2, 6}, {2, 0}}, {{1, 0}, {3, 0}}}},
        {'F', {{{4, 6}, {0, 6}, {0, 0}}, {{0, 3}, {3, 3}}}},
    };
    return font;
}

// Lettering as open polylines: capital height `height`, left end of the baseline at `at`.
void addStrokeText(Drawing& d, const QString& s, QPointF at, double height, int color)
{
    const double unit = height / 6;
    double x = at.x();
    for (QChar c : s) {
        for (const QList<QPointF>& stroke : strokeFont().value(c)) {
            QList<QPointF> points;
            for (const QPointF& p : stroke) points << QPointF(x + p.x() * unit, at.y() + p.y() * unit);
            d.addEntity(polyline("PDF文字", points, false, color));
        }
        x += 5.5 * unit;
    }
}

Drawing samplePlan()
{
    Drawing d;
    d.setLayerColor(d.addLayer("壁"), 1);
    d.setLayerColor(d.addLayer("建具"), 2);
    d.setLayerColor(d.addLayer("柱"), 4);
    d.setLayerColor(d.addLayer("寸法"), 3);
    d.setLayerColor(d.addLayer("文字"), 7);
    d.setLayerColor(d.addLayer("PDF文字"), 6);

    // Outer walls 150 thick around 12 m x 8 m, a partition with a 900 door.
    d.addEntity(rectangle("壁", {0, 0, 12000, 8000}));
    d.addEntity(rectangle("壁", {150, 150, 11700, 7700}));
    d.addEntity(polyline("壁", {{7000, 150}, {7000, 3000}}, false));
    d.addEntity(polyline("壁", {{7000, 3900}, {7000, 7850}}, false));
    d.addEntity(line("壁", {4500, 4200}, {7000, 4200}));

    // Door leaf and swing, windows in the south wall.
    Entity swing;
    swing.type = EntityType::Arc;
    swing.layer = "建具";
    swing.points = {{7000, 3000, 0}};
    swing.radius = 900;
    swing.startAngle = 0;
    swing.endAngle = M_PI / 2;
    d.addEntity(swing);
    d.addEntity(line("建具", {7000, 3000}, {7900, 3000}));
    for (double x : {1500.0, 8500.0}) {
        d.addEntity(line("建具", {x, 0}, {x + 1800, 0}));
        d.addEntity(line("建具", {x, 75}, {x + 1800, 75}));
        d.addEntity(line("建具", {x, 150}, {x + 1800, 150}));
    }

    Entity column;
    column.type = EntityType::Circle;
    column.layer = "柱";
    column.points = {{3000, 5200, 0}};
    column.radius = 300;
    d.addEntity(column);

    // Overall dimension and a level mark.
    d.addEntity(line("寸法", {0, -700}, {12000, -700}));
    d.addEntity(line("寸法", {0, -900}, {0, -500}));
    d.addEntity(line("寸法", {12000, -900}, {12000, -500}));
    d.addEntity(polyline("寸法", {{12300, 1000}, {12500, 1200}, {12700, 1000}, {12300, 1000}}, false));

    d.addEntity(text("平面図 S=1/100", {0, -2000}, 600, 7));
    d.addEntity(text("居間", {2300, 2400}, 450, 7));
    Entity kitchen = text("台所", {}, 450, 2);
    justFromAlignment(9, kitchen.hJust, kitchen.vJust);  // middle left on the alignment point
    kitchen.alignmentPoint = {8600, 5600};
    d.addEntity(kitchen);
    d.addEntity(text("W900×H2100", {8000, 3300}, 300, 3));
    Entity structure = text("鉄筋コンクリート造", {6000, -2000}, 400, 4);
    structure.widthFactor = 0.8;
    d.addEntity(structure);
    d.addEntity(text("GL+1,200", {12300, 1400}, 300, 3));
    d.addEntity(text("φ100 @200", {2200, 5900}, 300, 2));
    d.addEntity(text("12,000", {5400, -600}, 300, 3));
    Entity wall = text("外壁：ALC板 t=100", {-350, 1500}, 350, 4);
    wall.rotation = M_PI / 2;
    d.addEntity(wall);

    addStrokeText(d, "PS-2", {9800, 6800}, 450, 6);
    addStrokeText(d, "1F", {1500, 6800}, 450, 256);
    return d;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make-sample-drawing OUT.dxf\n");
        return 2;
    }
    if (!writeDxf(samplePlan(), args[1])) {
        std::fprintf(stderr, "make-sample-drawing: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
