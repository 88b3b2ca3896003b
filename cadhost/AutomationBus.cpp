#include "cadhost/AutomationBus.h"

#include "cadhost/DxfFile.h"
#include "cadhost/TextGeometry.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

namespace {

const QString kInterface = "org.mirtex.Automation";
const QString kTestInterface = "org.mirtex.CadHostTest";
const QString kDocPath = "/Documents/1";
const QString kError = "org.mirtex.Automation.Error.";

QDBusMessage error(const QDBusMessage& m, const QString& name, const QString& text)
{
    return m.createErrorReply(kError + name, text);
}

QVariant unwrap(const QVariant& v)
{
    if (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        return unwrap(v.value<QDBusVariant>().variant());
    return v;
}

std::optional<qint64> toInteger(const QVariant& raw)
{
    const QVariant v = unwrap(raw);
    switch (v.metaType().id()) {
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Int: case QMetaType::UInt:
    case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::UChar: case QMetaType::Bool:
        return v.toLongLong();
    default:
        return std::nullopt;
    }
}

std::optional<double> toReal(const QVariant& raw)
{
    const QVariant v = unwrap(raw);
    if (v.metaType().id() == QMetaType::Double) return v.toDouble();
    if (auto i = toInteger(v)) return double(*i);
    return std::nullopt;
}

std::optional<QString> toText(const QVariant& raw)
{
    const QVariant v = unwrap(raw);
    if (v.metaType().id() == QMetaType::QString) return v.toString();
    return std::nullopt;
}

std::optional<QPointF> toPoint(const QVariant& raw)
{
    const QVariant v = unwrap(raw);
    QList<double> xs;
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentSignature() != "ad") return std::nullopt;
        xs = qdbus_cast<QList<double>>(arg);
    } else if (v.userType() == qMetaTypeId<QList<double>>()) {
        xs = v.value<QList<double>>();
    } else {
        return std::nullopt;
    }
    if (xs.size() < 2 || xs.size() > 3) return std::nullopt;
    return QPointF(xs[0], xs[1]);
}

QVariant point3(QPointF p) { return QVariant::fromValue(QList<double>{p.x(), p.y(), 0.0}); }

QVariantList invokeArgs(const QDBusMessage& m, bool& ok)
{
    ok = false;
    if (m.arguments().size() != 2) return {};
    const QVariant v = m.arguments()[1];
    QVariantList out;
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentSignature() != "av") return {};
        out = qdbus_cast<QVariantList>(arg);
    } else if (v.metaType().id() == QMetaType::QVariantList) {
        out = v.toList();
    } else {
        return {};
    }
    for (QVariant& x : out) x = unwrap(x);
    ok = true;
    return out;
}

QDBusMessage getReply(const QDBusMessage& m, const QVariant& value)
{
    return m.createReply(QVariant::fromValue(QDBusVariant(value)));
}

QDBusMessage invokeReply(const QDBusMessage& m, const QVariantList& results = {})
{
    return m.createReply(QVariant(results));  // a QVariantList travels as av
}

QJsonArray pointJson(QPointF p) { return QJsonArray{p.x(), p.y(), 0.0}; }

const char* typeName(EntityType t)
{
    switch (t) {
    case EntityType::Line: return "LINE";
    case EntityType::Polyline: return "POLYLINE";
    case EntityType::Circle: return "CIRCLE";
    case EntityType::Arc: return "ARC";
    case EntityType::Text: return "TEXT";
    }
    return "";
}

QString handlePath(quint64 handle) { return kDocPath + "/Entities/" + QString::number(handle, 16).toUpper(); }

}  // namespace

AutomationBus::AutomationBus(HostState& state, HostUi& ui, QDBusConnection connection)
    : m_state(state), m_ui(ui), m_connection(connection)
{
    qDBusRegisterMetaType<QList<double>>();
    qDBusRegisterMetaType<QList<QList<double>>>();
}

QString AutomationBus::introspect(const QString&) const
{
    return {};
}

std::optional<QPointF> AutomationBus::takeAnsweredPick()
{
    if (m_answers.isEmpty()) return std::nullopt;
    return m_answers.takeFirst();
}

lisp::ObjectReply AutomationBus::callInProcess(const QString& path, const QString& kind, const QString& member,
                                               const QVariantList& args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, kInterface, kind);
    QVariantList arguments{member};
    if (kind == "Invoke") arguments << QVariant(args);
    else arguments << args;
    call.setArguments(arguments);
    const int failCount = std::exchange(m_failCount, 0);  // injected failures are meant for bus clients
    bool delayed = false;
    const QDBusMessage reply = dispatch(call, delayed);
    m_failCount = failCount;
    lisp::ObjectReply out;
    if (delayed) out.error = "Failed: picks are not available to LISP here";
    else if (reply.type() == QDBusMessage::ErrorMessage) out.error = reply.errorName().section('.', -1) + ": " + reply.errorMessage();
    else if (kind == "Invoke" && !reply.arguments().isEmpty()) out.values = reply.arguments().first().toList();
    else out.values = reply.arguments();
    return out;
}

