// Entities as AutoLISP sees them: enames, DXF association lists (entget,
// entmod, entmake) and selection sets (ssget). Every change goes through the
// host's undo, so a command's changes undo as its one step.
#include "cadhost/lisp/HostHooks.h"

#include <QRegularExpression>
#include <cmath>

namespace lisp {

namespace {

Value makeEname(quint64 handle)
{
    Value v;
    v.type = Type::Ename;
    v.i = qint32(handle);
    return v;
}

quint64 enameArg(const Value& v)
{
    if (v.type != Type::Ename) badArgument("lentityp", v);
    return quint64(quint32(v.i));
}

Value pair(int code, Value v) { return cons(makeInt(code), std::move(v)); }

Value point3(double x, double y) { return makeList({makeReal(x), makeReal(y), makeReal(0.0)}); }

QString typeName(EntityType t)
{
    switch (t) {
    case EntityType::Line: return "LINE";
    case EntityType::Polyline: return "LWPOLYLINE";
    case EntityType::Circle: return "CIRCLE";
    case EntityType::Arc: return "ARC";
    case EntityType::Text: return "TEXT";
    }
    return {};
}

std::optional<EntityType> typeFromName(const QString& name)
{
    const QString n = name.toUpper();
    if (n == "LINE") return EntityType::Line;
    if (n == "LWPOLYLINE" || n == "POLYLINE") return EntityType::Polyline;
    if (n == "CIRCLE") return EntityType::Circle;
    if (n == "ARC") return EntityType::Arc;
    if (n == "TEXT") return EntityType::Text;
    return std::nullopt;
}

Value entityList(const Entity& e)
{
    ListBuilder out;
    out.add(pair(-1, makeEname(e.handle)));
    out.add(pair(0, makeString(typeName(e.type))));
    out.add(pair(5, makeString(QString::number(e.handle, 16).toUpper())));
    out.add(pair(8, makeString(e.layer)));
    if (e.color != 256) out.add(pair(62, makeInt(e.color)));
    if (!e.visible) out.add(pair(60, makeInt(1)));
    switch (e.type) {
    case EntityType::Line:
        out.add(cons(makeInt(10), point3(e.points[0].x, e.points[0].y)));
        out.add(cons(makeInt(11), point3(e.points[1].x, e.points[1].y)));
        break;
    case EntityType::Polyline:
        out.add(pair(90, makeInt(qint32(e.points.size()))));
        out.add(pair(70, makeInt(e.closed ? 1 : 0)));
        for (const Vertex& v : e.points) {
            out.add(cons(makeInt(10), makeList({makeReal(v.x), makeReal(v.y)})));
            out.add(pair(42, makeReal(v.bulge)));
        }
        break;
    case EntityType::Circle:
    case EntityType::Arc:
        out.add(cons(makeInt(10), point3(e.points[0].x, e.points[0].y)));
        out.add(pair(40, makeReal(e.radius)));
        if (e.type == EntityType::Arc) {
            out.add(pair(50, makeReal(e.startAngle)));
            out.add(pair(51, makeReal(e.endAngle)));
        }
        break;
    case EntityType::Text:
        out.add(cons(makeInt(10), point3(e.insertion.x(), e.insertion.y())));
        out.add(pair(40, makeReal(e.height)));
        out.add(pair(1, makeString(e.text)));
        out.add(pair(50, makeReal(e.rotation)));
        out.add(pair(41, makeReal(e.widthFactor)));
        out.add(pair(7, makeString("Standard")));
        out.add(pair(72, makeInt(e.hJust)));
        out.add(cons(makeInt(11), point3(e.alignmentPoint.x(), e.alignmentPoint.y())));
        out.add(pair(73, makeInt(e.vJust)));
        break;
    }
    return out.take();
}

double realOf(const Value& v) { return numberArg(v); }

QPointF pointOf(const Value& v)
{
    const std::optional<QPointF> p = pointFromValue(v);
    if (!p) badArgument("point", v);
    return *p;
}

// Applies the groups of a DXF list to the entity; polyline vertices of the
// list replace the entity's when the list has any.
void applyGroups(Entity& e, Value list)
{
    QList<Vertex> vertices;
    for (; list.type == Type::List; list = cell(list).cdr) {
        const Value& group = cell(list).car;
        if (group.type != Type::List || car(group).type != Type::Int) badArgument("consp", group);
        const int code = car(group).i;
        const Value value = cdrOf(group);
        switch (code) {
        case 8: e.layer = stringArg(value); break;
        case 62: e.color = intArg(value); break;
        case 60: e.visible = intArg(value) == 0; break;
        case 1: e.text = stringArg(value).left(1024); break;
        case 40: (e.type == EntityType::Text ? e.height : e.radius) = realOf(value); break;
        case 41: e.widthFactor = std::clamp(realOf(value), 0.01, 100.0); break;
        case 50: (e.type == EntityType::Text ? e.rotation : e.startAngle) = realOf(value); break;
        case 51: e.endAngle = realOf(value); break;
        case 70: e.closed = (intArg(value) & 1) != 0; break;
        case 72: e.hJust = intArg(value); break;
        case 73: e.vJust = intArg(value); break;
        case 42: if (!vertices.isEmpty()) vertices.last().bulge = realOf(value); break;
        case 10: {
            const QPointF p = pointOf(value);
            if (e.type == EntityType::Text) e.insertion = p;
            else if (e.type == EntityType::Polyline) vertices << Vertex{p.x(), p.y(), 0};
            else e.points[0] = Vertex{p.x(), p.y(), 0};
            break;
        }
        case 11: {
            const QPointF p = pointOf(value);
            if (e.type == EntityType::Text) e.alignmentPoint = p;
            else if (e.type == EntityType::Line) e.points[1] = Vertex{p.x(), p.y(), 0};
            break;
        }
        default: break;  // groups the host does not keep
        }
    }
    if (!vertices.isEmpty()) e.points = vertices;
    // A text placed by its left baseline end keeps its alignment point with it.
    if (e.type == EntityType::Text && e.hJust == 0 && e.vJust == 0) e.alignmentPoint = e.insertion;
}

// A wildcard pattern of AutoLISP's wcmatch kind, reduced to what filters use:
// comma-separated alternatives with * and ?, compared without case.
bool wildcardMatch(const QString& pattern, const QString& text)
{
    for (const QString& alt : pattern.split(',')) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(alt.trimmed()),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(text).hasMatch()) return true;
    }
    return false;
}

