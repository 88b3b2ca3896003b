// Lists, predicates, evaluation and output.
#include "cadhost/lisp/Interpreter.h"

namespace lisp {

namespace {

Value cxr(const Value& v, const char* path)
{
    // path read right to left, as the name: CADR is the car of the cdr
    Value out = v;
    for (int k = int(strlen(path)) - 1; k >= 0; --k) {
        if (out.isNil()) return {};
        if (out.type != Type::List) badArgument("consp", out);
        out = path[k] == 'a' ? cell(out).car : cell(out).cdr;
    }
    return out;
}

std::vector<Value> items(const Value& list)
{
    needList(list);
    std::vector<Value> out;
    Value rest = list;
    for (; rest.type == Type::List; rest = cell(rest).cdr) out.push_back(cell(rest).car);
    if (!rest.isNil()) throw LispError("bad list: " + printValue(list, true));
    return out;
}

Value substitute(const Value& newItem, const Value& oldItem, const Value& tree, int depth)
{
    if (isEqual(tree, oldItem)) return newItem;
    if (tree.type != Type::List) return tree;
    if (depth > 10000) throw LispError("internal stack limit reached");
    ListBuilder out;
    Value rest = tree;
    for (; rest.type == Type::List; rest = cell(rest).cdr) out.add(substitute(newItem, oldItem, cell(rest).car, depth + 1));
    Value result = out.take();
    if (!rest.isNil()) {  // a dotted tail
        Value last = result;
        while (cell(last).cdr.type == Type::List) last = cell(last).cdr;
        static_cast<Cons&>(*last.node).cdr = substitute(newItem, oldItem, rest, depth + 1);
    }
    return result;
}

QString typeName(const Value& v)
{
    switch (v.type) {
    case Type::Nil: return {};
    case Type::Int: return "INT";
    case Type::Real: return "REAL";
    case Type::Str: return "STR";
    case Type::Sym: return "SYM";
    case Type::List: return "LIST";
    case Type::Subr: return "SUBR";
    case Type::Usubr: return "USUBR";
    case Type::VlaObject: return "VLA-OBJECT";
    case Type::Variant: return "VARIANT";
    case Type::SafeArray: return "SAFEARRAY";
    case Type::Ename: return "ENAME";
    case Type::PickSet: return "PICKSET";
    }
    return {};
}

// princ/prin1 take an optional file; only the command line is offered.
void needNoFile(const Args& a)
{
    if (a.size() == 2 && !a[1].isNil()) badArgument("streamp", a[1]);
}

Value princ(Interpreter& in, Args& a, bool quoted)
{
    needArgs(a, 0, 2);
    needNoFile(a);
    if (a.empty()) return makeSymbol(in.intern(""));  // prints as nothing
    in.write(printValue(a[0], quoted));
    return a[0];
}

}  // namespace

#define LISP_CXR(NAME, PATH) \
    in.defineFunction(NAME, [](Interpreter&, Args& a) { needArgs(a, 1, 1); return cxr(a[0], PATH); })

void addCoreFunctions(Interpreter& in)
{
    LISP_CXR("CAR", "a"); LISP_CXR("CDR", "d");
    LISP_CXR("CAAR", "aa"); LISP_CXR("CADR", "ad"); LISP_CXR("CDAR", "da"); LISP_CXR("CDDR", "dd");
    LISP_CXR("CAAAR", "aaa"); LISP_CXR("CAADR", "aad"); LISP_CXR("CADAR", "ada"); LISP_CXR("CADDR", "add");
    LISP_CXR("CDAAR", "daa"); LISP_CXR("CDADR", "dad"); LISP_CXR("CDDAR", "dda"); LISP_CXR("CDDDR", "ddd");
    LISP_CXR("CAAAAR", "aaaa"); LISP_CXR("CAAADR", "aaad"); LISP_CXR("CAADAR", "aada"); LISP_CXR("CAADDR", "aadd");
    LISP_CXR("CADAAR", "adaa"); LISP_CXR("CADADR", "adad"); LISP_CXR("CADDAR", "adda"); LISP_CXR("CADDDR", "addd");
    LISP_CXR("CDAAAR", "daaa"); LISP_CXR("CDAADR", "daad"); LISP_CXR("CDADAR", "dada"); LISP_CXR("CDADDR", "dadd");
    LISP_CXR("CDDAAR", "ddaa"); LISP_CXR("CDDADR", "ddad"); LISP_CXR("CDDDAR", "ddda"); LISP_CXR("CDDDDR", "dddd");

    in.defineFunction("LIST", [](Interpreter&, Args& a) { return makeList(a); });
    in.defineFunction("CONS", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        return cons(a[0], a[1]);
    });
    in.defineFunction("NTH", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        qint32 n = intArg(a[0]);
        needList(a[1]);
        if (n < 0) return Value{};
        Value rest = a[1];
        for (; n > 0 && rest.type == Type::List; --n) rest = cell(rest).cdr;
        return rest.type == Type::List ? cell(rest).car : Value{};
    });
    in.defineFunction("LENGTH", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return makeInt(qint32(items(a[0]).size()));
    });
    in.defineFunction("APPEND", [](Interpreter&, Args& a) {
        ListBuilder out;
        for (const Value& list : a)
            for (const Value& v : items(list)) out.add(v);
        return out.take();
    });
    in.defineFunction("REVERSE", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        Value out;
        for (const Value& v : items(a[0])) out = cons(v, out);
        return out;
    });
    in.defineFunction("LAST", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const auto all = items(a[0]);
        return all.empty() ? Value{} : all.back();
    });
    in.defineFunction("ASSOC", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        for (const Value& v : items(a[1]))
            if (v.type == Type::List && isEqual(cell(v).car, a[0])) return v;
        return Value{};
    });
    in.defineFunction("MEMBER", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        needList(a[1]);
        for (Value rest = a[1]; rest.type == Type::List; rest = cell(rest).cdr)
            if (isEqual(cell(rest).car, a[0])) return rest;
        return Value{};
    });
    in.defineFunction("SUBST", [](Interpreter&, Args& a) {
        needArgs(a, 3, 3);
        needList(a[2]);
        return substitute(a[0], a[1], a[2], 0);
    });

    in.defineFunction("EQ", [](Interpreter& in, Args& a) {
        needArgs(a, 2, 2);
        return boolValue(in, isEq(a[0], a[1]));
    });
    in.defineFunction("EQUAL", [](Interpreter& in, Args& a) {
        needArgs(a, 2, 3);
        return boolValue(in, isEqual(a[0], a[1], a.size() == 3 ? numberArg(a[2]) : 0));
    });
    in.defineFunction("NOT", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return boolValue(in, a[0].isNil());
    });
    in.defineFunction("NULL", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return boolValue(in, a[0].isNil());
    });
    in.defineFunction("ATOM", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return boolValue(in, a[0].type != Type::List);
    });
    in.defineFunction("LISTP", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return boolValue(in, a[0].isList());
    });
    in.defineFunction("NUMBERP", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return boolValue(in, a[0].isNumber());
    });
    in.defineFunction("BOUNDP", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return boolValue(in, !symbolArg(a[0])->value.isNil());
    });
    in.defineFunction("TYPE", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        const QString name = typeName(a[0]);
        return name.isEmpty() ? Value{} : makeSymbol(in.intern(name));
    });

    in.defineFunction("EVAL", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 1);
        return in.eval(a[0]);
    });
    in.defineFunction("SET", [](Interpreter& in, Args& a) {
        needArgs(a, 2, 2);
        in.assign(symbolArg(a[0]), a[1]);
        return a[1];
    });
    in.defineFunction("APPLY", [](Interpreter& in, Args& a) {
        needArgs(a, 2, 2);
        Args args = items(a[1]);
        return in.apply(a[0], args);
    });
    in.defineFunction("MAPCAR", [](Interpreter& in, Args& a) {
        if (a.size() < 2) throw LispError("too few arguments");
        std::vector<Value> lists(a.begin() + 1, a.end());
        for (const Value& l : lists) needList(l);
        ListBuilder out;
        for (;;) {
            Args args;
            for (Value& l : lists) {
                if (l.type != Type::List) return out.take();
                args.push_back(cell(l).car);
                l = Value(cell(l).cdr);
            }
            in.step();
            out.add(in.apply(a[0], args));
        }
    });
    in.defineFunction("LOAD", [](Interpreter& in, Args& a) {
        needArgs(a, 1, 2);
        const QString& path = stringArg(a[0]);
        if (a.size() == 2) {
            try {
                return in.load(path);
            } catch (const LispError& e) {
                if (!e.text.startsWith("LOAD failed")) throw;
                return a[1];  // the onfailure value
            }
        }
        return in.load(path);
    });

    in.defineFunction("PRINC", [](Interpreter& in, Args& a) { return princ(in, a, false); });
    in.defineFunction("PRIN1", [](Interpreter& in, Args& a) { return princ(in, a, true); });
    in.defineFunction("PRINT", [](Interpreter& in, Args& a) {
        needArgs(a, 0, 2);
        needNoFile(a);
        in.write("\n");
        if (a.empty()) return makeSymbol(in.intern(""));
        in.write(printValue(a[0], true) + " ");
        return a[0];
    });
    in.defineFunction("TERPRI", [](Interpreter& in, Args& a) {
        needArgs(a, 0, 0);
        in.write("\n");
        return Value{};
    });
    in.defineFunction("VL-PRINC-TO-STRING", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return makeString(printValue(a[0], false));
    });
    in.defineFunction("VL-PRIN1-TO-STRING", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return makeString(printValue(a[0], true));
    });
}

}  // namespace lisp
