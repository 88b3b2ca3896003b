// The host's AutoLISP functions on the drawing and for prompts, without a
// window: entity lists, selection sets, initget and the get- functions, the
// htmlfile clipboard, undo of what they change.
#include "tests/support/QtTestSupport.h"
#include "cadhost/CommandInterpreter.h"
#include "cadhost/DrawingExtents.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

class LispDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QGuiApplication>(); }
    void SetUp() override
    {
        lisp::HostHooks& hooks = commands.lisp().hooks;
        hooks.ask = [this](const QString& prompt, bool, std::optional<QPointF>) -> std::optional<lisp::PromptAnswer> {
            prompts << prompt;
            if (answers.isEmpty() || answers.first() == "ESC") return std::nullopt;
            return lisp::PromptAnswer{std::nullopt, answers.takeFirst()};
        };
        hooks.extent = [](const Entity& e) -> std::optional<QRectF> { return entityExtents(e); };
        hooks.clipboardText = [this] { return clipboard; };
        hooks.setClipboardText = [this](const QString& t) { clipboard = t; };
        Entity l;
        l.type = EntityType::Line;
        l.layer = "罫線";
        l.points = {Vertex{0, 0, 0}, Vertex{10, 0, 0}};
        state.drawing.addLayer("罫線");
        lineHandle = state.drawing.addEntity(l);
        Entity c;
        c.type = EntityType::Circle;
        c.points = {Vertex{50, 50, 0}};
        c.radius = 5;
        c.color = 1;
        state.drawing.addEntity(c);
    }
    // The echoed value of one typed expression (or its error line).
    QString eval(const QString& expr)
    {
        const qsizetype before = state.commandLog.size();
        commands.feed(expr + "\r");
        return state.commandLog.mid(before + 1).join('\n');
    }
    // Its last line: the value after any complaints about refused answers.
    QString value(const QString& expr) { return eval(expr).split('\n').last(); }

    HostState state;
    CommandInterpreter commands{state};
    quint64 lineHandle = 0;
    QStringList answers, prompts;
    QString clipboard;
};

TEST_F(LispDrawing, SelectionSetsByModeAndFilter)
{
    const std::pair<const char*, const char*> cases[] = {
        {"(sslength (ssget \"X\"))", "2"},
        {"(sslength (ssget \"_X\" '((0 . \"LINE\"))))", "1"},
        {"(sslength (ssget \"X\" '((0 . \"CIRCLE,LINE\"))))", "2"},
        {"(sslength (ssget \"X\" '((8 . \"罫*\"))))", "1"},
        {"(sslength (ssget \"X\" '((62 . 1))))", "1"},
        {"(ssget \"X\" '((0 . \"TEXT\")))", "nil"},
        {"(sslength (ssget \"_W\" '(-1 -1) '(11 1)))", "1"},
        {"(ssget \"W\" '(-1 -1) '(9 1))", "nil"},  // the line reaches beyond the window
        {"(cdr (assoc 0 (entget (ssname (ssget \"X\" '((0 . \"CIRCLE\"))) 0))))", "\"CIRCLE\""},
        {"(ssname (ssget \"X\") 5)", "nil"},
        {"(type (ssget \"X\"))", "PICKSET"},
        {"(type (entlast))", "ENAME"},
        {"(ssget \"Q\")", "; error: bad argument type: ssget mode: \"Q\""},
    };
    for (const auto& [expr, expected] : cases) EXPECT_EQ(eval(expr), QString::fromUtf8(expected)) << expr;

    answers = {"ALL"};
    EXPECT_EQ(eval("(sslength (ssget))"), "2");
    EXPECT_EQ(prompts.last(), "オブジェクトを選択:");
    answers = {"nonsense", "40,40", "60,60"};  // not understood: asked again
    EXPECT_EQ(eval("(cdr (assoc 0 (entget (ssname (ssget) 0))))"), "\"CIRCLE\"");
    answers = {""};
    EXPECT_EQ(eval("(ssget)"), "nil");
    answers = {"ESC"};
    EXPECT_EQ(eval("(ssget)"), "; error: Function cancelled");
}

TEST_F(LispDrawing, EntityListsChangeTheDrawingAsOneUndoStep)
{
    const QList<Entity> before = state.drawing.entities();
    EXPECT_EQ(eval("(cdr (assoc 11 (entget (ssname (ssget \"X\" '((0 . \"LINE\"))) 0))))"), "(10.0 0.0 0.0)");
    eval("(progn (setq e (ssname (ssget \"X\" '((0 . \"LINE\"))) 0)) (setq d (entget e))"
         " (entmod (subst '(11 20.0 5.0 0.0) (assoc 11 d) d)) (entmod (subst '(8 . \"新\") (assoc 8 d) (entget e))))");
    const Entity* changed = state.drawing.entity(lineHandle);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->points[1], (Vertex{20, 5, 0}));
    EXPECT_EQ(changed->layer, "新");
    EXPECT_GE(state.drawing.layerIndex("罫線"), 0);
    commands.feed("U\r");
    EXPECT_EQ(state.drawing.entities(), before);

    EXPECT_EQ(eval("(cdr (assoc 1 (entget (progn (entmake '((0 . \"TEXT\") (10 1.0 2.0 0.0) (40 . 2.5) (1 . \"新しい\") (8 . \"注記\"))) (entlast)))))"),
              "\"新しい\"");
    ASSERT_EQ(state.drawing.entities().size(), 3);
    EXPECT_EQ(state.drawing.entities().last().layer, "注記");
    EXPECT_GE(state.drawing.layerIndex("注記"), 0);
    EXPECT_EQ(eval("(entmake '((0 . \"TEXT\") (10 0.0 0.0 0.0) (1 . \"no height\")))"), "nil");
    EXPECT_EQ(eval("(entmake '((0 . \"HATCH\")))"), "nil");
    EXPECT_EQ(eval("(progn (entdel (entlast)) (sslength (ssget \"X\")))"), "2");
    commands.feed("U\r");  // the deletion
    commands.feed("U\r");  // the text
    EXPECT_EQ(state.drawing.entities(), before);
    EXPECT_EQ(eval("(entget 5)"), "; error: bad argument type: lentityp 5");
}

