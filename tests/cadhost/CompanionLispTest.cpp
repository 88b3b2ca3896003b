// The companion commands of qvrise.lsp run by the host's interpreter without
// a window: a small drawing, the command with its picks and typed answers,
// the resulting entities, one undo step that restores the drawing, and
// Escape at a prompt leaving the drawing as it was.
#include "tests/support/QtTestSupport.h"
#include "cadhost/AutomationBus.h"
#include "cadhost/CommandInterpreter.h"
#include "cadhost/DrawingExtents.h"
#include "cadhost/TextGeometry.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// As the build puts it beside the executable (code page 932).
const QString kCompanion = QStringLiteral(MIRTEX_BIN_DIR "/qvrise.lsp");

class NoWindow : public HostUi {
public:
    quint64 applicationWindowId() const override { return 0; }
    quint64 drawingWindowId() const override { return 0; }
    int windowState() const override { return 1; }
    void setWindowState(int) override {}
    void startPick(const QString&, std::optional<QPointF>, std::function<void(std::optional<QPointF>)> done) override
    {
        done(std::nullopt);
    }
    void sendCommand(const QString&) override {}
    void refresh() override {}
    void openDrawing(const QString&) override {}
};

class Companion : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QApplication>(); }
    void SetUp() override
    {
        lisp::HostLisp& lisp = commands.lisp();
        lisp.objects = [this](const QString& path, const QString& kind, const QString& member, const QVariantList& args) {
            return bus.callInProcess(path, kind, member, args);
        };
        // Each prompt takes the next answer: "x,y" (a pick) or typed text;
        // "ESC" or no answer left is Escape.
        lisp.hooks.ask = [this](const QString& prompt, bool, std::optional<QPointF>) -> std::optional<lisp::PromptAnswer> {
            prompts << prompt;
            if (answers.isEmpty() || answers.first() == "ESC") return std::nullopt;
            return lisp::PromptAnswer{std::nullopt, answers.takeFirst()};
        };
        lisp.hooks.extent = [](const Entity& e) -> std::optional<QRectF> { return entityExtents(e); };
        lisp.hooks.clipboardText = [this] { return clipboard; };
        lisp.hooks.setClipboardText = [this](const QString& t) { clipboard = t; };
        type("(load \"" + kCompanion + "\")");
        EXPECT_FALSE(state.commandLog.join('\n').contains("; error")) << state.commandLog.join('\n').toStdString();
        state.undo = UndoStack();
    }
    QStringList type(const QString& line)
    {
        const qsizetype before = state.commandLog.size();
        commands.feed(line + "\r");
        return state.commandLog.mid(before);
    }
    Entity text(const QString& s, double x, double y, double h, double widthFactor = 1.0)
    {
        Entity e;
        e.type = EntityType::Text;
        e.text = s;
        e.insertion = e.alignmentPoint = QPointF(x, y);
        e.height = h;
        e.widthFactor = widthFactor;
        return e;
    }
    Entity line(double x1, double y1, double x2, double y2)
    {
        Entity e;
        e.type = EntityType::Line;
        e.points = {Vertex{x1, y1, 0}, Vertex{x2, y2, 0}};
        return e;
    }
    QList<Entity> texts() const
    {
        QList<Entity> out;
        for (const Entity& e : state.drawing.entities())
            if (e.type == EntityType::Text) out << e;
        return out;
    }
    // The command run, then undone: the drawing must be exactly as before.
    void expectUndoRestores(const QList<Entity>& before)
    {
        type("U");
        EXPECT_EQ(state.drawing.entities(), before);
    }
    // Escape at the given prompt (0-based) leaves the drawing unchanged and the error handler quiet.
    void expectEscapeAtPromptChangesNothing(const QString& command, QStringList answersBefore)
    {
        const QList<Entity> before = state.drawing.entities();
        const QString clip = clipboard;
        answers = answersBefore << "ESC";
        const QStringList log = type(command);
        EXPECT_EQ(state.drawing.entities(), before);
        EXPECT_EQ(clipboard, clip);
        EXPECT_FALSE(log.join('\n').contains("error")) << log.join('\n').toStdString();
    }

    HostState state;
    NoWindow ui;
    CommandInterpreter commands{state};
    AutomationBus bus{state, ui, QDBusConnection(QString())};
    QStringList answers, prompts;
    QString clipboard;
};

