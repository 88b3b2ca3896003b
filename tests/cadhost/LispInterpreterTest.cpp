#include "cadhost/lisp/ActiveX.h"
#include "cadhost/lisp/Reader.h"
#include "output/CodePage.h"

#include <QDBusObjectPath>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lisp;

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// The printed value (prin1) of the last form, or "; error: ..." when it failed.
QString evaluate(Interpreter& in, const QString& source, QString* output = nullptr)
{
    QString written;
    in.output = [&written](const QString& t) { written += t; };
    const Interpreter::Outcome o = in.run([&] { return in.evaluateText(source); });
    if (output) *output = written;
    return o.ok ? printValue(o.value, true) : "; error: " + o.error;
}

struct Case {
    const char* source;
    const char* expected;
};

void expectAll(Interpreter& in, std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(evaluate(in, QString::fromUtf8(c.source)), QString::fromUtf8(c.expected));
    }
}

}  // namespace

TEST(LispReader, AtomsListsStringsAndComments)
{
    Interpreter in;
    expectAll(in, {
        {"42", "42"},
        {"-7", "-7"},
        {"2147483647", "2147483647"},
        {"2147483648", "2.14748e+09"},  // beyond 32 bits an integer reads as a real
        {"1.5", "1.5"},
        {"100.0", "100.0"},
        {"1e3", "1000.0"},
        {"3.14159265", "3.14159"},
        {"'abc", "ABC"},
        {"'FooBar", "FOOBAR"},
        {"'(1 . 2)", "(1 . 2)"},
        {"'(1 (2 3) . 4)", "(1 (2 3) . 4)"},
        {"'(a 'b)", "(A (QUOTE B))"},
        {"nil", "nil"},
        {"'()", "nil"},
        {"\"a\\\\b\"", "\"a\\\\b\""},
        {"(strlen \"a\\\"b\")", "3"},
        {"(ascii \"\\n\")", "10"},
        {"(ascii \"\\r\")", "13"},
        {"(ascii \"\\t\")", "9"},
        {"(ascii \"\\e\")", "27"},
        {"(ascii \"\\101\")", "65"},
        {"(strlen \"\\0101\")", "2"},  // three octal digits at most
        {"1 ; a comment\n 2", "2"},
        {"1 ;| a block\n comment |; 3", "3"},
        {"(+ 1 ;| inside |; 2)", "3"},
        {"(", "; error: malformed list on input"},
        {"(+ 1 2))", "; error: extra right paren on input"},
        {"\"never ends", "; error: malformed string on input"},
        {"'", "; error: malformed list on input"},
        {"(1 . )", "; error: misplaced dot on input"},
        {"1e999", "; error: number out of range on input: 1e999"},
    });
}

TEST(LispReader, FileWithoutBomIsCodePage932)
{
    EXPECT_EQ(decodeLispFile(toCp932("(princ \"平面図\")")), "(princ \"平面図\")");
    EXPECT_EQ(decodeLispFile("\xEF\xBB\xBF(princ \"\xE5\xB9\xB3\")"), "(princ \"平\")");
}

TEST(LispEvaluator, Arithmetic)
{
    Interpreter in;
    expectAll(in, {
        {"(+ 1 2 3)", "6"},
        {"(+)", "0"},
        {"(- 10 4 1)", "5"},
        {"(- 5)", "-5"},
        {"(* 2 3.0)", "6.0"},
        {"(/ 7 2)", "3"},
        {"(/ -7 2)", "-3"},
        {"(/ 7 2.0)", "3.5"},
        {"(/ 7.0 2)", "3.5"},
        {"(/ 1 0)", "; error: divide by zero"},
        {"(/ 1.0 0.0)", "; error: divide by zero"},
        {"(+ 2147483647 1)", "-2147483648"},  // 32-bit integers wrap
        {"(rem 7 2)", "1"},
        {"(rem -7 2)", "-1"},
        {"(rem 7.5 2)", "1.5"},
        {"(fix 3.9)", "3"},
        {"(fix -3.9)", "-3"},
        {"(fix 1e10)", "1.0e+10"},
        {"(float 3)", "3.0"},
        {"(abs -4)", "4"},
        {"(abs -4.5)", "4.5"},
        {"(min 3 1 2)", "1"},
        {"(max 3 1.0 2)", "3.0"},
        {"(sqrt 16)", "4.0"},
        {"(sqrt -1)", "; error: function undefined for argument: -1"},
        {"(sin 0)", "0.0"},
        {"(cos 0)", "1.0"},
        {"(atan 1 1)", "0.785398"},
        {"(atan 1)", "0.785398"},
        {"(1+ 5)", "6"},
        {"(1- 5.5)", "4.5"},
        {"(expt 2 10)", "1024"},
        {"(+ 1 nil)", "; error: bad argument type: numberp: nil"},
        {"(+ 1 \"2\")", "; error: bad argument type: numberp: \"2\""},
        {"(= 1 1.0)", "T"},
        {"(= 1 2)", "nil"},
        {"(/= 1 2)", "T"},
        {"(< 1 2 3)", "T"},
        {"(< 1 3 2)", "nil"},
        {"(>= 3 3 1)", "T"},
        {"(< \"abc\" \"abd\")", "T"},
        {"(= \"a\" \"a\")", "T"},
        {"(distance '(0 0) '(3 4))", "5.0"},
        {"(distance '(0 0 0) '(0 0 2))", "2.0"},
        {"(angle '(0 0) '(0 -1))", "4.71239"},
        {"(polar '(1 1) 0 2)", "(3.0 1.0)"},
        {"(polar '(1 1 5) (/ pi 2) 2)", "(1.0 3.0 5.0)"},
    });
}