TEST_F(LispDrawing, PromptsFollowInitget)
{
    answers = {"3,4"};
    EXPECT_EQ(eval("(getpoint \"点:\")"), "(3.0 4.0 0.0)");
    EXPECT_EQ(prompts.last(), "点:");
    answers = {"abc", "-2", "0", "2.5"};
    EXPECT_EQ(value("(progn (initget 7) (getreal \"高さ:\"))"), "2.5");
    EXPECT_EQ(prompts.size(), 5);  // asked again after each refused answer
    EXPECT_TRUE(state.commandLog.contains("正の値を入力してください。"));
    EXPECT_TRUE(state.commandLog.contains("0 以外の値を入力してください。"));
    answers = {""};
    EXPECT_EQ(eval("(getreal)"), "nil");  // the rules held for one call only
    answers = {"3,4"};
    EXPECT_EQ(eval("(getdist '(0 0) \"距離:\")"), "5.0");
    answers = {"0,0", "6,8"};
    EXPECT_EQ(eval("(getdist)"), "10.0");
    answers = {"x", "ce"};
    EXPECT_EQ(value("(progn (initget \"Left Center Right\") (getkword \"[Left/Center/Right]:\"))"), "\"Center\"");
    answers = {""};
    EXPECT_EQ(eval("(progn (initget 1 \"Yes No\") (getkword))"), "; error: Function cancelled");  // Enter refused, then no more answers
    answers = {"ほげ ふが"};
    EXPECT_EQ(eval("(getstring T \"名前:\")"), "\"ほげ ふが\"");
    answers = {"ESC"};
    EXPECT_EQ(eval("(progn (defun *error* (m) (princ (strcat \"handled: \" m))) (getint))"), "handled: Function cancelled");
}

TEST_F(LispDrawing, LineObjectsAndDelete)
{
    const QList<Entity> before = state.drawing.entities();
    EXPECT_EQ(eval("(progn (setq o (vlax-ename->vla-object (ssname (ssget \"X\" '((0 . \"LINE\"))) 0)))"
                   " (vlax-safearray->list (vlax-variant-value (vla-get-endpoint o))))"),
              "(10.0 0.0 0.0)");
    EXPECT_EQ(eval("(vla-get-layer o)"), "\"罫線\"");
    eval("(progn (vla-put-startpoint o (vlax-3d-point '(1 2))) (vla-put-color o 3) (vla-put-layer o \"0\"))");
    const Entity* line = state.drawing.entity(lineHandle);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->points[0], (Vertex{1, 2, 0}));
    EXPECT_EQ(line->color, 3);
    EXPECT_EQ(line->layer, "0");
    EXPECT_EQ(eval("(vla-put-layer o \"無い\")"), "; error: Automation Error. Key not found");
    EXPECT_EQ(eval("(vla-put-startpoint o '(1 2))"),
              "; error: lisp value has no coercion to VARIANT with this type:  (1 2)");
    commands.feed("U\r");
    EXPECT_EQ(state.drawing.entities(), before);
    eval("(vla-delete o)");
    EXPECT_FALSE(state.drawing.entity(lineHandle));
    commands.feed("U\r");
    EXPECT_EQ(state.drawing.entities(), before);
}

TEST_F(LispDrawing, HtmlfileClipboard)
{
    clipboard = "行1\t値\r\n";
    EXPECT_EQ(eval("(progn (setq h (vlax-create-object \"htmlfile\")) (setq c (vlax-get-property (vlax-get-property h 'parentWindow) 'clipboardData))"
                   " (vlax-invoke-method c 'getData \"Text\"))"),
              "\"行1\\t値\\r\\n\"");
    EXPECT_EQ(eval("(vlax-invoke-method c 'setData \"Text\" \"A\\tB\")"), ":VLAX-TRUE");
    EXPECT_EQ(clipboard, "A\tB");
    EXPECT_EQ(eval("(vlax-release-object c)"), "0");
    EXPECT_EQ(eval("(vlax-create-object \"Excel.Application\")"), "nil");
    EXPECT_EQ(eval("(vlax-get-property h 'body)"), "; error: Automation Error. Unknown name: BODY");
}

}  // namespace
