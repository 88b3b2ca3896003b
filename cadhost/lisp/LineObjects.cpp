// Visual LISP objects of entities the host's object model does not serve
// (it serves TEXT only): vla-get-/vla-put- StartPoint and EndPoint of a
// LINE, Layer and Color of any such entity, and vla-delete of any entity,
// worked directly on the drawing with undo. Texts still go to the object model.
#include "cadhost/lisp/HostHooks.h"

namespace lisp {

namespace {

const QString kEntities = "/Documents/1/Entities/";

// The entity an object names, when it is one.
Entity* entityOf(HostState& state, const Value& v)
{
    if (v.type != Type::VlaObject) return nullptr;
    const QString& path = static_cast<const VlaNode&>(*v.node).path;
    if (!path.startsWith(kEntities)) return nullptr;
    bool ok = false;
    const quint64 handle = path.mid(kEntities.size()).toULongLong(&ok, 16);
    return ok ? state.drawing.entity(handle) : nullptr;
}

Value pointVariant(const Vertex& p)
{
    auto array = std::make_shared<SafeArrayNode>();
    array->doubles = {p.x, p.y, 0.0};
    auto variant = std::make_shared<VariantNode>();
    variant->variantType = 0x2000 | 5;  // an array of doubles
    variant->value = nodeValue(Type::SafeArray, std::move(array));
    return nodeValue(Type::Variant, std::move(variant));
}

Vertex pointArg(const Value& v)
{
    Value inner = v.type == Type::Variant ? static_cast<const VariantNode&>(*v.node).value : v;
    if (inner.type != Type::SafeArray || static_cast<const SafeArrayNode&>(*inner.node).doubles.size() < 2)
        throw LispError("lisp value has no coercion to VARIANT with this type:  " + printValue(v, true));
    const QList<double>& xs = static_cast<const SafeArrayNode&>(*inner.node).doubles;
    return Vertex{xs[0], xs[1], 0};
}

}  // namespace

void addLineObjects(Interpreter& in, HostState& state)
{
    for (int end = 0; end < 2; ++end) {
        const QString name = end == 0 ? "STARTPOINT" : "ENDPOINT";
        in.defineFunction("VLA-GET-" + name, [&state, end](Interpreter&, Args& a) {
            needArgs(a, 1, 1);
            const Entity* e = entityOf(state, a[0]);
            if (!e || e->type != EntityType::Line) badArgument("VLA-OBJECT", a[0]);
            return pointVariant(e->points[end]);
        });
        in.defineFunction("VLA-PUT-" + name, [&state, end](Interpreter&, Args& a) {
            needArgs(a, 2, 2);
            Entity* e = entityOf(state, a[0]);
            if (!e || e->type != EntityType::Line) badArgument("VLA-OBJECT", a[0]);
            const Vertex p = pointArg(a[1]);
            state.undo.aboutToChangeEntity(state.drawing, e->handle);
            state.drawing.entity(e->handle)->points[end] = p;
            return Value{};
        });
    }
    // Layer and Color of entities other than texts; texts keep the object model's.
    const std::pair<const char*, bool> wrapped[] = {{"VLA-GET-LAYER", false}, {"VLA-PUT-LAYER", true},
                                                    {"VLA-GET-COLOR", false}, {"VLA-PUT-COLOR", true}};
    for (const auto& [name, put] : wrapped) {
        const Value previous = in.intern(name)->value;
        const bool layer = QString(name).endsWith("LAYER");
        const bool isPut = put;
        in.defineFunction(name, [&state, previous, layer, isPut](Interpreter& in, Args& a) {
            Entity* e = a.empty() ? nullptr : entityOf(state, a[0]);
            if (!e || e->type == EntityType::Text) return in.apply(previous, a);
            needArgs(a, isPut ? 2 : 1, isPut ? 2 : 1);
            if (!isPut) return layer ? makeString(e->layer) : makeInt(e->color);
            const quint64 handle = e->handle;
            if (layer) {
                const QString name = stringArg(a[1]);
                if (state.drawing.layerIndex(name) < 0) throw LispError("Automation Error. Key not found");
                state.undo.aboutToChangeEntity(state.drawing, handle);
                state.drawing.entity(handle)->layer = name;
            } else {
                const qint32 color = intArg(a[1]);
                if (color < 0 || color > 256) throw LispError("Automation Error. Invalid argument");
                state.undo.aboutToChangeEntity(state.drawing, handle);
                state.drawing.entity(handle)->color = color;
            }
            return Value{};
        });
    }
    in.defineFunction("VLA-DELETE", [&state](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const Entity* e = entityOf(state, a[0]);
        if (!e) badArgument("VLA-OBJECT", a[0]);
        state.undo.aboutToChange(state.drawing);
        state.drawing.removeEntity(e->handle);
        return Value{};
    });
}

}  // namespace lisp
