#pragma once
// AutoLISP data: integers (32-bit), reals, strings, symbols, lists, functions
// and the ActiveX values (objects, variants, safearrays). Lists are shared,
// reference-counted cons cells; AutoLISP has no destructive list operations,
// so no cycles can form and reference counting frees everything.
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace lisp {

class Interpreter;
struct Symbol;
struct Node;

struct Limits {
    static constexpr int kReadDepth = 2000;  // nesting of parentheses in source text
    static constexpr qsizetype kMaxString = 1 << 20;  // characters in one string
    static constexpr qsizetype kMaxToken = 4096;  // characters in one symbol or number
    static constexpr quintptr kStackBytes = 2 * 1024 * 1024;  // machine stack for nested evaluation
    static constexpr qint64 kFileBytes = 64 * 1024 * 1024;  // a LISP file to load
    static constexpr qint64 kMaxCells = 2'000'000;  // list cells alive at once (about 200 MB)
    static constexpr qint64 kMaxStringChars = 64 * 1024 * 1024;  // characters in all strings alive at once
};

// An ENAME holds its entity handle in i; a PICKSET is a PickSetNode.
enum class Type { Nil, Int, Real, Str, Sym, List, Subr, Usubr, VlaObject, Variant, SafeArray, Ename, PickSet };

struct Value {
    Type type = Type::Nil;
    qint32 i = 0;
    double r = 0;
    Symbol* sym = nullptr;
    std::shared_ptr<Node> node;

    bool isNil() const { return type == Type::Nil; }
    bool isNumber() const { return type == Type::Int || type == Type::Real; }
    bool isList() const { return type == Type::Nil || type == Type::List; }
    double number() const { return type == Type::Int ? double(i) : r; }
};

struct Node {
    virtual ~Node() = default;
};

struct Cons : Node {
    Value car, cdr;
    Cons();
    ~Cons() override;  // frees long and deep lists without recursion
    static qint64 alive();
};

struct StrNode : Node {
    explicit StrNode(QString s);
    ~StrNode() override;
    const QString text;
    static qint64 charactersAlive();
};

using Args = std::vector<Value>;

struct Builtin : Node {
    using Fn = std::function<Value(Interpreter&, Args&)>;
    using SpecialFn = Value (*)(Interpreter&, const Value& form);
    QString name;
    Fn fn = nullptr;
    SpecialFn special = nullptr;  // gets the whole unevaluated form
};

struct Function : Node {
    QString name;  // empty for a lambda
    std::vector<Symbol*> params, locals;
    Value body;  // list of forms
};

// An object of the CAD's object model, named by its automation path.
struct VlaNode : Node {
    QString path;
    QString interfaceName;
};

struct SafeArrayNode : Node {
    int elementType = 5;  // vlax-vbDouble
    QList<double> doubles;
};

struct VariantNode : Node {
    int variantType = 0;
    Value value;
};

// A selection set: entity handles in the order they were selected.
struct PickSetNode : Node {
    QList<quint64> handles;
};

struct Symbol {
    QString name;  // upper case
    Value value;
};

// An error as AutoLISP reports it: the text after "; error: ".
struct LispError : std::runtime_error {
    explicit LispError(const QString& message) : std::runtime_error(message.toStdString()), text(message) {}
    QString text;
};

// A value of the given type that holds the node.
Value nodeValue(Type type, std::shared_ptr<Node> node);
Value makeInt(qint32 v);
Value makeReal(double v);
Value makeString(const QString& text);
Value makeSymbol(Symbol* s);
Value cons(Value car, Value cdr);
Value makeList(const std::vector<Value>& items);

inline const Cons& cell(const Value& v) { return static_cast<const Cons&>(*v.node); }
inline const QString& stringOf(const Value& v) { return static_cast<const StrNode&>(*v.node).text; }
inline const Value& car(const Value& v) { return v.type == Type::List ? cell(v).car : v; }
inline Value cdrOf(const Value& v) { return v.type == Type::List ? cell(v).cdr : Value{}; }

// Builds a proper list front to back.
class ListBuilder {
public:
    void add(Value v);
    Value take() { return std::move(m_head); }

private:
    Value m_head;
    Cons* m_tail = nullptr;
};

// Printed as prin1 (quoted strings with escapes) or princ (raw strings).
QString printValue(const Value& v, bool quoted);
QString printReal(double v);
bool isEqual(const Value& a, const Value& b, double fuzz = 0);
bool isEq(const Value& a, const Value& b);

}  // namespace lisp
