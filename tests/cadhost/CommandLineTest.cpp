#include "tests/support/QtTestSupport.h"
#include "cadhost/CommandInterpreter.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

const QString kEscape(QChar(0x1b));

class CommandLine : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // ZOOM measures text: fonts need a GUI application (offscreen under ctest).
        testApplication<QGuiApplication>();
    }
    void SetUp() override
    {
        commands.onChange = [this] { ++changes; };
        commands.onCancel = [this] { ++cancels; };
    }
    bool logged(const QString& line) const { return state.commandLog.contains(line); }

    HostState state;
    CommandInterpreter commands{state};
    int changes = 0, cancels = 0;
};

Entity line(QPointF a, QPointF b)
{
    Entity e;
    e.type = EntityType::Line;
    e.points = {{a.x(), a.y(), 0}, {b.x(), b.y(), 0}};
    return e;
}

}  // namespace

TEST_F(CommandLine, SetvarSetsTheWritableVariablesOnly)
{
    struct Case {
        QString line, variable;
        int expected;  // the variable's value afterwards
        bool refused;
    };
    const Case cases[] = {
        {"SETVAR OSMODE 4133", "OSMODE", 4133, false},
        {"_setvar filedia 0", "FILEDIA", 0, false},  // names ignore case, "_" is dropped
        {"SETVAR   CMDECHO   0  ", "CMDECHO", 0, false},
        {"SETVAR OSMODE many", "OSMODE", 4133, true},
        {"SETVAR OSMODE", "OSMODE", 4133, true},
        {"SETVAR OSMODE 1 2", "OSMODE", 4133, true},
        {"SETVAR VIEWSIZE 5", "VIEWSIZE", 0, true},  // view variables are not system integers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const qsizetype before = state.commandLog.size();
        commands.feed(c.line + "\r");
        EXPECT_EQ(state.commandLog.value(before), "コマンド: " + c.line.trimmed());
        EXPECT_EQ(state.intVariables.value(c.variable), c.expected);
        EXPECT_EQ(state.commandLog.size() - before, c.refused ? 2 : 1);
        if (c.refused) EXPECT_TRUE(state.commandLog.last().startsWith("SETVAR: 無効な値です:"));
    }
    EXPECT_FALSE(state.intVariables.contains("VIEWSIZE"));
}

TEST_F(CommandLine, PiecesMakeOneLineEscapeDropsItEmptyLinesDoNothing)
{
    commands.feed("SETV");
    commands.feed("AR OSMODE 3");
    EXPECT_EQ(state.intVariables["OSMODE"], 0);  // not ended yet
    commands.feed("\n");
    EXPECT_EQ(state.intVariables["OSMODE"], 3);

    commands.feed("SETVAR OSMODE 9" + kEscape + "\r");
    EXPECT_EQ(state.intVariables["OSMODE"], 3);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(state.commandLog.last(), "*キャンセル*");

    const qsizetype before = state.commandLog.size();
    commands.feed("\r\r  \r");
    EXPECT_EQ(state.commandLog.size(), before);
}

TEST_F(CommandLine, UnknownCommandsAreReportedAndChangeNothing)
{
    state.drawing.addEntity(line({0, 0}, {1, 1}));
    const Drawing before = state.drawing;
    commands.feed("FOO bar\r");
    EXPECT_TRUE(logged("不明なコマンド: FOO bar"));
    EXPECT_EQ(state.drawing, before);
    EXPECT_EQ(changes, 0);
}

TEST_F(CommandLine, UUndoesOneStepAtATime)
{
    state.undo.aboutToChange(state.drawing);
    state.drawing.addEntity(line({0, 0}, {1, 1}));
    state.undo.aboutToChange(state.drawing);
    state.drawing.addEntity(line({0, 0}, {2, 2}));
    commands.feed("U\r");
    EXPECT_EQ(state.drawing.entities().size(), 1);
    commands.feed("u\r");
    EXPECT_TRUE(state.drawing.entities().isEmpty());
    EXPECT_EQ(changes, 2);
    commands.feed("U\r");
    EXPECT_EQ(state.commandLog.last(), "元に戻す操作はありません");
}

TEST_F(CommandLine, ZoomExtentsShowsTheWholeDrawingAgain)
{
    state.view.screen = {400, 300};
    state.drawing.addEntity(line({1000, 2000}, {1300, 2100}));
    commands.feed("ZOOM E\r");
    EXPECT_TRUE(state.viewFollowsExtents);
    EXPECT_EQ(state.view.center, QPointF(1150, 2050));
    EXPECT_DOUBLE_EQ(state.view.viewSize, 300 * 300.0 / 400 / 0.9);

    state.viewFollowsExtents = false;
    state.view.viewSize = 1;
    commands.feed("_zoom extents\r");
    EXPECT_DOUBLE_EQ(state.view.viewSize, 250);

    state.viewFollowsExtents = false;
    state.view.viewSize = 1;
    commands.feed("ZOOM W\r");
    EXPECT_EQ(state.view.viewSize, 1);
    EXPECT_FALSE(state.viewFollowsExtents);
    EXPECT_TRUE(state.commandLog.last().startsWith("ZOOM:"));
}

TEST_F(CommandLine, ABlankOutsideQuotesEndsAnAnswerAndTheNameOfACommandThatAsks)
{
    QStringList answers;
    commands.addCommand(
        "PAIR",
        [this, &answers](HostState&, const QString&) {
            commands.ask("1:", [this, &answers](HostState&, const QString& a) {
                answers << a;
                commands.ask("2:", [&answers](HostState&, const QString& b) { answers << b; });
            });
        },
        CommandInterpreter::Input::Prompts);

    commands.feed("pair \"a b\"  c\r");  // the second blank answers the second question empty
    EXPECT_EQ(answers, (QStringList{"\"a b\"", ""}));
    EXPECT_TRUE(logged("不明なコマンド: c"));  // what is left is the next command line
    EXPECT_TRUE(logged("1: \"a b\""));         // each answer on its prompt's line
    EXPECT_TRUE(logged("2:"));

    answers.clear();
    commands.feed("-_PAIR x\ny\n");  // "-" and "_" lead the name in either order
    EXPECT_EQ(answers, (QStringList{"x", "y"}));

    // A command that takes the rest of its line keeps its blanks.
    commands.feed("SETVAR OSMODE 12\r");
    EXPECT_EQ(state.intVariables["OSMODE"], 12);
    EXPECT_FALSE(commands.asking());
}