bool AutomationBus::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    bool delayed = false;
    const QDBusMessage reply = dispatch(message, delayed);
    if (!delayed) connection.send(reply);
    return true;
}

QDBusMessage AutomationBus::dispatch(const QDBusMessage& m, bool& delayed)
{
    const QString path = m.path();
    if (path == "/Test" && m.interface() == kTestInterface) return handleTest(m);
    if (m.interface() != kInterface)
        return m.createErrorReply("org.freedesktop.DBus.Error.UnknownInterface", m.interface());
    const QString kind = m.member();
    if (kind != "Get" && kind != "Put" && kind != "Invoke")
        return m.createErrorReply("org.freedesktop.DBus.Error.UnknownMethod", kind);
    if (m_failCount > 0) {
        --m_failCount;
        return m_failKind == "reject" ? error(m, "Rejected", "rejected") : error(m, "RetryLater", "busy");
    }
    if (m.arguments().isEmpty() || m.arguments()[0].metaType().id() != QMetaType::QString)
        return error(m, "BadArgument", "member name expected");
    const QString member = m.arguments()[0].toString();
    QVariantList args;
    if (kind == "Invoke") {
        bool ok = false;
        args = invokeArgs(m, ok);
        if (!ok) return error(m, "BadArgument", "arguments must be av");
    } else if (kind == "Put") {
        if (m.arguments().size() != 2) return error(m, "BadArgument", "value expected");
        args = {unwrap(m.arguments()[1])};
    } else if (m.arguments().size() != 1) {
        return error(m, "BadArgument", "Get takes the member name only");
    }

    if (path == "/Application") return application(m, kind, member, args);
    if (path == kDocPath) return document(m, kind, member, args);
    if (path == kDocPath + "/Utility" && kind == "Invoke") return utility(m, member, args, delayed);
    if (path == kDocPath + "/ModelSpace" && kind == "Invoke") return modelSpace(m, member, args);
    if (path == kDocPath + "/Layers") return layers(m, kind, member, args);
    if (path.startsWith(kDocPath + "/Layers/")) {
        bool ok = false;
        const int index = path.mid(kDocPath.size() + 8).toInt(&ok);
        if (ok && index >= 0 && index < m_state.drawing.layers().size()) return layer(m, index, kind, member, args);
    }
    if (path.startsWith(kDocPath + "/Entities/")) {
        bool ok = false;
        const quint64 handle = path.mid(kDocPath.size() + 10).toULongLong(&ok, 16);
        const Entity* e = ok ? m_state.drawing.entity(handle) : nullptr;
        if (e && e->type == EntityType::Text) return text(m, handle, kind, member, args);
        if (ok) return error(m, "Failed", "no text entity with that handle");
    }
    return error(m, "UnknownMember", QString("%1 on %2").arg(member, path));
}

QDBusMessage AutomationBus::application(const QDBusMessage& m, const QString& kind, const QString& member, const QVariantList& args)
{
    if (kind == "Get" && member == "ActiveDocument") return getReply(m, QVariant::fromValue(QDBusObjectPath(kDocPath)));
    if (kind == "Get" && member == "HWND") return getReply(m, QVariant::fromValue(m_ui.applicationWindowId()));
    if (kind == "Get" && member == "WindowState") return getReply(m, m_ui.windowState());
    if (kind == "Put" && member == "WindowState") {
        const auto s = toInteger(args[0]);
        if (!s || *s < 1 || *s > 3) return error(m, "BadArgument", "WindowState is 1, 2 or 3");
        m_ui.setWindowState(int(*s));
        return m.createReply();
    }
    if (kind == "Invoke" && member == "ZoomCenter") {
        const auto p = args.size() == 2 ? toPoint(args[0]) : std::nullopt;
        const auto h = args.size() == 2 ? toReal(args[1]) : std::nullopt;
        if (!p || !h || *h <= 0) return error(m, "BadArgument", "ZoomCenter(point, height)");
        m_state.viewFollowsExtents = false;
        m_state.view.center = *p;
        m_state.view.viewSize = *h;
        m_state.commandLog << QString("ZoomCenter: %1,%2 高さ %3").arg(p->x()).arg(p->y()).arg(*h);
        // Drawn anew before the reply, as a CAD does: the caller may draw over the view at once.
        if (QWidget* view = QWidget::find(WId(m_ui.drawingWindowId()))) view->repaint();
        else m_ui.refresh();
        return invokeReply(m);
    }
    return error(m, "UnknownMember", member);
}

