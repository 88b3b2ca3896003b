#include "cadhost/lisp/Value.h"

#include <cmath>

namespace lisp {

namespace {

constexpr int kPrintDepth = 1000;  // deeper lists print as "(...)"
qint64 s_cells = 0;
qint64 s_stringChars = 0;
constexpr int kCompareDepth = 10000;

void takeIfLast(Value& v, std::vector<std::shared_ptr<Node>>& pending)
{
    if (v.type == Type::List && v.node.use_count() == 1) pending.push_back(std::move(v.node));
    else if (v.type == Type::Variant && v.node.use_count() == 1) pending.push_back(std::move(v.node));
}

QString quotedString(const QString& s)
{
    QString out = "\"";
    for (QChar c : s) {
        switch (c.unicode()) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case 0x1b: out += "\\e"; break;
        default:
            if (c.unicode() < 0x20) out += QString("\\%1").arg(c.unicode(), 3, 8, QChar('0'));
            else out += c;
        }
    }
    return out + "\"";
}

void print(QString& out, const Value& v, bool quoted, int depth)
{
    switch (v.type) {
    case Type::Nil: out += "nil"; return;
    case Type::Int: out += QString::number(v.i); return;
    case Type::Real: out += printReal(v.r); return;
    case Type::Str: out += quoted ? quotedString(stringOf(v)) : stringOf(v); return;
    case Type::Sym: out += v.sym->name; return;
    case Type::Subr: out += QString("#<SUBR @%1 %2>").arg(quintptr(v.node.get()), 0, 16).arg(static_cast<const Builtin&>(*v.node).name); return;
    case Type::Usubr: out += QString("#<USUBR @%1 %2>").arg(quintptr(v.node.get()), 0, 16).arg(static_cast<const Function&>(*v.node).name); return;
    case Type::VlaObject: out += QString("#<VLA-OBJECT %1 %2>").arg(static_cast<const VlaNode&>(*v.node).interfaceName, static_cast<const VlaNode&>(*v.node).path); return;
    case Type::Variant: out += QString("#<variant %1 ...>").arg(static_cast<const VariantNode&>(*v.node).variantType); return;
    case Type::SafeArray: out += QString("#<safearray...>"); return;
    case Type::Ename: out += QString("<Entity name: %1>").arg(quint32(v.i), 0, 16); return;
    case Type::PickSet: out += QString("<Selection set: %1>").arg(quintptr(v.node.get()), 0, 16); return;
    case Type::List: break;
    }
    if (depth > kPrintDepth) {
        out += "(...)";
        return;
    }
    out += '(';
    Value rest = v;
    bool first = true;
    while (rest.type == Type::List) {
        if (out.size() > Limits::kMaxString) {  // a huge list prints its beginning only
            out += " ...)";
            return;
        }
        if (!first) out += ' ';
        first = false;
        print(out, cell(rest).car, quoted, depth + 1);
        rest = cell(rest).cdr;
    }
    if (!rest.isNil()) {
        out += " . ";
        print(out, rest, quoted, depth + 1);
    }
    out += ')';
}

bool equalAt(const Value& a, const Value& b, double fuzz, int depth)
{
    if (depth > kCompareDepth) throw LispError("stack overflow");
    if (a.isNumber() && b.isNumber()) {
        if (a.type == Type::Int && b.type == Type::Int) return a.i == b.i;
        return std::fabs(a.number() - b.number()) <= fuzz;
    }
    if (a.type != b.type) return false;
    switch (a.type) {
    case Type::Nil: return true;
    case Type::Str: return stringOf(a) == stringOf(b);
    case Type::List: {
        Value x = a, y = b;
        while (x.type == Type::List && y.type == Type::List) {
            if (!equalAt(cell(x).car, cell(y).car, fuzz, depth + 1)) return false;
            x = cell(x).cdr;
            y = cell(y).cdr;
        }
        return equalAt(x, y, fuzz, depth + 1);
    }
    case Type::VlaObject: return static_cast<const VlaNode&>(*a.node).path == static_cast<const VlaNode&>(*b.node).path;
    default: return isEq(a, b);
    }
}

}  // namespace