bool passesFilter(const Entity& e, Value filter)
{
    for (; filter.type == Type::List; filter = cell(filter).cdr) {
        const Value& group = cell(filter).car;
        if (group.type != Type::List || car(group).type != Type::Int) continue;
        const Value value = cdrOf(group);
        switch (car(group).i) {
        case 0: if (!wildcardMatch(stringArg(value), typeName(e.type)) &&
                    !(e.type == EntityType::Polyline && wildcardMatch(stringArg(value), "POLYLINE"))) return false;
                break;
        case 8: if (!wildcardMatch(stringArg(value), e.layer)) return false; break;
        case 62: if (e.color != intArg(value)) return false; break;
        default: break;
        }
    }
    return true;
}

Value pickSet(QList<quint64> handles)
{
    if (handles.isEmpty()) return {};
    auto node = std::make_shared<PickSetNode>();
    node->handles = std::move(handles);
    return nodeValue(Type::PickSet, std::move(node));
}

const PickSetNode& pickSetArg(const Value& v)
{
    if (v.type != Type::PickSet) badArgument("lselsetp", v);
    return static_cast<const PickSetNode&>(*v.node);
}

struct Selector {
    HostState& state;
    const HostHooks& hooks;

    QList<quint64> select(const std::function<bool(const Entity&)>& take, const Value& filter) const
    {
        QList<quint64> out;
        for (const Entity& e : state.drawing.entities())
            if (take(e) && passesFilter(e, filter)) out << e.handle;
        return out;
    }
    // Entities lying wholly inside the window of the two corners.
    QList<quint64> window(QPointF a, QPointF b, const Value& filter) const
    {
        const QRectF box = QRectF(a, b).normalized();
        return select([&](const Entity& e) {
            const std::optional<QRectF> r = hooks.extent ? hooks.extent(e) : std::nullopt;
            // by coordinates: a horizontal line's box has no height, which QRectF::contains refuses
            return e.visible && r && r->left() >= box.left() && r->right() <= box.right() &&
                   r->top() >= box.top() && r->bottom() <= box.bottom();
        }, filter);
    }
    QList<quint64> all(const Value& filter) const
    {
        return select([](const Entity&) { return true; }, filter);
    }
    // "オブジェクトを選択:" answered by "ALL" or a window of two picks; Enter selects nothing.
    QList<quint64> interactive(const Value& filter) const
    {
        if (!hooks.ask) throw LispError("Function cancelled");
        for (;;) {
            const std::optional<PromptAnswer> first = hooks.ask("オブジェクトを選択:", true, std::nullopt);
            if (!first) throw LispError("Function cancelled");
            if (first->typed.trimmed().compare("ALL", Qt::CaseInsensitive) == 0 ||
                first->typed.trimmed().compare("_ALL", Qt::CaseInsensitive) == 0)
                return all(filter);
            if (first->typed.trimmed().isEmpty() && !first->pick) return {};
            const std::optional<QPointF> a = pointFromAnswer(*first);
            if (!a) continue;  // not understood: asked again, as a CAD does
            const std::optional<PromptAnswer> second = hooks.ask("もう一方のコーナーを指定:", true, a);
            if (!second) throw LispError("Function cancelled");
            if (const std::optional<QPointF> b = pointFromAnswer(*second)) return window(*a, *b, filter);
        }
    }
};

}  // namespace