QDBusMessage AutomationBus::document(const QDBusMessage& m, const QString& kind, const QString& member, const QVariantList& args)
{
    if (kind == "Get") {
        if (member == "Utility" || member == "ModelSpace" || member == "Layers")
            return getReply(m, QVariant::fromValue(QDBusObjectPath(kDocPath + "/" + member)));
        if (member == "HWND") return getReply(m, QVariant::fromValue(m_ui.drawingWindowId()));
        return error(m, "UnknownMember", member);
    }
    if (kind != "Invoke") return error(m, "UnknownMember", member);
    if (member == "GetVariable") {
        const auto name = args.size() == 1 ? toText(args[0]) : std::nullopt;
        if (!name) return error(m, "BadArgument", "GetVariable(name)");
        const QString n = name->toUpper();
        if (n == "VIEWSIZE") return invokeReply(m, {m_state.view.viewSize});
        if (n == "VIEWCTR") return invokeReply(m, {point3(m_state.view.center)});
        if (n == "SCREENSIZE")
            return invokeReply(m, {QVariant::fromValue(QList<double>{double(m_state.view.screen.width()), double(m_state.view.screen.height())})});
        if (m_state.intVariables.contains(n)) return invokeReply(m, {m_state.intVariables[n]});
        return error(m, "BadArgument", "unknown variable " + *name);
    }
    if (member == "SetVariable") {
        const auto name = args.size() == 2 ? toText(args[0]) : std::nullopt;
        const auto value = args.size() == 2 ? toInteger(args[1]) : std::nullopt;
        if (!name || !value || !m_state.intVariables.contains(name->toUpper()))
            return error(m, "BadArgument", "SetVariable(name, value) of a writable variable");
        m_state.intVariables[name->toUpper()] = int(*value);
        return invokeReply(m);
    }
    if (member == "SendCommand") {
        const auto t = args.size() == 1 ? toText(args[0]) : std::nullopt;
        if (!t) return error(m, "BadArgument", "SendCommand(text)");
        m_ui.sendCommand(*t);
        return invokeReply(m);
    }
    if (member == "StartUndoMark" || member == "EndUndoMark") {
        if (!args.isEmpty()) return error(m, "BadArgument", "no arguments");
        if (member == "StartUndoMark") m_state.undo.startMark(m_state.drawing);
        else m_state.undo.endMark();
        return invokeReply(m);
    }
    if (member == "Regen") {
        if (args.size() != 1 || !toInteger(args[0])) return error(m, "BadArgument", "Regen(which)");
        m_ui.refresh();
        return invokeReply(m);
    }
    return error(m, "UnknownMember", member);
}

QDBusMessage AutomationBus::utility(const QDBusMessage& m, const QString& member, const QVariantList& args, bool& delayed)
{
    std::optional<QPointF> base;
    std::optional<QString> prompt;
    if (member == "GetPoint" && args.size() == 1) {
        prompt = toText(args[0]);
    } else if ((member == "GetPoint" || member == "GetCorner") && args.size() == 2) {
        base = toPoint(args[0]);
        prompt = toText(args[1]);
        if (!base) prompt.reset();
    } else if (member != "GetPoint" && member != "GetCorner") {
        return error(m, "UnknownMember", member);
    }
    if (!prompt) return error(m, "BadArgument", member + "([base,] prompt)");
    m_state.commandLog << *prompt;
    if (const auto answer = takeAnsweredPick()) return invokeReply(m, {point3(*answer)});
    delayed = true;
    const QDBusMessage call = m;
    QDBusConnection connection = m_connection;
    m_ui.startPick(*prompt, member == "GetCorner" ? base : std::nullopt, [call, connection](std::optional<QPointF> p) {
        connection.send(p ? invokeReply(call, {point3(*p)}) : error(call, "Cancelled", "cancelled"));
    });
    return {};
}

