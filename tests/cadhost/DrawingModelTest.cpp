#include "cadhost/DxfFile.h"
#include "cadhost/UndoStack.h"
#include "cadhost/ViewTransform.h"
#include "output/CodePage.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// A file of the given bytes in dir; its path.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

Drawing sampleDrawing()
{
    Drawing d;
    d.setLayerColor(d.addLayer("壁", 1), 1);
    d.addLayer("mirtex", 3);
    d.addStyle({"Standard", "txt.shx", "bigfont.shx", 0, 1, 0});
    d.addStyle({"注記", "romans.shx", "", 2.5, 0.8, 15});
    Entity line;
    line.type = EntityType::Line;
    line.layer = "壁";
    line.points = {{0, 0, 0}, {1000, 500, 0}};
    d.addEntity(line);
    Entity poly;
    poly.type = EntityType::Polyline;
    poly.closed = true;
    poly.color = 5;
    poly.points = {{0, 0, 0}, {10, 0, 0.5}, {10, 10, 0}};
    d.addEntity(poly);
    Entity circle;
    circle.type = EntityType::Circle;
    circle.points = {{5, 6, 0}};
    circle.radius = 2.5;
    d.addEntity(circle);
    Entity arc = circle;
    arc.type = EntityType::Arc;
    arc.startAngle = M_PI / 4;
    arc.endAngle = M_PI;
    d.addEntity(arc);
    Entity text;
    text.type = EntityType::Text;
    text.layer = "mirtex";
    text.text = "外壁：ALC板 t=100 W900×H2100";
    text.height = 250;
    text.rotation = M_PI / 2;
    text.widthFactor = 0.8;
    text.hJust = 0;
    text.vJust = 2;
    text.insertion = {100, 200};
    text.alignmentPoint = {100, 325};
    d.addEntity(text);
    return d;
}

void expectSameEntity(const Entity& a, const Entity& b)
{
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.layer, b.layer);
    EXPECT_EQ(a.color, b.color);
    EXPECT_EQ(a.closed, b.closed);
    ASSERT_EQ(a.points.size(), b.points.size());
    for (int i = 0; i < a.points.size(); ++i) {
        EXPECT_DOUBLE_EQ(a.points[i].x, b.points[i].x);
        EXPECT_DOUBLE_EQ(a.points[i].y, b.points[i].y);
        EXPECT_DOUBLE_EQ(a.points[i].bulge, b.points[i].bulge);
    }
    EXPECT_NEAR(a.radius, b.radius, 1e-12);
    EXPECT_NEAR(a.startAngle, b.startAngle, 1e-9);
    EXPECT_NEAR(a.endAngle, b.endAngle, 1e-9);
    EXPECT_EQ(a.text, b.text);
    EXPECT_DOUBLE_EQ(a.height, b.height);
    EXPECT_NEAR(a.rotation, b.rotation, 1e-9);
    EXPECT_DOUBLE_EQ(a.widthFactor, b.widthFactor);
    EXPECT_EQ(a.hJust, b.hJust);
    EXPECT_EQ(a.vJust, b.vJust);
    EXPECT_EQ(a.insertion, b.insertion);
    EXPECT_EQ(a.alignmentPoint, b.alignmentPoint);
}

}  // namespace

TEST(DxfFile, RoundTripKeepsEveryEntityKindAndJapaneseText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plan.dxf");
    const Drawing d = sampleDrawing();
    ASSERT_TRUE(writeDxf(d, path));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains(toCp932("外壁：ALC板 t=100 W900×H2100")));

    const DxfReadResult r = readDxf(path);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    ASSERT_EQ(r.drawing.entities().size(), d.entities().size());
    for (int i = 0; i < d.entities().size(); ++i) {
        SCOPED_TRACE(i);
        expectSameEntity(r.drawing.entities()[i], d.entities()[i]);
    }
    const int wall = r.drawing.layerIndex("壁");
    ASSERT_GE(wall, 0);
    EXPECT_EQ(r.drawing.layers()[wall].color, 1);
    EXPECT_EQ(r.drawing.effectiveColor(r.drawing.entities()[0]), 1);
    EXPECT_GE(r.drawing.layerIndex("MIRTEX"), 0);
    EXPECT_EQ(r.drawing.styles(), d.styles());
}

