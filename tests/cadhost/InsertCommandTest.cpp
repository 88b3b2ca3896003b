// -INSERT of a DXF file, exploded, on the command line model: placement,
// layers, colours, justification, styles, one undo step, errors.
#include "tests/support/QtTestSupport.h"
#include "cadhost/CommandInterpreter.h"
#include "cadhost/DrawingExtents.h"
#include "cadhost/DxfFile.h"
#include "cadhost/InsertCommand.h"
#include "output/CodePage.h"
#include "tests/cadhost/DxfTestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>

namespace {

class Insert : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QGuiApplication>(); }
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        commands.onChange = [this] { ++changes; };
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }
    // The command string of the DXF road, exactly.
    static QString insertCommand(const QString& path, const QString& answers = "0,0 1.0 0.0")
    {
        return "-INSERT \"*" + path + "\"\r" + answers + "\r";
    }
    bool logged(const QString& part) const { return state.commandLog.join('\n').contains(part); }

    QTemporaryDir dir;
    HostState state;
    CommandInterpreter commands{state};
    int changes = 0;
};

Entity lineEntity(QPointF a, QPointF b, const QString& layer = "0")
{
    Entity e;
    e.type = EntityType::Line;
    e.layer = layer;
    e.points = {{a.x(), a.y(), 0}, {b.x(), b.y(), 0}};
    return e;
}

}  // namespace

TEST_F(Insert, TheRoadsCommandPutsTheFilesTextsWhereTheFileSays)
{
    state.drawing.addEntity(lineEntity({0, 0}, {5, 5}));
    state.drawing.setLayerColor(state.drawing.addLayer("MIRTEX"), 30);  // ensured before the insertion
    const QString path = writeFile("temp.dxf", tableFile());

    commands.feed(insertCommand(path));

    EXPECT_FALSE(commands.asking());
    ASSERT_EQ(state.drawing.entities().size(), 3) << state.commandLog.join('\n').toStdString();
    const Entity& first = state.drawing.entities()[1];
    EXPECT_EQ(first.type, EntityType::Text);
    EXPECT_EQ(first.text, "平面図 S=1/100");
    EXPECT_EQ(first.layer, "MIRTEX");
    EXPECT_EQ(first.color, 256);
    EXPECT_EQ(first.insertion, QPointF(10, 19));
    EXPECT_EQ(first.alignmentPoint, QPointF(10, 20));
    EXPECT_EQ(first.height, 2);
    EXPECT_EQ(first.rotation, 0);
    EXPECT_EQ(first.widthFactor, 0.8);
    EXPECT_EQ(alignmentFromJust(first.hJust, first.vJust), 9);  // middle left
    const Entity& second = state.drawing.entities()[2];
    EXPECT_EQ(second.text, "居間?");
    EXPECT_EQ(second.color, 1);
    EXPECT_EQ(second.alignmentPoint, QPointF(1010, 500));
    EXPECT_NEAR(second.rotation, M_PI / 2, 1e-15);
    EXPECT_EQ(state.drawing.layers()[state.drawing.layerIndex("MIRTEX")].color, 30);  // the layer keeps its colour

    // The command line shows each prompt with its answer.
    const QStringList log = state.commandLog;
    const QStringList expected{"コマンド: -INSERT", "ブロック名を入力 または [?]: \"*" + path + "\"",
                               "挿入位置を指定: 0,0", "尺度を指定 <1>: 1.0", "回転角度を指定 <0>: 0.0"};
    EXPECT_EQ(log.mid(log.size() - expected.size()), expected);
}