QDBusMessage AutomationBus::layers(const QDBusMessage& m, const QString& kind, const QString& member, const QVariantList& args)
{
    if (kind == "Get" && member == "Count") return getReply(m, int(m_state.drawing.layers().size()));
    if (kind == "Invoke" && member == "Item") {
        const auto i = args.size() == 1 ? toInteger(args[0]) : std::nullopt;
        if (!i || *i < 0 || *i >= m_state.drawing.layers().size()) return error(m, "BadArgument", "Item(index)");
        return invokeReply(m, {QVariant::fromValue(QDBusObjectPath(kDocPath + "/Layers/" + QString::number(*i)))});
    }
    if (kind == "Invoke" && member == "Add") {
        const auto name = args.size() == 1 ? toText(args[0]) : std::nullopt;
        if (!name || name->isEmpty()) return error(m, "BadArgument", "Add(name)");
        if (m_state.drawing.layerIndex(*name) < 0) m_state.undo.aboutToChange(m_state.drawing);
        const int i = m_state.drawing.addLayer(*name);
        return invokeReply(m, {QVariant::fromValue(QDBusObjectPath(kDocPath + "/Layers/" + QString::number(i)))});
    }
    return error(m, "UnknownMember", member);
}

QDBusMessage AutomationBus::layer(const QDBusMessage& m, int index, const QString& kind, const QString& member, const QVariantList& args)
{
    const Layer& l = m_state.drawing.layers()[index];
    if (kind == "Get" && member == "Name") return getReply(m, l.name);
    if (kind == "Get" && member == "Color") return getReply(m, l.color);
    if (kind == "Put" && member == "Color") {
        const auto c = toInteger(args[0]);
        if (!c || *c < 1 || *c > 255) return error(m, "BadArgument", "Color is an ACI 1..255");
        m_state.undo.aboutToChangeLayerColor(m_state.drawing, index);
        m_state.drawing.setLayerColor(index, int(*c));
        m_ui.refresh();
        return m.createReply();
    }
    return error(m, "UnknownMember", member);
}

QDBusMessage AutomationBus::modelSpace(const QDBusMessage& m, const QString& member, const QVariantList& args)
{
    if (member != "AddText") return error(m, "UnknownMember", member);
    const auto s = args.size() == 3 ? toText(args[0]) : std::nullopt;
    const auto p = args.size() == 3 ? toPoint(args[1]) : std::nullopt;
    const auto h = args.size() == 3 ? toReal(args[2]) : std::nullopt;
    if (!s || !p || !h || *h <= 0) return error(m, "BadArgument", "AddText(text, point, height)");
    Entity e;
    e.type = EntityType::Text;
    // Cut as in a drawing file: a longer text would be laid out again at every call.
    e.text = s->left(kMaxTextLength);
    e.insertion = *p;
    e.alignmentPoint = *p;
    e.height = *h;
    const quint64 handle = m_state.drawing.addEntity(e);
    m_state.undo.entityAdded(handle);
    m_ui.refresh();
    return invokeReply(m, {QVariant::fromValue(QDBusObjectPath(handlePath(handle)))});
}

