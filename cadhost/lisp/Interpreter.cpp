#include "cadhost/lisp/Interpreter.h"

#include "cadhost/lisp/Reader.h"

#include <QFile>
#include <QFileInfo>

namespace lisp {

namespace {

constexpr int kCheckEvery = 1024;  // steps between looks at the budget, the clock and Escape
constexpr int kIdleMs = 50;

// Saves symbol values on entry and puts them back however the scope is left:
// AutoLISP binds arguments and locals dynamically.
class Bindings {
public:
    void bind(Symbol* s, Value v)
    {
        m_saved.push_back({s, std::move(s->value)});
        s->value = std::move(v);
    }
    ~Bindings()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) it->first->value = std::move(it->second);
    }

private:
    std::vector<std::pair<Symbol*, Value>> m_saved;
};

std::vector<Value> listItems(const Value& list)
{
    std::vector<Value> out;
    for (Value rest = list; rest.type == Type::List; rest = cell(rest).cdr) out.push_back(cell(rest).car);
    return out;
}

Value formArg(const Value& form, size_t index)
{
    Value rest = cdrOf(form);
    for (size_t k = 0; k < index && rest.type == Type::List; ++k) rest = cell(rest).cdr;
    if (rest.type != Type::List) throw LispError("too few arguments");
    return cell(rest).car;
}

size_t formArgCount(const Value& form)
{
    size_t n = 0;
    for (Value rest = cdrOf(form); rest.type == Type::List; rest = cell(rest).cdr) ++n;
    return n;
}

Value quoteForm(Interpreter&, const Value& form)
{
    if (formArgCount(form) != 1) throw LispError(formArgCount(form) ? "too many arguments" : "too few arguments");
    return formArg(form, 0);
}

Value setqForm(Interpreter& in, const Value& form)
{
    Value result;
    Value rest = cdrOf(form);
    if (rest.isNil()) throw LispError("too few arguments");
    while (rest.type == Type::List) {
        Symbol* s = symbolArg(cell(rest).car);
        if (cell(rest).cdr.type != Type::List) throw LispError("too few arguments");
        rest = cell(rest).cdr;
        result = in.eval(cell(rest).car);
        in.assign(s, result);
        rest = cell(rest).cdr;
    }
    return result;
}

Value ifForm(Interpreter& in, const Value& form)
{
    const size_t n = formArgCount(form);
    if (n < 2) throw LispError("too few arguments");
    if (n > 3) throw LispError("too many arguments");
    if (!in.eval(formArg(form, 0)).isNil()) return in.eval(formArg(form, 1));
    return n == 3 ? in.eval(formArg(form, 2)) : Value{};
}

Value condForm(Interpreter& in, const Value& form)
{
    for (Value rest = cdrOf(form); rest.type == Type::List; rest = cell(rest).cdr) {
        const Value clause = cell(rest).car;
        if (clause.type != Type::List) badArgument("listp", clause);
        Value test = in.eval(cell(clause).car);
        if (test.isNil()) continue;
        return cell(clause).cdr.isNil() ? test : in.evalBody(cell(clause).cdr);
    }
    return {};
}

Value whileForm(Interpreter& in, const Value& form)
{
    const Value test = formArg(form, 0);
    const Value body = cdrOf(cdrOf(form));
    Value result;
    while (!in.eval(test).isNil()) {
        in.step();
        result = in.evalBody(body);
    }
    return result;
}

Value repeatForm(Interpreter& in, const Value& form)
{
    const qint32 count = intArg(in.eval(formArg(form, 0)));
    const Value body = cdrOf(cdrOf(form));
    Value result;
    for (qint32 k = 0; k < count; ++k) {
        in.step();
        result = in.evalBody(body);
    }
    return result;
}

Value foreachForm(Interpreter& in, const Value& form)
{
    Symbol* name = symbolArg(formArg(form, 0));
    const Value list = in.eval(formArg(form, 1));
    needList(list);
    const Value body = cdrOf(cdrOf(cdrOf(form)));
    Bindings bindings;
    bindings.bind(name, {});
    Value result;
    for (Value rest = list; rest.type == Type::List; rest = cell(rest).cdr) {
        in.step();
        name->value = cell(rest).car;
        result = in.evalBody(body);
    }
    return result;
}

Value prognForm(Interpreter& in, const Value& form) { return in.evalBody(cdrOf(form)); }

Value lambdaForm(Interpreter& in, const Value& form)
{
    return in.makeFunction({}, formArg(form, 0), cdrOf(cdrOf(form)));
}

Value functionForm(Interpreter& in, const Value& form)
{
    const Value arg = quoteForm(in, form);
    if (arg.type == Type::List && car(arg).type == Type::Sym && car(arg).sym == in.intern("LAMBDA")) return in.eval(arg);
    return arg;
}

Value defunForm(Interpreter& in, const Value& form)
{
    Symbol* name = symbolArg(formArg(form, 0));
    const Value params = formArg(form, 1);
    in.assign(name, in.makeFunction(name->name, params, cdrOf(cdrOf(cdrOf(form)))));
    return makeSymbol(name);
}