TEST_F(Companion, QvriseGivesTheNewHeightAndKeepsTheWidth)
{
    state.drawing.addEntity(text("居間", 0, 0, 2.0));
    state.drawing.addEntity(text("W900×H2100", 0, 10, 3.0, 0.8));
    state.drawing.addEntity(text("台所", 0, 20, 4.0));
    state.drawing.addEntity(line(0, -5, 50, -5));  // not a text: ignored
    const QList<Entity> before = state.drawing.entities();
    QList<double> widthsBefore;
    for (const Entity& e : texts()) widthsBefore << textBounds(e).width();

    answers = {"ALL", ""};  // Enter takes the median height, 3
    QStringList log = type("QVRISE");
    EXPECT_TRUE(prompts.contains("\n新しい文字高さ <3.000>: ")) << prompts.join('|').toStdString();
    EXPECT_TRUE(log.join('\n').contains("3 個の TEXT の高さを 3.000 にしました。")) << log.join('\n').toStdString();
    const QList<Entity> after = texts();
    ASSERT_EQ(after.size(), 3);
    for (qsizetype i = 0; i < after.size(); ++i) {
        EXPECT_DOUBLE_EQ(after[i].height, 3.0);
        EXPECT_EQ(after[i].insertion, before[i].insertion);
        EXPECT_NEAR(textBounds(after[i]).width(), widthsBefore[i], widthsBefore[i] * 0.02) << i;
    }
    EXPECT_DOUBLE_EQ(after[0].widthFactor, 2.0 / 3.0);
    EXPECT_EQ(state.drawing.entities()[3], before[3]);
    expectUndoRestores(before);

    answers = {"-1,-1", "100,100", "5"};  // a window, then a typed height
    type("QVRISE");
    for (const Entity& e : texts()) EXPECT_DOUBLE_EQ(e.height, 5.0);
    expectUndoRestores(before);

    expectEscapeAtPromptChangesNothing("QVRISE", {});
    expectEscapeAtPromptChangesNothing("QVRISE", {"ALL"});
}

TEST_F(Companion, QvsweepDeletesOnlyTheStrokesInsideTexts)
{
    state.drawing.addEntity(text("PS", 0, 0, 10.0));
    state.drawing.addEntity(text("ABCDEFGHIJ", 0, 40, 2.0));
    const quint64 inLine = state.drawing.addEntity(line(2, 2, 8, 8));
    Entity poly;
    poly.type = EntityType::Polyline;
    poly.points = {Vertex{1, 1, 0}, Vertex{4, 9, 0}, Vertex{6, 1, 0}};
    const quint64 inPoly = state.drawing.addEntity(poly);
    Entity circle;
    circle.type = EntityType::Circle;
    circle.points = {Vertex{5, 5, 0}};
    circle.radius = 2;
    const quint64 inCircle = state.drawing.addEntity(circle);
    state.drawing.addEntity(line(0, -3, 100, -3));   // below the text: kept
    circle.radius = 20;
    state.drawing.addEntity(circle);                  // around the text: kept
    state.drawing.addEntity(line(50, 50, 55, 55));    // elsewhere: kept
    state.drawing.addEntity(line(0.5, 41, 10, 41));   // inside the long text but longer than 1.5 heights: kept
    const QList<Entity> before = state.drawing.entities();

    answers = {"ALL"};
    const QStringList log = type("QVSWEEP");
    EXPECT_TRUE(log.join('\n').contains("3 個の図形を削除しました。")) << log.join('\n').toStdString();
    QList<Entity> expected = before;
    expected.removeIf([&](const Entity& e) { return e.handle == inLine || e.handle == inPoly || e.handle == inCircle; });
    EXPECT_EQ(state.drawing.entities(), expected);
    expectUndoRestores(before);

    // Strokes whose text is not selected stay.
    answers = {"-1,-1", "9,9"};
    type("QVSWEEP");
    EXPECT_EQ(state.drawing.entities(), before);
    expectEscapeAtPromptChangesNothing("QVSWEEP", {});
}

