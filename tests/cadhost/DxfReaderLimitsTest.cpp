// The DXF reader against hostile files: nothing in a file may crash the host
// or keep it busy; counts in the file are ignored, sizes are bounded, a
// malformed file is refused whole.
#include "cadhost/DxfFile.h"
#include "tests/cadhost/DxfTestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectRefused(const DxfReadResult& r, const QString& why)
{
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.startsWith(why)) << r.message.toStdString();
    EXPECT_TRUE(r.drawing.entities().isEmpty());
    EXPECT_EQ(r.drawing.layers().size(), 1);
}

const QString kUnreadable = "DXF ファイルとして読めません";
const QString kTooBig = "DXF ファイルが大きすぎます";

}  // namespace

TEST(DxfReaderLimits, HostileFilesOpenCutOrAreRefusedAtOnce)
{
    for (const HostileFile& f : hostileFiles()) {
        SCOPED_TRACE(f.what);
        QElapsedTimer clock;
        clock.start();
        const DxfReadResult r = readDxfBytes(f.bytes);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(r.ok, f.readable) << r.message.toStdString();
        if (!f.readable) expectRefused(r, kUnreadable);
    }
    const QList<HostileFile> files = hostileFiles();
    const Entity poly = readDxfBytes(files[0].bytes).drawing.entities().value(0);
    EXPECT_EQ(poly.points, (QList<Vertex>{{0, 0, 0}, {1, 1, 0}}));  // what is there, not what was announced
    EXPECT_EQ(readDxfBytes(files[1].bytes).drawing.entities().value(0).text, QString(kMaxTextLength, 'A'));
    const Drawing layered = readDxfBytes(files[2].bytes).drawing;
    EXPECT_EQ(layered.entities().value(0).layer, QString(kMaxNameLength, 'L'));
    EXPECT_EQ(layered.layers().size(), 2);
    const Entity empty = readDxfBytes(files[3].bytes).drawing.entities().value(0);
    EXPECT_EQ(empty.type, EntityType::Text);
    EXPECT_TRUE(empty.text.isEmpty());
    EXPECT_EQ(empty.insertion, QPointF(5, 5));
    const Entity arc = readDxfBytes(files[6].bytes).drawing.entities().value(0);
    EXPECT_TRUE(arc.endAngle >= 0 && arc.endAngle < 2 * M_PI) << arc.endAngle;  // the extents loop over the sweep
}

TEST(DxfReaderLimits, EveryCutOrDamagedCopyOfAFileIsReadOrRefusedWhole)
{
    const QByteArray file = tableFile();
    const qsizetype eof = file.lastIndexOf("EOF");
    for (qsizetype n = 0; n < file.size(); ++n) {
        const DxfReadResult r = readDxfBytes(file.left(n));
        ASSERT_EQ(r.ok, n >= eof + 3) << n;  // cut anywhere before "EOF" ends: refused
        if (!r.ok) ASSERT_TRUE(r.drawing.entities().isEmpty()) << n;
    }
    for (qsizetype i = 0; i < file.size(); ++i) {
        for (char c : {'\0', '\n', '-', 'x', '\xff', '9'}) {
            QByteArray damaged = file;
            damaged[i] = c;
            const DxfReadResult r = readDxfBytes(damaged);
            ASSERT_TRUE(r.ok || r.message.startsWith(kUnreadable)) << i << " " << r.message.toStdString();
            ASSERT_LE(r.drawing.entities().size(), 2) << i;
        }
    }
}

TEST(DxfReaderLimits, MalformedGroupsRefuseTheFile)
{
    const QByteArray line = groups({{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}});
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"group code that is a word", entitiesFile("abc\r\nLINE\r\n")},
        {"group code past the DXF range", entitiesFile(" 99999\r\nLINE\r\n")},
        {"negative group code past the range", entitiesFile(" -7\r\nLINE\r\n")},
        {"code without a value at the end", groups({{0, "SECTION"}, {2, "ENTITIES"}}) + "  0\r\n"},
        {"coordinate that is no number", entitiesFile(groups({{0, "LINE"}, {10, "12abc"}}))},
        {"coordinate not a number", entitiesFile(groups({{0, "LINE"}, {10, "nan"}}))},
        {"infinite radius", entitiesFile(groups({{0, "CIRCLE"}, {40, "inf"}}))},
        {"empty coordinate", entitiesFile(groups({{0, "LINE"}, {20, ""}}))},
        {"colour that is no integer", entitiesFile(groups({{0, "LINE"}, {62, "3.5"}}))},
        {"binary DXF", QByteArray("AutoCAD Binary DXF\r\n\x1a\0\0\0\0\x02SECTION", 30)},
        {"no EOF", groups({{0, "SECTION"}, {2, "ENTITIES"}}) + line + groups({{0, "ENDSEC"}})},
        {"empty file", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectRefused(readDxfBytes(c.bytes), kUnreadable);
    }
}