Value andForm(Interpreter& in, const Value& form)
{
    for (Value rest = cdrOf(form); rest.type == Type::List; rest = cell(rest).cdr)
        if (in.eval(cell(rest).car).isNil()) return {};
    return in.t();
}

Value orForm(Interpreter& in, const Value& form)
{
    for (Value rest = cdrOf(form); rest.type == Type::List; rest = cell(rest).cdr)
        if (!in.eval(cell(rest).car).isNil()) return in.t();
    return {};
}

}  // namespace

Interpreter::Interpreter()
{
    m_t = intern("T");
    m_t->value = makeSymbol(m_t);
    m_lambda = intern("LAMBDA");
    defineSpecialForm("QUOTE", quoteForm);
    defineSpecialForm("SETQ", setqForm);
    defineSpecialForm("IF", ifForm);
    defineSpecialForm("COND", condForm);
    defineSpecialForm("WHILE", whileForm);
    defineSpecialForm("REPEAT", repeatForm);
    defineSpecialForm("FOREACH", foreachForm);
    defineSpecialForm("PROGN", prognForm);
    defineSpecialForm("LAMBDA", lambdaForm);
    defineSpecialForm("FUNCTION", functionForm);
    defineSpecialForm("DEFUN", defunForm);
    defineSpecialForm("AND", andForm);
    defineSpecialForm("OR", orForm);
    addCoreFunctions(*this);
    addMathFunctions(*this);
    addStringFunctions(*this);
}

Interpreter::~Interpreter()
{
    // Symbol values may hold lists that name other symbols: drop them all first.
    for (auto& s : m_symbolStore) s->value = {};
}

Symbol* Interpreter::intern(const QString& name)
{
    const QString key = name.toUpper();
    auto it = m_symbols.constFind(key);
    if (it != m_symbols.constEnd()) return *it;
    m_symbolStore.push_back(std::make_unique<Symbol>());
    Symbol* s = m_symbolStore.back().get();
    s->name = key;
    m_symbols.insert(key, s);
    return s;
}

Value Interpreter::t() { return makeSymbol(m_t); }

void Interpreter::assign(Symbol* s, Value v)
{
    if (s == m_t) throw LispError("attempt to set constant: T");
    s->value = std::move(v);
}

void Interpreter::defineFunction(const QString& name, Builtin::Fn fn)
{
    defineBuiltin(name, std::move(fn), nullptr);
}

void Interpreter::defineSpecialForm(const QString& name, Builtin::SpecialFn fn)
{
    defineBuiltin(name, nullptr, fn);
}

void Interpreter::defineBuiltin(const QString& name, Builtin::Fn fn, Builtin::SpecialFn special)
{
    auto node = std::make_shared<Builtin>();
    node->name = name.toUpper();
    node->fn = std::move(fn);
    node->special = special;
    intern(name)->value = nodeValue(Type::Subr, std::move(node));
}

Value Interpreter::makeFunction(const QString& name, const Value& paramList, Value body)
{
    if (!paramList.isList()) badArgument("listp", paramList);
    auto fn = std::make_shared<Function>();
    fn->name = name;
    bool locals = false;
    for (const Value& p : listItems(paramList)) {
        if (p.type == Type::Sym && p.sym->name == "/") {
            locals = true;
            continue;
        }
        (locals ? fn->locals : fn->params).push_back(symbolArg(p));
    }
    fn->body = std::move(body);
    return nodeValue(Type::Usubr, std::move(fn));
}

void Interpreter::checkpoint()
{
    m_nextCheck = m_steps + kCheckEvery;
    if (m_steps > stepBudget) throw LispError("too many evaluation steps: the program was stopped");
    if (m_sinceIdle.isValid() && m_sinceIdle.elapsed() >= kIdleMs) {
        m_sinceIdle.restart();
        if (idle) idle();
    }
    if (m_interrupted) {
        m_interrupted = false;
        throw LispError("Function cancelled");
    }
}

Value Interpreter::eval(const Value& form)
{
    step();
    if (form.type == Type::Sym) return form.sym->value;
    if (form.type != Type::List) return form;

    char probe;
    if (m_stackBase && m_stackBase - quintptr(&probe) > Limits::kStackBytes)
        throw LispError("internal stack limit reached");

    const Value& head = cell(form).car;
    Value fn;
    if (head.type == Type::Sym) {
        fn = head.sym->value;
        if (fn.type != Type::Subr && fn.type != Type::Usubr) throw LispError("no function definition: " + head.sym->name);
    } else {
        fn = eval(head);
    }
    if (fn.type == Type::Subr) {
        const auto& b = static_cast<const Builtin&>(*fn.node);
        if (b.special) return b.special(*this, form);
    }
    Args args;
    for (Value rest = cell(form).cdr; rest.type == Type::List; rest = cell(rest).cdr) args.push_back(eval(cell(rest).car));
    return apply(fn, args);
}