TEST_F(Companion, QvruleDrawsAClosedGridAroundTheTexts)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            state.drawing.addEntity(text(QStringLiteral("%1%2").arg(QChar('A' + r)).arg(c + 1), c * 20.0, -r * 10.0, 2.5));
    state.drawing.addEntity(text("大きな見出し", 0, 30, 8.0));  // far from the median height: no part of the table
    const QList<Entity> before = state.drawing.entities();
    answers = {"ALL"};
    const QStringList log = type("QVRULE");
    EXPECT_TRUE(log.join('\n').contains("3 行 4 列の罫線 (横 4 本、縦 5 本) を作成しました。")) << log.join('\n').toStdString();

    QList<double> ys, xs;
    double left = 0, right = 0, top = 0, bottom = 0;
    for (const Entity& e : state.drawing.entities()) {
        if (e.type != EntityType::Line) continue;
        if (e.points[0].y == e.points[1].y) {
            ys << e.points[0].y;
            left = e.points[0].x;
            right = e.points[1].x;
        } else {
            xs << e.points[0].x;
            top = e.points[0].y;
            bottom = e.points[1].y;
        }
    }
    ASSERT_EQ(ys.size(), 4);
    ASSERT_EQ(xs.size(), 5);
    std::sort(ys.begin(), ys.end(), std::greater<>());
    std::sort(xs.begin(), xs.end());
    // Closed: the horizontals run from the first vertical to the last, the verticals from top to bottom.
    EXPECT_DOUBLE_EQ(left, xs.first());
    EXPECT_DOUBLE_EQ(right, xs.last());
    EXPECT_DOUBLE_EQ(top, ys.first());
    EXPECT_DOUBLE_EQ(bottom, ys.last());
    for (const Entity& e : state.drawing.entities()) {
        if (e.type != EntityType::Line) continue;
        if (e.points[0].y == e.points[1].y) {
            EXPECT_DOUBLE_EQ(std::min(e.points[0].x, e.points[1].x), xs.first());
            EXPECT_DOUBLE_EQ(std::max(e.points[0].x, e.points[1].x), xs.last());
        }
    }
    // Each table text in its own cell, at least half a height clear of the lines.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const QRectF box = textBounds(before[r * 4 + c]);
            EXPECT_GE(box.left() - xs[c], 1.25 - 1e-9) << r << c;
            EXPECT_GE(xs[c + 1] - box.right(), 1.25 - 1e-9) << r << c;
            EXPECT_GE(ys[r] - box.bottom(), 1.25 - 1e-9) << r << c;
            EXPECT_GE(box.top() - ys[r + 1], 1.25 - 1e-9) << r << c;
        }
    }
    expectUndoRestores(before);
    expectEscapeAtPromptChangesNothing("QVRULE", {});
}

