// AutoLISP on the host's command line, without a window: typed expressions,
// C: commands, output and error lines, one undo step per line or command.
#include "tests/support/QtTestSupport.h"
#include "cadhost/CommandInterpreter.h"

#include <QDBusObjectPath>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

class LispCommandLine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QGuiApplication>(); }
    void SetUp() override
    {
        // A model space that adds a text per AddText, as the host's objects do.
        commands.lisp().objects = [this](const QString&, const QString&, const QString& member, const QVariantList& args) {
            lisp::ObjectReply reply;
            if (member == "ActiveDocument") {
                reply.values << QVariant::fromValue(QDBusObjectPath("/Documents/1"));
            } else if (member == "ModelSpace") {
                reply.values << QVariant::fromValue(QDBusObjectPath("/Documents/1/ModelSpace"));
            } else if (member == "AddText") {
                Entity e;
                e.type = EntityType::Text;
                e.text = args.value(0).toString();
                state.undo.aboutToChange(state.drawing);
                const quint64 h = state.drawing.addEntity(e);
                reply.values << QVariant::fromValue(QDBusObjectPath("/Documents/1/Entities/" + QString::number(h, 16)));
            }
            return reply;
        };
    }
    // The log lines a typed line adds after its "コマンド: " echo.
    QStringList type(const QString& line)
    {
        const qsizetype before = state.commandLog.size();
        commands.feed(line + "\r");
        return state.commandLog.mid(before + 1);
    }

    HostState state;
    CommandInterpreter commands{state};
};

}  // namespace

TEST_F(LispCommandLine, TypedExpressionsEchoTheirValueAndErrorsEndTheLine)
{
    EXPECT_EQ(type("(+ 1 2)"), QStringList{"3"});
    EXPECT_EQ(type("(setq a 5) (* a 2)"), QStringList{"10"});  // every form; the last value echoed
    EXPECT_EQ(type("(princ \"abc\")"), QStringList{"abc\"abc\""});
    EXPECT_EQ(type("(princ \"one\\ntwo\\n\")(princ)"), (QStringList{"one", "two"}));
    EXPECT_EQ(type("(princ \"before\") (car 1) (princ \"never\")"),
              (QStringList{"before", "; error: bad argument type: consp 1"}));
    EXPECT_EQ(type("(unknown-fn)"), QStringList{"; error: no function definition: UNKNOWN-FN"});
    EXPECT_EQ(type("(setq b (list 1"), QStringList{"; error: malformed list on input"});
    EXPECT_EQ(type("(load \"/no/such/prog.lsp\")"), QStringList{"; error: LOAD failed: \"/no/such/prog.lsp\""});
}

TEST_F(LispCommandLine, CDefinitionsAreCommands)
{
    EXPECT_EQ(type("(defun c:Hello (/ n) (setq n 2) (princ (strcat \"hello \" (itoa n))) (princ))"), QStringList{"C:HELLO"});
    EXPECT_EQ(type("HELLO"), QStringList{"hello 2"});
    EXPECT_EQ(type("_hello"), QStringList{"hello 2"});
    EXPECT_EQ(type("(c:hello)"), QStringList{"hello 2"});
    EXPECT_EQ(type("GOODBYE"), QStringList{"不明なコマンド: GOODBYE"});
    // the built-in commands come first
    EXPECT_EQ(type("(defun c:u () (princ \"not undo\"))"), QStringList{"C:U"});
    EXPECT_EQ(type("U"), QStringList{"元に戻す操作はありません"});
}

TEST_F(LispCommandLine, ChangesOfOneLineOrCommandUndoAsOneStep)
{
    type("(defun c:three (/ ms) (setq ms (vla-get-modelspace (vla-get-activedocument (vlax-get-acad-object))))"
         " (repeat 3 (vla-addtext ms \"t\" (vlax-3d-point 0 0) 1.0)) (princ))");
    type("THREE");
    type("(c:three)");
    ASSERT_EQ(state.drawing.entities().size(), 6);
    EXPECT_EQ(state.undo.steps(), 2);
    type("U");
    EXPECT_EQ(state.drawing.entities().size(), 3);
    type("U");
    EXPECT_TRUE(state.drawing.entities().isEmpty());

    // A program that fails half-way leaves what it made as one step, too.
    type("(progn (c:three) (car 1))");
    EXPECT_EQ(state.drawing.entities().size(), 3);
    type("U");
    EXPECT_TRUE(state.drawing.entities().isEmpty());
}

TEST_F(LispCommandLine, APrintingLoopCannotFloodTheHistory)
{
    const QStringList lines = type("(repeat 12000 (princ \"x\\n\")) (princ)");
    ASSERT_EQ(lines.size(), 10001);
    EXPECT_EQ(lines.last(), "; 出力が多すぎるため 2000 行を省略しました");
    EXPECT_EQ(type("(princ (strcat \"a\" (car 1)))"), QStringList{"; error: bad argument type: consp 1"});
}
