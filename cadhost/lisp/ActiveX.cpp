#include "cadhost/lisp/ActiveX.h"

#include <QDBusObjectPath>
#include <QDBusVariant>

namespace lisp {

namespace {

constexpr int kVbDouble = 5;
constexpr int kVariantDoubleArray = 0x2000 | kVbDouble;  // vlax-vbArray + vlax-vbDouble

// Automation member names are case-sensitive, LISP names are not: the members the host serves.
const char* const kProperties[] = {"ActiveDocument", "ModelSpace", "Layers", "Utility", "HWND", "WindowState",
                                   "Color", "Layer", "ScaleFactor", "Rotation", "Alignment", "InsertionPoint",
                                   "TextAlignmentPoint", "TextString", "Height", "Visible", "Name", "Count"};

struct Method {
    const char* name;
    int outArgs;  // trailing arguments that are quoted symbols receiving the results
    bool variantResult;  // the result comes back wrapped in a variant
};
const Method kMethods[] = {{"Add", 0, false}, {"AddText", 0, false}, {"Item", 0, false},
                           {"GetBoundingBox", 2, false}, {"Rotate", 0, false}, {"GetVariable", 0, true},
                           {"SetVariable", 0, false}, {"SendCommand", 0, false}, {"StartUndoMark", 0, false},
                           {"EndUndoMark", 0, false}, {"Regen", 0, false}, {"ZoomCenter", 0, false}};

QString interfaceFor(const QString& path)
{
    if (path == "/Application") return "IAcadApplication";
    if (path.endsWith("/ModelSpace")) return "IAcadModelSpace";
    if (path.endsWith("/Layers")) return "IAcadLayers";
    if (path.endsWith("/Utility")) return "IAcadUtility";
    if (path.contains("/Layers/")) return "IAcadLayer";
    if (path.contains("/Entities/")) return "IAcadText";
    return "IAcadDocument";
}

Value makeObject(const QString& path)
{
    auto node = std::make_shared<VlaNode>();
    node->path = path;
    node->interfaceName = interfaceFor(path);
    return nodeValue(Type::VlaObject, std::move(node));
}

Value makeSafeArray(QList<double> xs)
{
    auto node = std::make_shared<SafeArrayNode>();
    node->elementType = kVbDouble;
    node->doubles = std::move(xs);
    return nodeValue(Type::SafeArray, std::move(node));
}

Value makeVariant(int type, Value inner)
{
    auto node = std::make_shared<VariantNode>();
    node->variantType = type;
    node->value = std::move(inner);
    return nodeValue(Type::Variant, std::move(node));
}

const QString& objectPath(const Value& v)
{
    if (v.type != Type::VlaObject) badArgument("VLA-OBJECT", v);
    return static_cast<const VlaNode&>(*v.node).path;
}

QVariant toAutomation(Interpreter& in, const Value& v)
{
    switch (v.type) {
    case Type::Int: return v.i;
    case Type::Real: return v.r;
    case Type::Str: return stringOf(v);
    case Type::SafeArray: return QVariant::fromValue(static_cast<const SafeArrayNode&>(*v.node).doubles);
    case Type::Variant: return toAutomation(in, static_cast<const VariantNode&>(*v.node).value);
    case Type::Sym:
        if (v.sym == in.intern(":VLAX-TRUE")) return true;
        if (v.sym == in.intern(":VLAX-FALSE")) return false;
        break;
    default: break;
    }
    throw LispError("lisp value has no coercion to VARIANT with this type:  " + printValue(v, true));
}

Value fromAutomation(Interpreter& in, const QVariant& raw)
{
    const QVariant v = raw.userType() == qMetaTypeId<QDBusVariant>() ? raw.value<QDBusVariant>().variant() : raw;
    if (v.userType() == qMetaTypeId<QDBusObjectPath>()) return makeObject(v.value<QDBusObjectPath>().path());
    if (v.userType() == qMetaTypeId<QList<double>>()) return makeVariant(kVariantDoubleArray, makeSafeArray(v.value<QList<double>>()));
    switch (v.metaType().id()) {
    case QMetaType::Bool: return makeSymbol(in.intern(v.toBool() ? ":VLAX-TRUE" : ":VLAX-FALSE"));
    case QMetaType::Double: return makeReal(v.toDouble());
    case QMetaType::QString: return makeString(v.toString());
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::LongLong: case QMetaType::ULongLong: {
        const qint64 i = v.toLongLong();
        if (i >= INT32_MIN && i <= INT32_MAX) return makeInt(qint32(i));
        return makeReal(double(i));  // window handles beyond 32 bits
    }
    default: return {};
    }
}

ObjectReply callObject(const ObjectCall& objects, const QString& path, const QString& kind, const QString& member,
                       const QVariantList& args)
{
    if (!objects) throw LispError("Automation Error. No CAD objects are available");
    ObjectReply reply = objects(path, kind, member, args);
    if (!reply.error.isEmpty()) throw LispError("Automation Error. " + reply.error);
    return reply;
}

Value invoke(Interpreter& in, const ObjectCall& objects, const Method& m, Args& a)
{
    if (a.empty()) throw LispError("too few arguments");
    const QString& path = objectPath(a[0]);
    const size_t inputs = a.size() - 1 - size_t(std::max(0, m.outArgs));
    if (a.size() < 1 + size_t(m.outArgs)) throw LispError("too few arguments");
    QVariantList args;
    for (size_t k = 1; k <= inputs; ++k) args << toAutomation(in, a[k]);
    std::vector<Symbol*> outs;
    for (size_t k = 1 + inputs; k < a.size(); ++k) outs.push_back(symbolArg(a[k]));
    const ObjectReply reply = callObject(objects, path, "Invoke", m.name, args);
    if (!outs.empty()) {
        for (size_t k = 0; k < outs.size(); ++k) {
            Value v = k < size_t(reply.values.size()) ? fromAutomation(in, reply.values[k]) : Value{};
            // out arguments receive the bare safearray, as Visual LISP gives them
            if (v.type == Type::Variant) v = static_cast<const VariantNode&>(*v.node).value;
            in.assign(outs[k], v);
        }
        return {};
    }
    if (reply.values.isEmpty()) return {};
    Value result = fromAutomation(in, reply.values.first());
    if (m.variantResult && result.type != Type::Variant) result = makeVariant(result.type == Type::Real ? kVbDouble : (result.type == Type::Str ? 8 : 3), result);
    return result;
}

QList<double> pointFromArgs(const Args& a)
{
    QList<double> xs;
    if (a.size() == 1) {
        for (Value rest = a[0]; rest.type == Type::List; rest = cell(rest).cdr) xs << numberArg(cell(rest).car);
        if (!a[0].isList() || xs.size() < 2 || xs.size() > 3) throw LispError("bad argument type: 2D/3D point: " + printValue(a[0], true));
    } else {
        needArgs(a, 2, 3);
        for (const Value& v : a) xs << numberArg(v);
    }
    if (xs.size() == 2) xs << 0.0;
    return xs;
}

const Method* findMethod(const QString& name)
{
    for (const Method& m : kMethods)
        if (name.compare(m.name, Qt::CaseInsensitive) == 0) return &m;
    return nullptr;
}

QString findProperty(const QString& name)
{
    for (const char* p : kProperties)
        if (name.compare(p, Qt::CaseInsensitive) == 0) return p;
    throw LispError("Automation Error. Unknown name: " + name);
}

QString nameArg(const Value& v)
{
    if (v.type == Type::Sym) return v.sym->name;
    return stringArg(v);
}

}  // namespace

void addActiveXFunctions(Interpreter& in, const ObjectCall& objects)
{
    for (const char* name : {":VLAX-TRUE", ":VLAX-FALSE"}) in.intern(name)->value = makeSymbol(in.intern(name));
    in.defineFunction("VL-LOAD-COM", [](Interpreter&, Args& a) {
        needArgs(a, 0, 0);
        return Value{};
    });
    in.defineFunction("VLAX-GET-ACAD-OBJECT", [](Interpreter&, Args& a) {
        needArgs(a, 0, 0);
        return makeObject("/Application");
    });
    for (const char* property : kProperties) {
        const QString member = property;
        in.defineFunction("VLA-GET-" + member, [&objects, member](Interpreter& in, Args& a) {
            needArgs(a, 1, 1);
            const ObjectReply reply = callObject(objects, objectPath(a[0]), "Get", member, {});
            return reply.values.isEmpty() ? Value{} : fromAutomation(in, reply.values.first());
        });
        in.defineFunction("VLA-PUT-" + member, [&objects, member](Interpreter& in, Args& a) {
            needArgs(a, 2, 2);
            callObject(objects, objectPath(a[0]), "Put", member, {toAutomation(in, a[1])});
            return Value{};
        });
    }
    for (const Method& m : kMethods) {
        const Method* method = &m;
        in.defineFunction(QString("VLA-") + m.name, [&objects, method](Interpreter& in, Args& a) {
            return invoke(in, objects, *method, a);
        });
    }
    in.defineFunction("VLAX-GET-PROPERTY", [&objects](Interpreter& in, Args& a) {
        needArgs(a, 2, 2);
        const ObjectReply reply = callObject(objects, objectPath(a[0]), "Get", findProperty(nameArg(a[1])), {});
        return reply.values.isEmpty() ? Value{} : fromAutomation(in, reply.values.first());
    });
    in.defineFunction("VLAX-PUT-PROPERTY", [&objects](Interpreter& in, Args& a) {
        needArgs(a, 3, 3);
        callObject(objects, objectPath(a[0]), "Put", findProperty(nameArg(a[1])), {toAutomation(in, a[2])});
        return Value{};
    });
    in.defineFunction("VLAX-INVOKE-METHOD", [&objects](Interpreter& in, Args& a) {
        needArgs(a, 2, SIZE_MAX);
        const QString name = nameArg(a[1]);
        const Method* m = findMethod(name);
        if (!m) throw LispError("Automation Error. Unknown name: " + name);
        Args rest{a[0]};
        rest.insert(rest.end(), a.begin() + 2, a.end());
        return invoke(in, objects, *m, rest);
    });
    in.defineFunction("VLAX-3D-POINT", [](Interpreter&, Args& a) {
        return makeVariant(kVariantDoubleArray, makeSafeArray(pointFromArgs(a)));
    });
    in.defineFunction("VLAX-SAFEARRAY->LIST", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        if (a[0].type != Type::SafeArray) badArgument("safearrayp", a[0]);
        ListBuilder out;
        for (double x : static_cast<const SafeArrayNode&>(*a[0].node).doubles) out.add(makeReal(x));
        return out.take();
    });
    in.defineFunction("VLAX-VARIANT-VALUE", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        if (a[0].type != Type::Variant) badArgument("variantp", a[0]);
        return static_cast<const VariantNode&>(*a[0].node).value;
    });
    in.defineFunction("VLAX-VARIANT-TYPE", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        if (a[0].type != Type::Variant) badArgument("variantp", a[0]);
        return makeInt(static_cast<const VariantNode&>(*a[0].node).variantType);
    });
}

}  // namespace lisp
