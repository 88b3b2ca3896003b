// samples/plan.dxf is what make-sample-drawing writes, and holds what the demo
// and the end-to-end runs rely on.
#include "cadhost/DxfFile.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kSample = QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf");

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(SampleDrawing, TheCommittedFileIsWhatTheGeneratorWrites)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("plan.dxf");
    ASSERT_EQ(QProcess::execute(QStringLiteral(MIRTEX_BIN_DIR "/make-sample-drawing"), {out}), 0);
    const QByteArray written = bytesOf(out);
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(written, bytesOf(kSample)) << "regenerate samples/plan.dxf with make-sample-drawing";
}

TEST(SampleDrawing, HoldsTheLetteringAndShapesThePlanNeeds)
{
    const DxfReadResult r = readDxf(kSample);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    QSet<QString> texts;
    QSet<int> colours;
    bool upright = false, middleLeft = false, narrow = false;
    int strokes = 0, circles = 0, arcs = 0, walls = 0;
    for (const Entity& e : r.drawing.entities()) {
        switch (e.type) {
        case EntityType::Text:
            texts << e.text;
            colours << r.drawing.effectiveColor(e);
            upright |= std::abs(e.rotation - M_PI / 2) < 1e-9;
            middleLeft |= alignmentFromJust(e.hJust, e.vJust) == 9 && e.alignmentPoint != e.insertion;
            narrow |= e.widthFactor < 1;
            break;
        case EntityType::Polyline:
            (e.layer == "PDF文字" ? strokes : walls) += 1;
            break;
        case EntityType::Circle: ++circles; break;
        case EntityType::Arc: ++arcs; break;
        case EntityType::Line: break;
        }
    }
    for (const char* s : {"平面図 S=1/100", "居間", "台所", "W900×H2100", "鉄筋コンクリート造", "GL+1,200",
                          "φ100 @200", "外壁：ALC板 t=100"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(s))) << s;
    EXPECT_GE(colours.size(), 4);
    EXPECT_TRUE(upright);
    EXPECT_TRUE(middleLeft);
    EXPECT_TRUE(narrow);
    EXPECT_GE(strokes, 8);  // lettering as polylines only
    EXPECT_GE(walls, 2);
    EXPECT_GE(circles, 1);
    EXPECT_GE(arcs, 1);
}