TEST_F(Companion, QvspanWidensAColumnAndKeepsTheGridClosed)
{
    // Two columns 0..30..60, one row 0..-10.
    for (double y : {0.0, -10.0}) state.drawing.addEntity(line(0, y, 60, y));
    for (double x : {0.0, 30.0, 60.0}) state.drawing.addEntity(line(x, 0, x, -10));
    state.drawing.addEntity(line(100, 0, 100, -10));  // not selected
    const QList<Entity> before = state.drawing.entities();

    answers = {"-1,1", "61,-11", "60.5,-5", "80,-3"};  // the window, the right side, its new place
    const QStringList log = type("QVSPAN");
    EXPECT_TRUE(log.join('\n').contains("罫線を 20.000 移動し、2 本の罫線を合わせました。")) << log.join('\n').toStdString();
    QList<Entity> expected = before;
    expected[0].points[1].x = 80;  // both horizontals now end on the moved line
    expected[1].points[1].x = 80;
    expected[4].points[0].x = expected[4].points[1].x = 80;
    EXPECT_EQ(state.drawing.entities(), expected);
    expectUndoRestores(before);

    // An inner line moves alone: nothing ends on it.
    answers = {"-1,1", "61,-11", "30,-2", "25,-2"};
    type("QVSPAN");
    expected = before;
    expected[3].points[0].x = expected[3].points[1].x = 25;
    EXPECT_EQ(state.drawing.entities(), expected);
    expectUndoRestores(before);

    expectEscapeAtPromptChangesNothing("QVSPAN", {"ALL"});
    expectEscapeAtPromptChangesNothing("QVSPAN", {"ALL", "60,-5"});
}

TEST_F(Companion, QvalignPlacesTextsInTheirCells)
{
    // Two cells side by side, 0..30 and 30..60 wide, -10..0 high; texts off-centre in them.
    for (double y : {0.0, -10.0}) state.drawing.addEntity(line(0, y, 60, y));
    for (double x : {0.0, 30.0, 60.0}) state.drawing.addEntity(line(x, 0, x, -10));
    state.drawing.addEntity(text("左", 2, -9, 2.5));
    state.drawing.addEntity(text("ABC", 40, -4, 2.5));
    state.drawing.addEntity(text("外", 100, 100, 2.5));  // in no cell: left alone
    const QList<Entity> before = state.drawing.entities();

    answers = {"ALL", ""};  // Enter: Center
    QStringList log = type("QVALIGN");
    EXPECT_TRUE(log.join('\n').contains("2 個の TEXT を罫線内に配置しました。")) << log.join('\n').toStdString();
    const QList<Entity> centred = texts();
    const double centres[] = {15, 45};
    // Placed by the CAD's justification (middle centre at the cell's centre); the
    // drawn letters then lie there up to the font's side bearings (a tenth of the height).
    const double bearing = 0.25;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(centred[i].alignmentPoint, QPointF(centres[i], -5)) << i;
        EXPECT_EQ(centred[i].hJust, 1) << i;
        EXPECT_EQ(centred[i].vJust, 2) << i;
        const QRectF box = textBounds(centred[i]);
        EXPECT_NEAR(box.center().x(), centres[i], bearing) << i;
        EXPECT_NEAR((box.top() + box.bottom()) / 2, -5, bearing) << i;
    }
    EXPECT_EQ(centred[2], before[7]);
    expectUndoRestores(before);

    answers = {"ALL", "r"};  // a keyword by its start, any case
    type("QVALIGN");
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(textBounds(texts()[i]).right(), 30.0 * (i + 1) - 1.25, bearing) << i;
    expectUndoRestores(before);
    answers = {"ALL", "Left"};
    type("QVALIGN");
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(textBounds(texts()[i]).left(), 30.0 * i + 1.25, bearing) << i;
    expectUndoRestores(before);

    expectEscapeAtPromptChangesNothing("QVALIGN", {"ALL"});
}