TEST(LispEvaluator, Lists)
{
    Interpreter in;
    expectAll(in, {
        {"(list 1 \"a\" 'b)", "(1 \"a\" B)"},
        {"(cons 1 '(2 3))", "(1 2 3)"},
        {"(cons 1 2)", "(1 . 2)"},
        {"(car '(1 2 3))", "1"},
        {"(cdr '(1 2 3))", "(2 3)"},
        {"(cadr '(1 2 3))", "2"},
        {"(caddr '(1 2 3))", "3"},
        {"(cddr '(1 2 3))", "(3)"},
        {"(caar '((1 2) 3))", "1"},
        {"(cdar '((1 2) 3))", "(2)"},
        {"(cadddr '(1 2 3 4))", "4"},
        {"(car nil)", "nil"},
        {"(car 5)", "; error: bad argument type: consp 5"},
        {"(nth 0 '(a b c))", "A"},
        {"(nth 2 '(a b c))", "C"},
        {"(nth 3 '(a b c))", "nil"},
        {"(length '(1 2 3))", "3"},
        {"(length nil)", "0"},
        {"(append '(1 2) '(3) nil '(4))", "(1 2 3 4)"},
        {"(reverse '(1 2 3))", "(3 2 1)"},
        {"(last '(1 2 3))", "3"},
        {"(assoc 'b '((a 1) (b 2)))", "(B 2)"},
        {"(assoc \"x\" '((\"x\" . 1)))", "(\"x\" . 1)"},
        {"(assoc 'z '((a 1)))", "nil"},
        {"(member 2 '(1 2 3))", "(2 3)"},
        {"(member 9 '(1 2 3))", "nil"},
        {"(subst 'qq 'b '(a b (c d) b))", "(A QQ (C D) QQ)"},
        {"(subst '(qq rr) '(c d) '(a b (c d) b))", "(A B (QQ RR) B)"},
        {"(mapcar '+ '(1 2 3) '(10 20))", "(11 22)"},
        {"(mapcar '(lambda (x) (* x x)) '(1 2 3))", "(1 4 9)"},
        {"(mapcar (function (lambda (x) (1+ x))) '(1 2))", "(2 3)"},
        {"(apply '+ '(1 2 3))", "6"},
        {"(apply 'max (list 1 5 2))", "5"},
        {"(eq 'a 'a)", "T"},
        {"(eq '(1) '(1))", "nil"},
        {"(equal '(1 (2 \"x\")) '(1 (2 \"x\")))", "T"},
        {"(equal 1.0 1.05 0.1)", "T"},
        {"(equal 1.0 1.2 0.1)", "nil"},
        {"(not nil)", "T"},
        {"(null '(1))", "nil"},
        {"(listp nil)", "T"},
        {"(listp 1)", "nil"},
        {"(numberp 1.5)", "T"},
        {"(numberp \"1\")", "nil"},
        {"(type 1)", "INT"},
        {"(type 1.0)", "REAL"},
        {"(type \"s\")", "STR"},
        {"(type 'a)", "SYM"},
        {"(type '(1))", "LIST"},
        {"(type car)", "SUBR"},
        {"(type nil)", "nil"},
        {"(progn (defun f () 1) (type f))", "USUBR"},
        {"(boundp 'never-set)", "nil"},
        {"(progn (setq is-set 1) (boundp 'is-set))", "T"},
    });
}