TEST_F(Insert, TypedOnOneLineInPiecesOrWithDefaultsAlike)
{
    QDir(dir.path()).mkdir("my folder");  // a quoted name keeps its blanks
    const QString path = writeFile("my folder/temp.dxf", tableFile());
    const QString inputs[] = {
        "-INSERT \"*" + path + "\" 0,0 1.0 0.0\r",   // typed on one line and ended by Enter
        "_-insert\n\"*" + path + "\"\n0,0,0\n\n\n",  // Enter for the default scale and rotation
        "INSERT *\"" + path + "\" 0,0 1 0\r",        // the asterisk outside the quotes
    };
    qsizetype expected = 0;
    for (const QString& input : inputs) {
        SCOPED_TRACE(input.toStdString());
        if (input.startsWith("_-")) {
            for (QChar c : input) commands.feed(QString(c));  // as typed, one key at a time
        } else {
            commands.feed(input);
        }
        expected += 2;
        ASSERT_EQ(state.drawing.entities().size(), expected) << state.commandLog.join('\n').toStdString();
        EXPECT_EQ(state.drawing.entities().last().insertion, QPointF(1011, 500));
        EXPECT_FALSE(commands.asking());
    }
}

TEST_F(Insert, PlacementMovesScalesAndTurnsAboutTheInsertionPoint)
{
    Entity arc;
    arc.type = EntityType::Arc;
    arc.points = {{2, 0, 0}};
    arc.radius = 1;
    arc.startAngle = 0;
    arc.endAngle = M_PI / 2;
    Entity poly;
    poly.type = EntityType::Polyline;
    poly.points = {{0, 0, 0.5}, {1, 0, 0}};
    const QByteArray file = dxfFile({}, textEntity("A", {1, 0}, {1, 0.5}, 1, 0, 1, 256, "0")
                                            + groups({{0, "LINE"}, {8, "0"}, {10, "1"}, {20, "0"}, {11, "2"}, {21, "0"}})
                                            + groups({{0, "ARC"}, {8, "0"}, {10, "2"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}})
                                            + groups({{0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"},
                                                      {42, "0.5"}, {10, "1"}, {20, "0"}}));
    const QString path = writeFile("shapes.dxf", file);
    struct Case {
        const char* answers;
        QPointF textAt, lineEnd, arcCentre;
        double size, turn;  // height factor and rotation added, radians
    };
    const Case cases[] = {
        {"10,20 1 0", {11, 20}, {12, 20}, {12, 20}, 1, 0},
        {"10,20 2.5 0", {12.5, 20}, {15, 20}, {15, 20}, 2.5, 0},
        {"10,20 1 90", {10, 21}, {10, 22}, {10, 22}, 1, M_PI / 2},  // quarter turns are exact
        {"0,0 2 -90", {0, -2}, {0, -4}, {0, -4}, 2, 3 * M_PI / 2},
        {"5,5 -1 0", {4, 5}, {3, 5}, {3, 5}, 1, M_PI},  // a negative scale turns by a half turn
        {"0,0 1 30", {std::cos(M_PI / 6), 0.5}, {2 * std::cos(M_PI / 6), 1}, {2 * std::cos(M_PI / 6), 1}, 1, M_PI / 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        Drawing drawing;
        state.drawing = drawing;
        commands.feed(insertCommand(path, c.answers));
        const QList<Entity>& got = state.drawing.entities();
        ASSERT_EQ(got.size(), 4) << state.commandLog.join('\n').toStdString();
        const Entity &text = got[0], &line = got[1], &placedArc = got[2], &placedPoly = got[3];
        EXPECT_NEAR(text.insertion.x(), c.textAt.x(), 1e-12);
        EXPECT_NEAR(text.insertion.y(), c.textAt.y(), 1e-12);
        EXPECT_DOUBLE_EQ(text.height, c.size);
        EXPECT_NEAR(text.rotation, c.turn, 1e-12);
        // The alignment point keeps its place half a height above the baseline.
        const QPointF up = text.alignmentPoint - text.insertion;
        EXPECT_NEAR(up.x(), -std::sin(c.turn) * 0.5 * c.size, 1e-12);
        EXPECT_NEAR(up.y(), std::cos(c.turn) * 0.5 * c.size, 1e-12);
        EXPECT_NEAR(line.points[1].x, c.lineEnd.x(), 1e-12);
        EXPECT_NEAR(line.points[1].y, c.lineEnd.y(), 1e-12);
        EXPECT_NEAR(placedArc.points[0].x, c.arcCentre.x(), 1e-12);
        EXPECT_NEAR(placedArc.points[0].y, c.arcCentre.y(), 1e-12);
        EXPECT_DOUBLE_EQ(placedArc.radius, c.size);
        EXPECT_NEAR(placedArc.startAngle, c.turn, 1e-12);
        EXPECT_NEAR(std::remainder(placedArc.endAngle - c.turn - M_PI / 2, 2 * M_PI), 0, 1e-12);
        EXPECT_EQ(placedPoly.points[0].bulge, 0.5);  // a uniform scale keeps every arc's sweep
        EXPECT_NEAR(std::hypot(placedPoly.points[1].x - placedPoly.points[0].x, placedPoly.points[1].y - placedPoly.points[0].y),
                    c.size, 1e-12);
    }
    // The axis cases land exactly, without rounding noise.
    state.drawing = Drawing();
    commands.feed(insertCommand(path, "10,20 1 90"));
    EXPECT_EQ(state.drawing.entities()[1].points[1].x, 10);
    EXPECT_EQ(state.drawing.entities()[1].points[1].y, 22);
}

TEST_F(Insert, LayersComeWithTheFileExistingOnesKeepTheirColour)
{
    const QByteArray layers = groups({{0, "TABLE"}, {2, "LAYER"}, {70, "3"},
                                      {0, "LAYER"}, {2, toCp932("壁")}, {70, "0"}, {62, "1"}, {6, "CONTINUOUS"},
                                      {0, "LAYER"}, {2, "NEW"}, {70, "0"}, {62, "-5"}, {6, "CONTINUOUS"},
                                      {0, "ENDTAB"}});
    const QByteArray entities = groups({{0, "LINE"}, {8, toCp932("壁")}, {62, "3"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}})
                                + groups({{0, "LINE"}, {8, "new"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}})
                                + groups({{0, "CIRCLE"}, {8, "UNLISTED"}, {62, "256"}, {10, "0"}, {20, "0"}, {40, "2"}});
    const QString path = writeFile("layers.dxf", dxfFile(layers, entities));
    state.drawing.setLayerColor(state.drawing.addLayer("壁"), 4);

    commands.feed(insertCommand(path));

    const Drawing& d = state.drawing;
    ASSERT_EQ(d.entities().size(), 3) << state.commandLog.join('\n').toStdString();
    EXPECT_EQ(d.layers()[d.layerIndex("壁")].color, 4);     // the drawing's definition wins
    EXPECT_EQ(d.layers()[d.layerIndex("NEW")].color, 5);    // created, colour of the file (switched off there)
    EXPECT_EQ(d.layers()[d.layerIndex("UNLISTED")].color, 7);  // named by an entity only
    EXPECT_EQ(d.entities()[0].color, 3);
    EXPECT_EQ(d.effectiveColor(d.entities()[1]), 5);
    EXPECT_EQ(d.effectiveColor(d.entities()[2]), 7);
    EXPECT_EQ(d.layers().size(), 4);
}

TEST_F(Insert, AStyleTheDrawingHasIsNotOverridden)
{
    state.drawing.addStyle({"STANDARD", "romans.shx", "", 0, 0.7, 15});
    const QString path = writeFile("styles.dxf", dxfFile(styleTable("Standard", "txt.shx") + styleTable("Note", "simplex.shx"), {}));

    commands.feed(insertCommand(path));

    const QList<TextStyle>& styles = state.drawing.styles();
    ASSERT_EQ(styles.size(), 2) << state.commandLog.join('\n').toStdString();
    EXPECT_EQ(styles[0], (TextStyle{"STANDARD", "romans.shx", "", 0, 0.7, 15}));
    EXPECT_EQ(styles[1].name, "Note");
    EXPECT_EQ(styles[1].fontFile, "simplex.shx");
    EXPECT_EQ(styles[1].bigFontFile, "bigfont.shx");
}

TEST_F(Insert, UUndoesTheWholeInsertionAtOnce)
{
    state.undo.aboutToChange(state.drawing);
    state.drawing.addEntity(lineEntity({0, 0}, {1, 1}));
    const Drawing before = state.drawing;
    const QString path = writeFile("temp.dxf", tableFile() /* two texts */);
    const QString styled = writeFile("styled.dxf", dxfFile(styleTable("Other", "x.shx"),
                                                           groups({{0, "LINE"}, {8, "FRESH"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}})));
    commands.feed(insertCommand(path));
    commands.feed(insertCommand(styled));
    ASSERT_EQ(state.drawing.entities().size(), 4);

    commands.feed("U\r");
    EXPECT_EQ(state.drawing.entities().size(), 3);
    EXPECT_EQ(state.drawing.layerIndex("FRESH"), -1);  // the layer and the style it brought went with it
    EXPECT_TRUE(state.drawing.styles().size() == 1 && state.drawing.styles()[0].name == "Standard");
    commands.feed("U\r");
    EXPECT_EQ(state.drawing, before);
    commands.feed("U\r");
    EXPECT_TRUE(state.drawing.entities().isEmpty());  // the step before the insertions
}

TEST_F(Insert, RefusedAnswersAreAnErrorLineAndChangeNothing)
{
    const QString good = writeFile("temp.dxf", tableFile());
    const QString broken = writeFile("broken.dxf", tableFile().left(300));
    const QString fifo = dir.filePath("pipe.dxf");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        QString command, error;
    };
    const Case cases[] = {
        {"-INSERT \"" + good + "\"\r0,0 1.0 0.0\r", "INSERT: 分解挿入だけができます"},
        {insertCommand(dir.filePath("missing.dxf")), "ファイルが見つかりません: " + dir.filePath("missing.dxf")},
        {insertCommand(dir.path()), "ファイルを開けません: " + dir.path()},
        {insertCommand("/dev/zero"), "ファイルを開けません: /dev/zero"},  // would never end
        {insertCommand(fifo), "ファイルを開けません: " + fifo},            // would block for ever
        {insertCommand(broken), "DXF ファイルとして読めません: " + broken},
        {"-INSERT \"*\"\r0,0 1 0\r", "INSERT: ファイル名がありません"},
        {insertCommand(good, "abc 1.0 0.0"), "INSERT: 点が無効です: abc"},
        {insertCommand(good, "1,2,3,4 1.0 0.0"), "INSERT: 点が無効です: 1,2,3,4"},
        {insertCommand(good, "1;2 1.0 0.0"), "INSERT: 点が無効です: 1;2"},
        {insertCommand(good, "0,0 x 0.0"), "INSERT: 尺度が無効です (0 以外の数値): x"},
        {insertCommand(good, "0,0 0 0.0"), "INSERT: 尺度が無効です (0 以外の数値): 0"},
        {insertCommand(good, "0,0 1.0 1e999"), "INSERT: 角度が無効です: 1e999"},
        {insertCommand(good, "0,0 1.0 nan"), "INSERT: 角度が無効です: nan"},
    };
    state.drawing.addEntity(lineEntity({0, 0}, {1, 1}));
    const Drawing before = state.drawing;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        commands.feed(c.command);
        EXPECT_TRUE(logged(c.error)) << state.commandLog.join('\n').toStdString();
        EXPECT_EQ(state.drawing, before);
        EXPECT_EQ(state.undo.steps(), 0);
        EXPECT_FALSE(commands.asking());
    }
    // Escape in the middle drops the command; the next one works.
    commands.feed("-INSERT \"*" + good + "\"\r0,0 2\x1b");
    EXPECT_EQ(state.drawing, before);
    commands.feed(insertCommand(good));
    EXPECT_EQ(state.drawing.entities().size(), 3);
}

TEST_F(Insert, HostileFilesArriveCutToSizeOrChangeNothing)
{
    for (const HostileFile& f : hostileFiles()) {
        SCOPED_TRACE(f.what);
        state = HostState();
        const QString path = writeFile("hostile.dxf", f.bytes);
        QElapsedTimer clock;
        clock.start();
        commands.feed(insertCommand(path, "100,100 2 45"));
        drawingExtents(state.drawing);  // lays every text out, as the view does
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_FALSE(commands.asking());
        EXPECT_EQ(state.drawing.entities().size(), f.readable ? 1 : 0) << state.commandLog.join('\n').toStdString();
        EXPECT_EQ(state.undo.steps(), f.readable ? 1 : 0);
        if (!f.readable) EXPECT_TRUE(logged("DXF ファイルとして読めません: " + path));
    }
}