TEST(DxfReaderLimits, SizesBeyondTheLimitsRefuseTheFileWithoutWaiting)
{
    const QByteArray text = groups({{0, "TEXT"}, {8, "0"}, {40, "1"}, {1, QByteArray(kMaxTextLength, 'x')}});
    const qsizetype fitting = kMaxTextCharacters / kMaxTextLength;
    EXPECT_TRUE(readDxfBytes(entitiesFile(text.repeated(fitting))).ok);
    expectRefused(readDxfBytes(entitiesFile(text.repeated(fitting + 1))), kTooBig);

    QElapsedTimer clock;
    clock.start();
    expectRefused(readDxfBytes(entitiesFile(QByteArray("0\nPOINT\n").repeated(kMaxEntities + 1))), kTooBig);
    expectRefused(readDxfBytes(entitiesFile(groups({{0, "LWPOLYLINE"}}) + QByteArray("10\n0\n").repeated(kMaxVertices + 1))),
                  kTooBig);
    expectRefused(readDxfBytes(entitiesFile(groups({{0, "POLYLINE"}}) + QByteArray("0\nVERTEX\n").repeated(kMaxVertices + 1))),
                  kTooBig);
    // More vertices than entities are allowed: a long polyline of the old kind is no entity flood.
    const DxfReadResult contour =
        readDxfBytes(entitiesFile(groups({{0, "POLYLINE"}}) + QByteArray("0\nVERTEX\n").repeated(kMaxEntities + 1)));
    ASSERT_TRUE(contour.ok) << contour.message.toStdString();
    EXPECT_EQ(contour.drawing.entities().value(0).points.size(), kMaxEntities + 1);
    EXPECT_LT(clock.elapsed(), 10000);

    QTemporaryDir dir;
    QFile big(dir.filePath("big.dxf"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(kMaxDxfFileBytes + 1));  // sparse: nothing is written
    big.close();
    const DxfReadResult r = readDxf(big.fileName());
    expectRefused(r, kTooBig);
    EXPECT_TRUE(r.message.endsWith(big.fileName()));
}

TEST(DxfReaderLimits, ManyLayersAreLookedUpWithoutSlowingDown)
{
    // Each entity on a layer of its own: a look-up that walked the layers made this minutes.
    QByteArray entities;
    for (int i = 0; i < 50000; ++i)
        entities += groups({{0, "LINE"}, {8, "layer-" + QByteArray::number(i)}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}});
    QElapsedTimer clock;
    clock.start();
    const DxfReadResult r = readDxfBytes(entitiesFile(entities));
    EXPECT_LT(clock.elapsed(), 5000);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.drawing.layers().size(), 50001);
    EXPECT_EQ(r.drawing.layerIndex("LAYER-49999"), 50000);
}

TEST(DxfReaderLimits, OutOfRangeValuesAreBroughtIntoRangeAndStraySequencesIgnored)
{
    const QByteArray layers = groups({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "ZERO"},
                                      {62, "0"}, {0, "LAYER"}, {2, ""}, {62, "3"}, {0, "ENDTAB"}, {0, "ENDSEC"}});
    const QByteArray blocks = groups({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "B"}, {0, "LINE"}, {8, "INBLOCK"},
                                      {0, "ENDBLK"}, {0, "ENDSEC"}});
    const QByteArray entities = groups({{0, "VERTEX"}, {10, "5"}, {20, "5"}, {0, "SEQEND"}})  // no polyline open
                                + groups({{0, "TEXT"}, {62, "99999"}, {72, "77"}, {73, "-3"}, {41, "1e300"}, {1, "T"}})
                                + groups({{0, "CIRCLE"}, {8, " padded "}, {67, "1"}, {40, "1"}})  // paper space
                                + groups({{0, "CIRCLE"}, {40, "-2"}})
                                + groups({{0, "POLYLINE"}, {70, "1"}, {0, "VERTEX"}, {10, "1"}, {20, "2"}});  // no SEQEND
    const DxfReadResult r = readDxfBytes(layers + blocks + groups({{0, "SECTION"}, {2, "ENTITIES"}}) + entities
                                         + groups({{0, "ENDSEC"}, {0, "EOF"}}));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const Drawing& d = r.drawing;
    EXPECT_EQ(d.layers()[d.layerIndex("ZERO")].color, 7);
    EXPECT_EQ(d.layers().size(), 2);  // a nameless entry is skipped, block contents and paper space add nothing
    ASSERT_EQ(d.entities().size(), 3);
    const Entity& text = d.entities()[0];
    EXPECT_EQ(text.color, 256);
    EXPECT_EQ(text.hJust, 0);
    EXPECT_EQ(text.vJust, 0);
    EXPECT_EQ(text.widthFactor, 100);
    EXPECT_EQ(d.entities()[1].radius, 2);
    EXPECT_EQ(d.entities()[2].type, EntityType::Polyline);
    EXPECT_TRUE(d.entities()[2].closed);
    EXPECT_EQ(d.entities()[2].points, (QList<Vertex>{{1, 2, 0}}));
}