TEST(LispEvaluator, Strings)
{
    Interpreter in;
    expectAll(in, {
        {"(strcat \"ab\" \"cd\" \"\")", "\"abcd\""},
        {"(strcat)", "\"\""},
        {"(strcat \"a\" 1)", "; error: bad argument type: stringp 1"},
        {"(substr \"abcdef\" 2 3)", "\"bcd\""},
        {"(substr \"abcdef\" 4)", "\"def\""},
        {"(substr \"abc\" 9)", "\"\""},
        {"(substr \"平面図です\" 2 2)", "\"面図\""},
        {"(strlen \"abc\")", "3"},
        {"(strlen \"平面図\")", "3"},
        {"(strlen)", "0"},
        {"(strcase \"Abc\")", "\"ABC\""},
        {"(strcase \"Abc\" T)", "\"abc\""},
        {"(itoa 42)", "\"42\""},
        {"(itoa -5)", "\"-5\""},
        {"(itoa 1.5)", "; error: bad argument type: fixnump: 1.5"},
        {"(atoi \"97\")", "97"},
        {"(atoi \" 3.9\")", "3"},
        {"(atoi \"abc\")", "0"},
        {"(atof \"97.1\")", "97.1"},
        {"(atof \"3\")", "3.0"},
        {"(atof \"-1.5e2x\")", "-150.0"},
        {"(atof \"x\")", "0.0"},
        {"(rtos 17.5 2 2)", "\"17.50\""},
        {"(rtos 17.5)", "\"17.5000\""},
        {"(rtos 17.5 1 4)", "\"1.7500E+01\""},
        {"(rtos 17.5 3 2)", "\"1'-5.50\\\"\""},
        {"(rtos 17.5 4 2)", "\"1'-5 1/2\\\"\""},
        {"(rtos 17.5 5 2)", "\"17 1/2\""},
        {"(rtos -2.25 2 1)", "\"-2.3\""},
        {"(vl-string-search \"cd\" \"abcdcd\")", "2"},
        {"(vl-string-search \"cd\" \"abcdcd\" 3)", "4"},
        {"(vl-string-search \"x\" \"abc\")", "nil"},
        {"(vl-princ-to-string '(1 \"a\" 2.5))", "\"(1 a 2.5)\""},
        {"(vl-prin1-to-string \"a\")", "\"\\\"a\\\"\""},
        {"(chr 65)", "\"A\""},
        {"(vl-string-subst \"X\" \"b\" \"abcb\")", "\"aXcb\""},
        {"(vl-string-trim \" \" \"  a b  \")", "\"a b\""},
        {"(read \"(1 2)\")", "(1 2)"},
    });
}

TEST(LispEvaluator, ControlFormsAndFunctions)
{
    Interpreter in;
    expectAll(in, {
        {"(setq a 1 b 2)", "2"},
        {"(list a b)", "(1 2)"},
        {"(if (> a 0) 'pos 'neg)", "POS"},
        {"(if nil 1)", "nil"},
        {"(if)", "; error: too few arguments"},
        {"(if t 1 2 3)", "; error: too many arguments"},
        {"(cond ((= a 2) 'two) ((= a 1) 'one) (t 'other))", "ONE"},
        {"(cond ((+ a 4)))", "5"},
        {"(progn (setq i 0 s 0) (while (< i 5) (setq s (+ s i) i (1+ i))) s)", "10"},
        {"(progn (setq n 0) (repeat 4 (setq n (+ n 2))) n)", "8"},
        {"(repeat 1.5 1)", "; error: bad argument type: fixnump: 1.5"},
        {"(progn (setq acc nil) (foreach x '(1 2 3) (setq acc (cons x acc))) acc)", "(3 2 1)"},
        {"(progn (setq x 'outer) (foreach x '(1 2) x) x)", "OUTER"},  // foreach restores its variable
        {"(and 1 2)", "T"},
        {"(and 1 nil)", "nil"},
        {"(or nil 2)", "T"},
        {"(or nil nil)", "nil"},
        {"(defun sq (x) (* x x))", "SQ"},
        {"(sq 7)", "49"},
        {"(sq)", "; error: too few arguments"},
        {"(sq 1 2)", "; error: too many arguments"},
        {"(foo 1)", "; error: no function definition: FOO"},
        {"(setq notfn 5) (notfn)", "; error: no function definition: NOTFN"},
        {"((lambda (a b) (+ a b)) 3 4)", "7"},
        {"(apply '(lambda (x) (* 2 x)) '(21))", "42"},
        {"(setq t 5)", "; error: attempt to set constant: T"},
        // arguments and "/" locals are bound for the call and restored after it
        {"(setq v 'global w 'global)", "GLOBAL"},
        {"(defun loc (v / w) (setq w (list v 'local)) w)", "LOC"},
        {"(loc 1)", "(1 LOCAL)"},
        {"(list v w)", "(GLOBAL GLOBAL)"},
        // a lambda sees the locals of the function it runs in (dynamic scope)
        {"(defun scale-all (lst / factor) (setq factor 10) (mapcar '(lambda (x) (* x factor)) lst))", "SCALE-ALL"},
        {"(scale-all '(1 2 3))", "(10 20 30)"},
        {"factor", "nil"},
        {"(defun fact (n) (if (< n 2) 1 (* n (fact (1- n)))))", "FACT"},
        {"(fact 10)", "3628800"},
        // an error ends the evaluation and restores the bindings on the way out
        {"(defun bad (v) (+ v nil))", "BAD"},
        {"(bad 3)", "; error: bad argument type: numberp: nil"},
        {"v", "GLOBAL"},
        {"(eval '(+ 1 2))", "3"},
        {"(progn (set 'z 9) z)", "9"},
    });
}