Value Interpreter::evalBody(Value forms)
{
    Value result;
    for (; forms.type == Type::List; forms = cell(forms).cdr) result = eval(cell(forms).car);
    return result;
}

Value Interpreter::callFunction(const Function& fn, Args& args)
{
    if (args.size() < fn.params.size()) throw LispError("too few arguments");
    if (args.size() > fn.params.size()) throw LispError("too many arguments");
    Bindings bindings;
    for (size_t k = 0; k < fn.params.size(); ++k) bindings.bind(fn.params[k], std::move(args[k]));
    for (Symbol* s : fn.locals) bindings.bind(s, {});
    return evalBody(fn.body);
}

Value Interpreter::apply(const Value& function, Args& args)
{
    switch (function.type) {
    case Type::Subr: {
        const auto& b = static_cast<const Builtin&>(*function.node);
        if (b.special) throw LispError("bad function: " + b.name);
        return b.fn(*this, args);
    }
    case Type::Usubr: {
        const std::shared_ptr<Node> keep = function.node;  // the function may redefine itself
        return callFunction(static_cast<const Function&>(*keep), args);
    }
    case Type::Sym:
        if (function.sym->value.type == Type::Subr || function.sym->value.type == Type::Usubr)
            return apply(Value(function.sym->value), args);
        throw LispError("no function definition: " + function.sym->name);
    case Type::List:
        if (car(function).type == Type::Sym && car(function).sym == m_lambda) {
            const Value fn = makeFunction({}, car(cdrOf(function)), cdrOf(cdrOf(function)));
            return apply(fn, args);
        }
        [[fallthrough]];
    default:
        throw LispError("bad function: " + printValue(function, true));
    }
}

Value Interpreter::evaluateText(const QString& text)
{
    Reader reader(*this, text);
    Value last;
    while (auto form = reader.next()) last = eval(*form);
    return last;
}

Value Interpreter::load(const QString& path)
{
    QString file = path;
    if (!QFileInfo::exists(file) && QFileInfo(file).suffix().isEmpty()) file += ".lsp";
    QFile f(file);
    if (QFileInfo(file).isDir() || !f.open(QIODevice::ReadOnly))
        throw LispError("LOAD failed: " + printValue(makeString(path), true));
    if (f.size() > Limits::kFileBytes) throw LispError("LOAD failed: file too large: " + printValue(makeString(path), true));
    return evaluateText(decodeLispFile(f.readAll()));
}

Interpreter::Outcome Interpreter::run(const std::function<Value()>& body)
{
    Outcome out;
    if (m_running > 0) {  // a nested top level (none today): errors go to the outer one
        out.value = body();
        out.ok = true;
        return out;
    }
    char probe;
    m_stackBase = quintptr(&probe);
    m_steps = 0;
    m_nextCheck = kCheckEvery;
    m_interrupted = false;
    m_sinceIdle.start();
    ++m_running;
    try {
        out.value = body();
        out.ok = true;
    } catch (const LispError& e) {
        out.error = e.text;
    } catch (const std::bad_alloc&) {
        out.error = "insufficient memory";
    }
    if (!out.ok) {
        // A user's *error* function reports the error instead of the standard line.
        const Value handler = intern("*ERROR*")->value;
        bool handled = false;
        if (handler.type == Type::Usubr) {
            m_steps = 0;
            m_nextCheck = kCheckEvery;
            try {
                Args args{makeString(out.error)};
                apply(handler, args);
                handled = true;
            } catch (const LispError& e) {
                write("; error: " + e.text + "\n");
            } catch (const std::bad_alloc&) {
                write("; error: insufficient memory\n");
            }
        }
        if (!handled) write("; error: " + out.error + "\n");
    }
    --m_running;
    m_stackBase = 0;
    return out;
}

void needArgs(const Args& a, size_t min, size_t max)
{
    if (a.size() < min) throw LispError("too few arguments");
    if (a.size() > max) throw LispError("too many arguments");
}

[[noreturn]] void badArgument(const QString& predicate, const Value& v)
{
    // AutoLISP puts a colon after numberp and fixnump, a blank after the others.
    const bool colon = predicate == "numberp" || predicate == "fixnump";
    throw LispError(QString("bad argument type: %1%2 %3").arg(predicate, colon ? ":" : "", printValue(v, true)));
}

double numberArg(const Value& v)
{
    if (!v.isNumber()) badArgument("numberp", v);
    return v.number();
}

qint32 intArg(const Value& v)
{
    if (v.type != Type::Int) badArgument("fixnump", v);
    return v.i;
}

const QString& stringArg(const Value& v)
{
    if (v.type != Type::Str) badArgument("stringp", v);
    return stringOf(v);
}

Symbol* symbolArg(const Value& v)
{
    if (v.type != Type::Sym) badArgument("symbolp", v);
    return v.sym;
}

void needList(const Value& v)
{
    if (!v.isList()) badArgument("listp", v);
}

Value boolValue(Interpreter& in, bool b) { return b ? in.t() : Value{}; }

}  // namespace lisp