TEST_F(Companion, QvcopyPutsTheTableInReadingOrder)
{
    // Two rows, given out of order; the second row's texts are a little uneven.
    state.drawing.addEntity(text("B2", 20, 0.3, 2.5));
    state.drawing.addEntity(text("A1", 0, 10, 2.5));
    state.drawing.addEntity(text("A2", 0, 0, 2.5));
    state.drawing.addEntity(text("B1", 20, 10, 2.5));
    state.drawing.addEntity(text("C1", 40, 9.2, 2.5));
    const QList<Entity> before = state.drawing.entities();
    answers = {"ALL"};
    const QStringList log = type("QVCOPY");
    EXPECT_EQ(clipboard, QStringLiteral("A1\tB1\tC1\r\nA2\tB2\r\n"));
    EXPECT_TRUE(log.join('\n').contains("5 個の TEXT を 2 行でクリップボードにコピーしました。")) << log.join('\n').toStdString();
    EXPECT_EQ(state.drawing.entities(), before);

    clipboard = "unchanged";
    answers = {"-1,-1", "30,20"};  // a window around A1, B1, A2, B2 only
    type("QVCOPY");
    EXPECT_EQ(clipboard, QStringLiteral("A1\tB1\r\nA2\tB2\r\n"));
    expectEscapeAtPromptChangesNothing("QVCOPY", {});
}

TEST_F(Companion, QvdropMakesOneTextPerCell)
{
    clipboard = QStringLiteral("No\tName\tQty\r\n1\tLonger name\t20\r\n2\t\t5\r\n");
    answers = {"100,200", ""};  // start point, default height 2.5
    const QStringList log = type("QVDROP");
    EXPECT_TRUE(log.join('\n').contains("8 個の TEXT を作成しました。")) << log.join('\n').toStdString();
    const QList<Entity> made = texts();
    ASSERT_EQ(made.size(), 8);
    QHash<QString, Entity> byText;
    for (const Entity& e : made) {
        byText.insert(e.text, e);
        EXPECT_DOUBLE_EQ(e.height, 2.5);
    }
    EXPECT_EQ(byText["No"].insertion, QPointF(100, 200));
    EXPECT_EQ(byText["1"].insertion, QPointF(100, 196));
    EXPECT_EQ(byText["2"].insertion, QPointF(100, 192));
    // Column 2 starts two heights right of the widest text of column 1.
    const double widest1 = std::max({textBounds(byText["No"]).width(), textBounds(byText["1"]).width(),
                                     textBounds(byText["2"]).width()});
    EXPECT_NEAR(byText["Name"].insertion.x(), 100 + widest1 + 5.0, 1e-6);
    const double widest2 = std::max(textBounds(byText["Name"]).width(), textBounds(byText["Longer name"]).width());
    EXPECT_NEAR(byText["Qty"].insertion.x(), byText["Name"].insertion.x() + widest2 + 5.0, 1e-6);
    EXPECT_EQ(byText["5"].insertion, QPointF(byText["Qty"].insertion.x(), 192));
    expectUndoRestores({});

    expectEscapeAtPromptChangesNothing("QVDROP", {});
    expectEscapeAtPromptChangesNothing("QVDROP", {"0,0"});
    clipboard.clear();
    EXPECT_TRUE(type("QVDROP").join('\n').contains("クリップボードに文字列がありません。"));
}

TEST_F(Companion, CopyThenDropRebuildsTheTable)
{
    state.drawing.addEntity(text("X", 0, 10, 2.0));
    state.drawing.addEntity(text("Y", 30, 10, 2.0));
    state.drawing.addEntity(text("Z", 0, 5, 2.0));
    answers = {"ALL"};
    type("QVCOPY");
    const QString copied = clipboard;
    answers = {"0,-100", "2"};
    type("QVDROP");
    answers = {"-10,-120", "100,-90"};
    type("QVCOPY");
    EXPECT_EQ(clipboard, copied);
}

}  // namespace