TEST(LispEvaluator, OutputAndErrorHandler)
{
    Interpreter in;
    QString out;
    EXPECT_EQ(evaluate(in, "(princ \"a\\tb\") (prin1 \"q\\\"\") (print 5) (terpri) (princ)", &out), "");
    EXPECT_EQ(out, "a\tb\"q\\\"\"\n5 \n");

    // *error* receives the message instead of the standard error line
    EXPECT_EQ(evaluate(in, "(defun *error* (msg) (princ (strcat \"caught: \" msg)))", &out), "*ERROR*");
    evaluate(in, "(+ 1 nil)", &out);
    EXPECT_EQ(out, "caught: bad argument type: numberp: nil");
}

TEST(LispEvaluator, LoadEvaluatesEveryFormAndReportsMissingFiles)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("prog.lsp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(toCp932("(defun c:hello () (princ \"こんにちは\") (princ))\n(setq loaded 1)\n(c:hello)\n"));
    f.close();

    Interpreter in;
    QString out;
    const QString path = dir.filePath("prog");  // ".lsp" is added
    EXPECT_EQ(evaluate(in, "(load \"" + path + "\")", &out), "");
    EXPECT_EQ(out, "こんにちは");
    EXPECT_EQ(evaluate(in, "loaded"), "1");
    EXPECT_EQ(evaluate(in, "(load \"/no/such/file.lsp\")"), "; error: LOAD failed: \"/no/such/file.lsp\"");
    EXPECT_EQ(evaluate(in, "(load \"/no/such/file.lsp\" 'missing)"), "MISSING");
}

TEST(LispEvaluator, HostileProgramsEndInErrors)
{
    Interpreter in;
    in.stepBudget = 2'000'000;
    EXPECT_EQ(evaluate(in, "(defun down (n) (down (1+ n))) (down 0)"), "; error: internal stack limit reached");
    EXPECT_EQ(evaluate(in, "(while t)"), "; error: too many evaluation steps: the program was stopped");
    EXPECT_EQ(evaluate(in, "(repeat 2000000000)"), "; error: too many evaluation steps: the program was stopped");
    EXPECT_EQ(evaluate(in, "(set 't nil)"), "; error: attempt to set constant: T");
    EXPECT_EQ(evaluate(in, "(defun t () 1)"), "; error: attempt to set constant: T");
    EXPECT_EQ(evaluate(in, "(setq s \"x\") (while t (setq s (strcat s s)))"), "; error: string too long");
    EXPECT_EQ(evaluate(in, QString(5000, '(')), "; error: malformed list on input: nesting too deep");
    EXPECT_EQ(evaluate(in, "\"" + QString(Limits::kMaxString + 10, 'x') + "\""), "; error: string too long on input");
    // memory: list cells and string characters alive at once are bounded
    in.stepBudget = 20'000'000;
    EXPECT_EQ(evaluate(in, "(setq l nil) (while t (setq l (cons 1 l)))"), "; error: insufficient node space");
    EXPECT_EQ(evaluate(in, "(setq l nil s \"x\") (repeat 19 (setq s (strcat s s)))"
                           " (while t (setq l (cons (strcat s \"y\") l)))"), "; error: insufficient string space");
    EXPECT_EQ(evaluate(in, "(setq l nil s nil) (princ)"), "");
    in.stepBudget = 2'000'000;
    // a long list and a deeply nested one are built and freed without running out of stack
    EXPECT_EQ(evaluate(in, "(setq l nil) (repeat 200000 (setq l (cons 1 l))) (length l)"), "200000");
    EXPECT_EQ(evaluate(in, "(setq l nil) (repeat 200000 (setq l (list l))) (setq l nil)"), "nil");
    // Escape: the running program is interrupted at its next checkpoint
    in.stepBudget = 1'000'000'000;
    in.idle = [&in] { in.interrupt(); };
    EXPECT_EQ(evaluate(in, "(while t)"), "; error: Function cancelled");
    // the interpreter goes on working after every one of them
    in.idle = nullptr;
    EXPECT_EQ(evaluate(in, "(+ 1 2)"), "3");
}

