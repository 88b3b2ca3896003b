#pragma once
// The AutoLISP evaluator: one global symbol table (functions are symbol
// values, as in AutoLISP), dynamic binding of arguments and "/" locals, and
// the limits that keep a hostile program from crashing or hanging the host.
#include "cadhost/lisp/Value.h"

#include <QElapsedTimer>
#include <QHash>
#include <functional>
#include <memory>
#include <utility>

namespace lisp {

class Interpreter {
public:
    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    Symbol* intern(const QString& name);
    Value t();
    // Sets a symbol's value; T is a constant.
    void assign(Symbol* s, Value v);
    // One evaluation step: loops that evaluate nothing count their turns here.
    void step()
    {
        if (++m_steps >= m_nextCheck) checkpoint();
    }
    Value eval(const Value& form);
    // Applies a SUBR, USUBR, a (LAMBDA ...) list or a symbol naming one of them.
    Value apply(const Value& function, Args& args);
    Value evalBody(Value forms);
    // Every form of the text in turn; the last value.
    Value evaluateText(const QString& text);
    // (load path): the file (".lsp" added when it has no extension) read and evaluated.
    Value load(const QString& path);

    void defineFunction(const QString& name, Builtin::Fn fn);
    void defineSpecialForm(const QString& name, Builtin::SpecialFn fn);
    Value makeFunction(const QString& name, const Value& paramList, Value body);

    // One top-level evaluation (a command line or a command): resets the step
    // budget, catches errors, lets *error* report them (else "; error: ..."
    // is written) and reports whether it ended without error.
    struct Outcome {
        bool ok = false;
        Value value;
        QString error;  // the message without "; error: "
    };
    Outcome run(const std::function<Value()>& body);
    bool running() const { return m_running > 0; }
    // Escape: the running program ends at its next step with "Function cancelled".
    void interrupt() { m_interrupted = true; }
    // Escape while a program waits for input: true once, the program then ends itself.
    bool takeInterrupt() { return std::exchange(m_interrupted, false); }

    // Text written by princ, prin1, print, terpri and the error line.
    std::function<void(const QString&)> output;
    // Called about every 50 ms while a program runs, so the host keeps
    // answering (its event loop) and Escape can arrive.
    std::function<void()> idle;
    // Evaluation steps one top-level evaluation may take before it is stopped.
    qint64 stepBudget = 30'000'000;

    void write(const QString& text)
    {
        if (output) output(text);
    }

private:
    friend struct CallGuard;
    void checkpoint();
    void defineBuiltin(const QString& name, Builtin::Fn fn, Builtin::SpecialFn special);
    Value callFunction(const Function& fn, Args& args);

    QHash<QString, Symbol*> m_symbols;
    std::vector<std::unique_ptr<Symbol>> m_symbolStore;
    qint64 m_steps = 0, m_nextCheck = 0;
    quintptr m_stackBase = 0;
    int m_running = 0;
    bool m_interrupted = false;
    QElapsedTimer m_sinceIdle;
    Symbol* m_t = nullptr;
    Symbol* m_lambda = nullptr;
};

// Argument checks with AutoLISP's messages.
void needArgs(const Args& a, size_t min, size_t max);
double numberArg(const Value& v);
qint32 intArg(const Value& v);
const QString& stringArg(const Value& v);
Symbol* symbolArg(const Value& v);
void needList(const Value& v);
[[noreturn]] void badArgument(const QString& predicate, const Value& v);
Value boolValue(Interpreter& in, bool b);

// The groups of built-in functions.
void addCoreFunctions(Interpreter& in);
void addMathFunctions(Interpreter& in);
void addStringFunctions(Interpreter& in);

}  // namespace lisp