namespace {

// Functions of AutoLISP and Visual LISP as documented for AutoCAD; qvrise.lsp
// is meant for real CADs, so nothing else may be called.
const char* const kDocumentedFunctions[] = {
    // AutoLISP
    "defun", "setq", "if", "cond", "while", "repeat", "foreach", "progn", "lambda", "and", "or", "not", "null",
    "quote", "function", "apply", "mapcar", "list", "cons", "car", "cdr", "cadr", "caddr", "cadddr", "cddr", "nth",
    "length", "append", "reverse", "assoc", "subst", "member", "last", "eq", "equal", "=", "/=", "<", ">", "<=",
    ">=", "+", "-", "*", "/", "1+", "1-", "abs", "min", "max", "rem", "fix", "float", "sqrt", "atan", "sin", "cos",
    "distance", "angle", "polar", "rtos", "itoa", "atoi", "atof", "strcat", "substr", "strlen", "strcase",
    "princ", "prin1", "print", "terpri", "ssget", "sslength", "ssname", "entget", "entmod", "entmake", "entdel",
    "entupd", "entlast", "initget", "getpoint", "getcorner", "getreal", "getdist", "getint", "getstring",
    "getkword", "type", "boundp", "numberp", "listp", "zerop", "minusp",
    "t",  // the always-true clause of cond
    // Visual LISP
    "vl-load-com", "vl-string-search", "vl-string-subst", "vl-string-trim", "vl-princ-to-string",
    "vlax-get-acad-object", "vlax-ename->vla-object", "vlax-create-object", "vlax-release-object",
    "vlax-get-property", "vlax-put-property", "vlax-invoke-method", "vlax-safearray->list", "vlax-variant-value",
    "vlax-3d-point", "vla-get-activedocument", "vla-startundomark", "vla-endundomark", "vla-getboundingbox",
    "vla-get-textstring", "vla-put-textstring", "vla-get-height", "vla-put-height", "vla-delete"};

// The names in call position: the first symbol of every list that is not a
// parameter list (after defun NAME or lambda), with strings and comments gone.
QSet<QString> calledNames(QString source)
{
    source.remove(QRegularExpression(R"("(\\.|[^"\\])*")"));
    source.remove(QRegularExpression(";[^\n]*"));
    source.remove(QRegularExpression(R"(\(\s*defun\s+[^\s()]+\s*\([^()]*\))", QRegularExpression::CaseInsensitiveOption));
    source.replace(QRegularExpression(R"(\(\s*lambda\s*\([^()]*\))", QRegularExpression::CaseInsensitiveOption), "(");
    QSet<QString> names;
    QRegularExpressionMatchIterator it = QRegularExpression(R"(\(\s*([^\s()'.]+))").globalMatch(source);
    while (it.hasNext()) {
        const QString name = it.next().captured(1).toLower();
        bool number = false;
        name.toDouble(&number);
        if (!number) names.insert(name);
    }
    return names;
}

TEST(CompanionFile, CallsOnlyDocumentedFunctionsAndItsOwn)
{
    QFile file(QStringLiteral(MIRTEX_SOURCE_DIR "/output/lisp/qvrise.lsp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString source = QString::fromUtf8(file.readAll());
    QSet<QString> own;
    QRegularExpressionMatchIterator defs =
        QRegularExpression(R"(\(defun\s+([^\s()]+))", QRegularExpression::CaseInsensitiveOption).globalMatch(source);
    while (defs.hasNext()) own.insert(defs.next().captured(1).toLower());
    for (const char* command : {"c:qvrise", "c:qvsweep", "c:qvrule", "c:qvspan", "c:qvalign", "c:qvcopy", "c:qvdrop"}) EXPECT_TRUE(own.contains(command)) << command;
    // The detector itself: a host-only call is caught, a parameter list is not taken for a call.
    EXPECT_TRUE(calledNames("(defun f (a b) (hostonly a))").contains("hostonly"));
    EXPECT_FALSE(calledNames("(defun f (a b) (car a))").contains("a"));

    QSet<QString> allowed(std::begin(kDocumentedFunctions), std::end(kDocumentedFunctions));
    for (const QString& name : calledNames(source))
        EXPECT_TRUE(allowed.contains(name) || own.contains(name)) << name.toStdString();
}

}  // namespace