TEST(LispActiveX, CallsTheObjectModelByPathAndMember)
{
    struct Call {
        QString path, kind, member;
        QVariantList args;
    };
    QList<Call> calls;
    ObjectCall objects = [&calls](const QString& path, const QString& kind, const QString& member, const QVariantList& args) {
        calls << Call{path, kind, member, args};
        ObjectReply reply;
        if (member == "ActiveDocument") reply.values << QVariant::fromValue(QDBusObjectPath("/Documents/1"));
        else if (member == "ModelSpace") reply.values << QVariant::fromValue(QDBusObjectPath("/Documents/1/ModelSpace"));
        else if (member == "AddText") reply.values << QVariant::fromValue(QDBusObjectPath("/Documents/1/Entities/100"));
        else if (member == "GetBoundingBox")
            reply.values << QVariant::fromValue(QList<double>{1, 2, 0}) << QVariant::fromValue(QList<double>{5, 3, 0});
        else if (member == "Rotation") reply.values << 0.5;
        else if (member == "InsertionPoint" && kind == "Get") reply.values << QVariant::fromValue(QList<double>{7, 8, 0});
        else if (member == "Color" && kind == "Put" && args.value(0).toInt() > 256) reply.error = "BadArgument: Color";
        return reply;
    };
    Interpreter in;
    addActiveXFunctions(in, objects);
    expectAll(in, {
        {"(setq doc (vla-get-activedocument (vlax-get-acad-object)))", "#<VLA-OBJECT IAcadDocument /Documents/1>"},
        {"(setq ms (vla-get-ModelSpace doc))", "#<VLA-OBJECT IAcadModelSpace /Documents/1/ModelSpace>"},
        {"(setq p (vlax-3d-point (list 1 2 0)))", "#<variant 8197 ...>"},
        {"(setq obj (vla-addtext ms \"abc\" p 2.5))", "#<VLA-OBJECT IAcadText /Documents/1/Entities/100>"},
        {"(vla-put-color obj 3)", "nil"},
        {"(vla-put-rotation obj 1)", "nil"},
        {"(vla-get-rotation obj)", "0.5"},
        {"(vlax-safearray->list (vlax-variant-value (vla-get-insertionpoint obj)))", "(7.0 8.0 0.0)"},
        {"(vla-getboundingbox obj 'minp 'maxp)", "nil"},
        {"(type minp)", "SAFEARRAY"},
        {"(- (car (vlax-safearray->list maxp)) (car (vlax-safearray->list minp)))", "4.0"},
        {"(vlax-safearray->list p)", "; error: bad argument type: safearrayp #<variant 8197 ...>"},
        {"(vla-put-insertionpoint obj '(1 2 0))", "; error: lisp value has no coercion to VARIANT with this type:  (1 2 0)"},
        {"(vla-put-color obj 300)", "; error: Automation Error. BadArgument: Color"},
        {"(vla-put-color nil 1)", "; error: bad argument type: VLA-OBJECT nil"},
    });
    ASSERT_GE(calls.size(), 6);
    EXPECT_EQ(calls[2].member, "AddText");
    EXPECT_EQ(calls[2].args.value(0).toString(), "abc");
    EXPECT_EQ(calls[2].args.value(1).value<QList<double>>(), (QList<double>{1, 2, 0}));
    EXPECT_EQ(calls[2].args.value(2).toDouble(), 2.5);
    EXPECT_EQ(calls[3].kind, "Put");
    EXPECT_EQ(calls[3].path, "/Documents/1/Entities/100");
    EXPECT_EQ(calls[3].args.value(0).metaType().id(), QMetaType::Int);
    EXPECT_EQ(calls[4].member, "Rotation");
    EXPECT_EQ(calls[4].args.value(0).metaType().id(), QMetaType::Int);
}