TEST(DxfFile, Utf8FileAndEscapesAreDecoded)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "u.dxf",
                                   "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n0\nENDSEC\n"
                                   "0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n1\n20\n2\n30\n0\n40\n3\n1\n"
                                       + QString("居間 \\U+53F0所").toUtf8() + "\n0\nENDSEC\n0\nEOF\n");
    const DxfReadResult r = readDxf(path);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.drawing.entities().size(), 1);
    EXPECT_EQ(r.drawing.entities()[0].text, "居間 台所");
    EXPECT_DOUBLE_EQ(r.drawing.entities()[0].height, 3);
}

TEST(DxfFile, MissingOrCorruptFileGivesEmptyDrawingAndMessage)
{
    QTemporaryDir dir;
    const QString corrupt = writeFile(dir, "bad.dxf", "this is not a drawing\n\x01\x02");
    for (const QString& path : {dir.filePath("missing.dxf"), corrupt}) {
        SCOPED_TRACE(path.toStdString());
        const DxfReadResult r = readDxf(path);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.drawing.entities().isEmpty());
        EXPECT_EQ(r.drawing.layers().size(), 1);
        EXPECT_TRUE(r.message.contains(path));
    }
}

TEST(Alignment, CodesMapBothWaysForEveryDxfJustification)
{
    struct Case { int h, v, alignment; };
    const Case cases[] = {{0, 0, 0}, {1, 0, 1}, {2, 0, 2}, {3, 0, 3}, {4, 0, 4}, {5, 0, 5},
                          {0, 3, 6}, {1, 3, 7}, {2, 3, 8}, {0, 2, 9}, {1, 2, 10}, {2, 2, 11},
                          {0, 1, 12}, {1, 1, 13}, {2, 1, 14}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        EXPECT_EQ(alignmentFromJust(c.h, c.v), c.alignment);
        int h = -1, v = -1;
        justFromAlignment(c.alignment, h, v);
        EXPECT_EQ(h, c.h);
        EXPECT_EQ(v, c.v);
    }
}

TEST(UndoStack, MarkedGroupIsOneStepOtherChangesOneEach)
{
    Drawing d;
    UndoStack undo;
    Entity e;
    e.type = EntityType::Text;
    auto add = [&](const QString& s) { undo.aboutToChange(d); e.text = s; d.addEntity(e); };
    add("a");
    undo.startMark(d);
    add("b");
    add("c");
    undo.endMark();
    add("d");
    EXPECT_EQ(d.entities().size(), 4);
    ASSERT_TRUE(undo.undo(d));
    EXPECT_EQ(d.entities().size(), 3);
    ASSERT_TRUE(undo.undo(d));
    ASSERT_EQ(d.entities().size(), 1);
    EXPECT_EQ(d.entities()[0].text, "a");
    ASSERT_TRUE(undo.undo(d));
    EXPECT_TRUE(d.entities().isEmpty());
    EXPECT_FALSE(undo.undo(d));
}

TEST(ViewTransform, PixelMappingAndZoomAboutCursor)
{
    ViewTransform v;
    v.viewSize = 300;
    v.center = {100, 50};
    v.screen = {400, 300};
    EXPECT_EQ(v.toPixel({100, 50}), QPointF(200, 150));
    EXPECT_EQ(v.toPixel({110, 60}), QPointF(210, 140));
    EXPECT_EQ(v.pickAt(200, 150), QPointF(100.5, 49.5));
    const QPointF under = v.toDrawing({37, 250});
    v.zoomAbout({37, 250}, 2.0);
    EXPECT_DOUBLE_EQ(v.viewSize, 150);
    EXPECT_NEAR(v.toDrawing({37, 250}).x(), under.x(), 1e-9);
    EXPECT_NEAR(v.toDrawing({37, 250}).y(), under.y(), 1e-9);
}

TEST(DxfFile, LightweightPolylinesKeepTheirVerticesAndBulges)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "lw.dxf",
                                   "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n62\n3\n90\n3\n70\n1\n"
                                   "10\n0\n20\n0\n42\n0.5\n10\n10\n20\n0\n10\n10\n20\n5\n0\nENDSEC\n0\nEOF\n");
    const DxfReadResult r = readDxf(path);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    ASSERT_EQ(r.drawing.entities().size(), 1);
    const Entity& e = r.drawing.entities()[0];
    EXPECT_EQ(e.type, EntityType::Polyline);
    EXPECT_TRUE(e.closed);
    EXPECT_EQ(e.color, 3);
    const QList<Vertex> expected{{0, 0, 0.5}, {10, 0, 0}, {10, 5, 0}};
    EXPECT_EQ(e.points, expected);
}