Cons::Cons() { ++s_cells; }
qint64 Cons::alive() { return s_cells; }

StrNode::StrNode(QString s) : text(std::move(s)) { s_stringChars += text.size(); }
StrNode::~StrNode() { s_stringChars -= text.size(); }
qint64 StrNode::charactersAlive() { return s_stringChars; }

Cons::~Cons()
{
    --s_cells;
    // Unlink children that die with this cell and free them here, in a loop,
    // so that a list of a million cells does not nest a million destructors.
    std::vector<std::shared_ptr<Node>> pending;
    takeIfLast(car, pending);
    takeIfLast(cdr, pending);
    while (!pending.empty()) {
        std::shared_ptr<Node> n = std::move(pending.back());
        pending.pop_back();
        if (auto* c = dynamic_cast<Cons*>(n.get())) {
            takeIfLast(c->car, pending);
            takeIfLast(c->cdr, pending);
        } else if (auto* var = dynamic_cast<VariantNode*>(n.get())) {
            takeIfLast(var->value, pending);
        }
    }
}

Value nodeValue(Type type, std::shared_ptr<Node> node)
{
    Value out;
    out.type = type;
    out.node = std::move(node);
    return out;
}

Value makeInt(qint32 v)
{
    Value out;
    out.type = Type::Int;
    out.i = v;
    return out;
}

Value makeReal(double v)
{
    Value out;
    out.type = Type::Real;
    out.r = v;
    return out;
}

Value makeString(const QString& text)
{
    if (s_stringChars + text.size() > Limits::kMaxStringChars) throw LispError("insufficient string space");
    return nodeValue(Type::Str, std::make_shared<StrNode>(text));
}

Value makeSymbol(Symbol* s)
{
    Value out;
    out.type = Type::Sym;
    out.sym = s;
    return out;
}

Value cons(Value car, Value cdr)
{
    if (s_cells >= Limits::kMaxCells) throw LispError("insufficient node space");
    auto node = std::make_shared<Cons>();
    node->car = std::move(car);
    node->cdr = std::move(cdr);
    return nodeValue(Type::List, std::move(node));
}

Value makeList(const std::vector<Value>& items)
{
    ListBuilder b;
    for (const Value& v : items) b.add(v);
    return b.take();
}

void ListBuilder::add(Value v)
{
    Value c = cons(std::move(v), Value{});
    Cons* raw = static_cast<Cons*>(c.node.get());
    if (m_tail) m_tail->cdr = std::move(c);
    else m_head = std::move(c);
    m_tail = raw;
}

QString printReal(double v)
{
    if (std::isnan(v)) return "-1.#IND";
    if (std::isinf(v)) return v > 0 ? "1.#INF" : "-1.#INF";
    QString s = QString::number(v, 'g', 6);
    const qsizetype e = s.indexOf('e');
    if (!s.left(e < 0 ? s.size() : e).contains('.')) s.insert(e < 0 ? s.size() : e, ".0");
    return s;
}

QString printValue(const Value& v, bool quoted)
{
    QString out;
    print(out, v, quoted, 0);
    return out;
}

bool isEq(const Value& a, const Value& b)
{
    if (a.type != b.type) return false;
    switch (a.type) {
    case Type::Nil: return true;
    case Type::Int: return a.i == b.i;
    case Type::Real: return a.r == b.r;
    case Type::Sym: return a.sym == b.sym;
    case Type::Ename: return a.i == b.i;
    default: return a.node == b.node;
    }
}

bool isEqual(const Value& a, const Value& b, double fuzz)
{
    return equalAt(a, b, fuzz, 0);
}

}  // namespace lisp