QDBusMessage AutomationBus::text(const QDBusMessage& m, quint64 handle, const QString& kind, const QString& member, const QVariantList& args)
{
    Entity current = *m_state.drawing.entity(handle);
    if (kind == "Get") {
        if (member == "Visible") return getReply(m, current.visible);
        if (member == "Layer") return getReply(m, current.layer);
        if (member == "Color") return getReply(m, current.color);
        if (member == "ScaleFactor") return getReply(m, current.widthFactor);
        if (member == "Rotation") return getReply(m, current.rotation);
        if (member == "Alignment") return getReply(m, alignmentFromJust(current.hJust, current.vJust));
        if (member == "InsertionPoint") return getReply(m, point3(current.insertion));
        if (member == "TextAlignmentPoint") return getReply(m, point3(current.alignmentPoint));
        if (member == "TextString") return getReply(m, current.text);
        if (member == "Height") return getReply(m, current.height);
        return error(m, "UnknownMember", member);
    }
    Entity changed = current;
    if (kind == "Put") {
        const QVariant& v = args[0];
        bool ok = true;
        if (member == "Visible") { auto b = toInteger(v); ok = b.has_value(); if (ok) changed.visible = *b != 0; }
        else if (member == "Layer") { auto s = toText(v); ok = s && m_state.drawing.layerIndex(*s) >= 0; if (ok) changed.layer = m_state.drawing.layers()[m_state.drawing.layerIndex(*s)].name; }
        else if (member == "Color") { auto c = toInteger(v); ok = c && *c >= 0 && *c <= 256; if (ok) changed.color = int(*c); }
        else if (member == "ScaleFactor") { auto d = toReal(v); ok = d && *d > 0; if (ok) changed.widthFactor = *d; }
        else if (member == "Rotation") { auto d = toReal(v); ok = d.has_value(); if (ok) changed.rotation = *d; }
        else if (member == "Alignment") { auto a = toInteger(v); ok = a && *a >= 0 && *a <= 14; if (ok) justFromAlignment(int(*a), changed.hJust, changed.vJust); }
        else if (member == "InsertionPoint") { auto p = toPoint(v); ok = p.has_value(); if (ok) changed.insertion = *p; }
        else if (member == "TextAlignmentPoint") { auto p = toPoint(v); ok = p.has_value(); if (ok) changed.alignmentPoint = *p; }
        else if (member == "TextString") { auto s = toText(v); ok = s.has_value(); if (ok) changed.text = s->left(kMaxTextLength); }
        else if (member == "Height") { auto d = toReal(v); ok = d && *d > 0; if (ok) changed.height = *d; }
        else return error(m, "UnknownMember", member);
        if (!ok) return error(m, "BadArgument", member);
    } else if (member == "GetBoundingBox") {
        if (!args.isEmpty()) return error(m, "BadArgument", "no arguments");
        const QRectF r = textBounds(current);
        return invokeReply(m, {point3(QPointF(r.left(), r.top())), point3(QPointF(r.right(), r.bottom()))});
    } else if (member == "Rotate") {
        const auto base = args.size() == 2 ? toPoint(args[0]) : std::nullopt;
        const auto angle = args.size() == 2 ? toReal(args[1]) : std::nullopt;
        if (!base || !angle) return error(m, "BadArgument", "Rotate(base, angle)");
        auto turn = [&](QPointF p) {
            const QPointF d = p - *base;
            return *base + QPointF(d.x() * std::cos(*angle) - d.y() * std::sin(*angle),
                                   d.x() * std::sin(*angle) + d.y() * std::cos(*angle));
        };
        changed.insertion = turn(current.insertion);
        changed.alignmentPoint = turn(current.alignmentPoint);
        changed.rotation += *angle;
    } else {
        return error(m, "UnknownMember", member);
    }
    m_state.undo.aboutToChangeEntity(m_state.drawing, handle);
    *m_state.drawing.entity(handle) = changed;
    m_ui.refresh();
    return kind == "Put" ? m.createReply() : invokeReply(m);
}

QDBusMessage AutomationBus::handleTest(const QDBusMessage& m)
{
    const QString member = m.member();
    const QVariantList a = m.arguments();
    if (member == "Entities") {
        QString out;
        for (const Entity& e : m_state.drawing.entities()) {
            QJsonObject o{{"type", typeName(e.type)}, {"handle", QString::number(e.handle, 16).toUpper()},
                          {"layer", e.layer}, {"colour", e.color}, {"visible", e.visible}};
            if (e.type == EntityType::Text) {
                o["text"] = e.text;
                o["height"] = e.height;
                o["rotation"] = e.rotation;
                o["widthFactor"] = e.widthFactor;
                o["alignment"] = alignmentFromJust(e.hJust, e.vJust);
                o["insertion"] = pointJson(e.insertion);
                o["alignmentPoint"] = pointJson(e.alignmentPoint);
            }
            out += QJsonDocument(o).toJson(QJsonDocument::Compact) + "\n";
        }
        return m.createReply(out);
    }
    if (member == "Layers") {
        QString out;
        for (const Layer& l : m_state.drawing.layers())
            out += QJsonDocument(QJsonObject{{"name", l.name}, {"colour", l.color}}).toJson(QJsonDocument::Compact) + "\n";
        return m.createReply(out);
    }
    if (member == "CommandLog") return m.createReply(m_state.commandLog.join('\n'));
    if (member == "Undo") {
        m_ui.sendCommand("U\r");
        return m.createReply();
    }
    if (member == "FailNextCalls" && a.size() == 2 && toInteger(a[0]) && toText(a[1])) {
        m_failCount = int(*toInteger(a[0]));
        m_failKind = *toText(a[1]);
        return m.createReply();
    }
    if (member == "AnswerPicks" && a.size() == 1 && a[0].userType() == qMetaTypeId<QDBusArgument>()) {
        for (const QList<double>& p : qdbus_cast<QList<QList<double>>>(a[0].value<QDBusArgument>()))
            if (p.size() >= 2) m_answers.append(QPointF(p[0], p[1]));
        return m.createReply();
    }
    if ((member == "SaveDrawing" || member == "OpenDrawing") && a.size() == 1 && toText(a[0])) {
        const QString path = *toText(a[0]);
        if (member == "SaveDrawing")
            return writeDxf(m_state.drawing, path) ? m.createReply() : error(m, "Failed", "cannot write " + path);
        m_ui.openDrawing(path);
        return m.createReply();
    }
    return error(m, "BadArgument", "unknown test call or wrong arguments: " + member);
}