void addEntityFunctions(Interpreter& in, HostState& state, const HostHooks& hooks)
{
    in.defineFunction("ENTGET", [&state](Interpreter&, Args& a) {
        needArgs(a, 1, 2);
        const Entity* e = state.drawing.entity(enameArg(a[0]));
        return e ? entityList(*e) : Value{};
    });
    in.defineFunction("ENTLAST", [&state](Interpreter&, Args& a) {
        needArgs(a, 0, 0);
        const QList<Entity>& all = state.drawing.entities();
        return all.isEmpty() ? Value{} : makeEname(all.last().handle);
    });
    in.defineFunction("ENTUPD", [&state](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return state.drawing.entity(enameArg(a[0])) ? a[0] : Value{};
    });
    in.defineFunction("ENTMOD", [&state](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        needList(a[0]);
        Value list = a[0];
        Value head;
        for (; list.type == Type::List; list = cell(list).cdr) {
            const Value& g = cell(list).car;
            if (g.type == Type::List && car(g).type == Type::Int && car(g).i == -1) head = cdrOf(g);
        }
        if (head.type != Type::Ename) return Value{};
        const quint64 handle = enameArg(head);
        const Entity* current = state.drawing.entity(handle);
        if (!current) return Value{};
        Entity changed = *current;
        applyGroups(changed, a[0]);
        if (changed.type == EntityType::Text && !(changed.height > 0)) return Value{};
        state.undo.aboutToChangeEntity(state.drawing, handle);
        *state.drawing.entity(handle) = changed;
        return a[0];
    });
    in.defineFunction("ENTMAKE", [&state](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        needList(a[0]);
        std::optional<EntityType> type;
        for (Value list = a[0]; list.type == Type::List; list = cell(list).cdr) {
            const Value& g = cell(list).car;
            if (g.type == Type::List && car(g).type == Type::Int && car(g).i == 0 && cdrOf(g).type == Type::Str)
                type = typeFromName(stringOf(cdrOf(g)));
        }
        if (!type) return Value{};
        Entity e;
        e.type = *type;
        if (e.type == EntityType::Line) e.points = {Vertex{}, Vertex{}};
        if (e.type == EntityType::Circle || e.type == EntityType::Arc) e.points = {Vertex{}};
        applyGroups(e, a[0]);
        if (e.type == EntityType::Text && !(e.height > 0)) return Value{};
        if (e.type == EntityType::Polyline && e.points.size() < 2) return Value{};
        if (state.drawing.layerIndex(e.layer) < 0) {
            state.undo.aboutToChange(state.drawing);  // a new layer: the step keeps the drawing before it
            state.drawing.addLayer(e.layer);
        }
        state.undo.entityAdded(state.drawing.addEntity(e));
        return a[0];
    });
    in.defineFunction("ENTDEL", [&state](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        const quint64 handle = enameArg(a[0]);
        if (!state.drawing.entity(handle)) return Value{};
        state.undo.aboutToChange(state.drawing);
        state.drawing.removeEntity(handle);
        return a[0];
    });

    in.defineFunction("SSGET", [&state, &hooks](Interpreter&, Args& a) {
        needArgs(a, 0, 4);
        const Selector s{state, hooks};
        if (a.empty()) return pickSet(s.interactive({}));
        if (a[0].type == Type::List) {  // (ssget filter)
            needArgs(a, 1, 1);
            return pickSet(s.interactive(a[0]));
        }
        const QString mode = stringArg(a[0]).toUpper().remove('_');
        if (mode == "X") {
            needArgs(a, 1, 2);
            return pickSet(s.all(a.size() > 1 ? a[1] : Value{}));
        }
        if (mode == "W") {
            needArgs(a, 3, 4);
            return pickSet(s.window(pointOf(a[1]), pointOf(a[2]), a.size() > 3 ? a[3] : Value{}));
        }
        throw LispError("bad argument type: ssget mode: " + printValue(a[0], true));
    });
    in.defineFunction("SSLENGTH", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return makeInt(qint32(pickSetArg(a[0]).handles.size()));
    });
    in.defineFunction("SSNAME", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        const QList<quint64>& handles = pickSetArg(a[0]).handles;
        const qint32 i = intArg(a[1]);
        return i >= 0 && i < handles.size() ? makeEname(handles[i]) : Value{};
    });
    in.defineFunction("VLAX-ENAME->VLA-OBJECT", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        auto node = std::make_shared<VlaNode>();
        node->path = "/Documents/1/Entities/" + QString::number(enameArg(a[0]), 16).toUpper();
        node->interfaceName = "IAcadEntity";
        return nodeValue(Type::VlaObject, std::move(node));
    });
}

std::optional<QPointF> pointFromValue(const Value& v)
{
    if (v.type != Type::List) return std::nullopt;
    const Value& x = car(v);
    const Value rest = cdrOf(v);
    if (!x.isNumber() || rest.type != Type::List || !car(rest).isNumber()) return std::nullopt;
    return QPointF(x.number(), car(rest).number());
}

Value pointValue(QPointF p) { return point3(p.x(), p.y()); }

std::optional<QPointF> pointFromAnswer(const PromptAnswer& answer)
{
    if (answer.pick) return answer.pick;
    const QStringList parts = answer.typed.trimmed().split(',');
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    bool okX = false, okY = false, okZ = true;
    const double x = parts[0].toDouble(&okX), y = parts[1].toDouble(&okY);
    if (parts.size() == 3) parts[2].toDouble(&okZ);
    if (!okX || !okY || !okZ || !std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    return QPointF(x, y);
}

}  // namespace lisp
