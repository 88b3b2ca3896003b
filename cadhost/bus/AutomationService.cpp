#include "AutomationService.h"
#include "BusValues.h"
#include "HostWindow.h"
#include "../model/CadSession.h"
#include "../model/DrawingRenderer.h"
#include "../model/TextGeometry.h"
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QRegularExpression>

namespace {

const QString kAutomation = QStringLiteral("org.mirtex.Automation");
const QString kTestInterface = QStringLiteral("org.mirtex.CadHostTest");

QVariantList property(const QVariant& value)
{
    return {QVariant::fromValue(QDBusVariant(value))};
}

QVariantList results(const QVariantList& values = {})
{
    return {QVariant::fromValue(values)};
}

void expectArgs(const QVariantList& args, qsizetype low, qsizetype high, const QString& member)
{
    if (args.size() < low || args.size() > high)
        badArgument(member + QStringLiteral(": %1 argument(s) given").arg(args.size()));
}

[[noreturn]] void unknownMember(const QString& method, const QString& member)
{
    throw CallFailure{AutomationError::UnknownMember, method + QStringLiteral(" of an unknown member: ") + member};
}

int aciArg(const QVariant& value, int low, int high, const QString& what)
{
    const qlonglong aci = integerArg(value, what);
    if (aci < low || aci > high)
        badArgument(what + QStringLiteral(": colour %1 outside %2..%3").arg(aci).arg(low).arg(high));
    return int(aci);
}

bool validLayerName(const QString& name)
{
    static const QRegularExpression bad(QStringLiteral(R"([<>/\\":;?*|,=`])"));
    return !name.trimmed().isEmpty() && !name.contains(bad);
}

QString objectName(EntityType type)
{
    switch (type) {
    case EntityType::Line: return QStringLiteral("AcDbLine");
    case EntityType::Polyline: return QStringLiteral("AcDbPolyline");
    case EntityType::Circle: return QStringLiteral("AcDbCircle");
    case EntityType::Arc: return QStringLiteral("AcDbArc");
    case EntityType::Text: return QStringLiteral("AcDbText");
    }
    return {};
}

} // namespace

AutomationService::AutomationService(CadSession& session, HostWindow& window, QObject* parent)
    : QDBusVirtualObject(parent), m_session(session), m_window(window)
{
}

QString AutomationService::documentPath() const
{
    return QStringLiteral("/Documents/%1").arg(m_session.documentNumber());
}

QString AutomationService::entityPath(quint64 handle) const
{
    return documentPath() + QStringLiteral("/Entities/") + QString::number(handle, 16).toUpper();
}

QString AutomationService::introspect(const QString& path) const
{
    if (path == QLatin1String("/Test"))
        return QStringLiteral(
            "<interface name=\"org.mirtex.CadHostTest\">"
            "<method name=\"Entities\"><arg direction=\"out\" type=\"s\"/></method>"
            "<method name=\"Layers\"><arg direction=\"out\" type=\"s\"/></method>"
            "<method name=\"SaveDrawing\"><arg direction=\"in\" type=\"s\"/></method>"
            "<method name=\"OpenDrawing\"><arg direction=\"in\" type=\"s\"/></method>"
            "<method name=\"AnswerPicks\"><arg direction=\"in\" type=\"aad\"/></method>"
            "<method name=\"FailNextCalls\"><arg direction=\"in\" type=\"i\"/><arg direction=\"in\" type=\"s\"/></method>"
            "<method name=\"CommandLog\"><arg direction=\"out\" type=\"s\"/></method>"
            "<method name=\"Undo\"/>"
            "</interface>");
    return QStringLiteral(
        "<interface name=\"org.mirtex.Automation\">"
        "<method name=\"Get\"><arg direction=\"in\" type=\"s\"/><arg direction=\"out\" type=\"v\"/></method>"
        "<method name=\"Put\"><arg direction=\"in\" type=\"s\"/><arg direction=\"in\" type=\"v\"/></method>"
        "<method name=\"Invoke\"><arg direction=\"in\" type=\"s\"/><arg direction=\"in\" type=\"av\"/>"
        "<arg direction=\"out\" type=\"av\"/></method>"
        "</interface>");
}

bool AutomationService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    if (message.path() == QLatin1String("/Test"))
        return handleTest(message, connection);
    if (message.interface() != kAutomation && !message.interface().isEmpty())
        return false;
    try {
        const QVariantList in = message.arguments();
        Call call;
        call.method = message.member();
        if (call.method != QLatin1String("Get") && call.method != QLatin1String("Put") && call.method != QLatin1String("Invoke"))
            return false;
        const QString signature = message.signature();
        const QString expected = call.method == QLatin1String("Get") ? QStringLiteral("s")
            : call.method == QLatin1String("Put") ? QStringLiteral("sv") : QStringLiteral("sav");
        if (signature != expected)
            badArgument(call.method + QStringLiteral(" takes (") + expected + QStringLiteral("), not (") + signature + u')');
        call.member = in.at(0).toString();
        if (call.method == QLatin1String("Put"))
            call.value = plainValue(in.at(1));
        if (call.method == QLatin1String("Invoke")) {
            const QVariant args = plainValue(in.at(1));
            call.args = args.toList();
        }
        if (m_failCount > 0) {
            --m_failCount;
            throw CallFailure{m_failError, QStringLiteral("the host is busy (test)")};
        }
        const Target target = resolve(message.path());
        const std::optional<QVariantList> reply = dispatch(target, call, message, connection);
        if (reply)
            connection.send(message.createReply(*reply));
    } catch (const CallFailure& failure) {
        connection.send(message.createErrorReply(failure.name, failure.message));
    }
    return true;
}

AutomationService::Target AutomationService::resolve(const QString& path) const
{
    if (path == QLatin1String("/Application"))
        return {Kind::Application};
    static const QRegularExpression documentPattern(
        QStringLiteral(R"(^/Documents/(\d+)(?:/(Utility|ModelSpace|Layers)(?:/(\d+))?|/Entities/([0-9A-Fa-f]+))?$)"));
    const QRegularExpressionMatch m = documentPattern.match(path);
    if (!m.hasMatch())
        throw CallFailure{AutomationError::Failed, QStringLiteral("no object at ") + path};
    if (m.captured(1).toInt() != m_session.documentNumber())
        throw CallFailure{AutomationError::Failed, QStringLiteral("the drawing of this object is closed: ") + path};
    const QString part = m.captured(2);
    if (!m.captured(4).isEmpty())
        return {Kind::Entity, -1, m.captured(4).toULongLong(nullptr, 16)};
    if (part.isEmpty())
        return {Kind::Document};
    if (part == QLatin1String("Utility"))
        return {Kind::Utility};
    if (part == QLatin1String("ModelSpace"))
        return {Kind::ModelSpace};
    if (m.captured(3).isEmpty())
        return {Kind::Layers};
    const int index = m.captured(3).toInt();
    if (index >= m_session.drawing().layers().size())
        throw CallFailure{AutomationError::Failed, QStringLiteral("the layer is gone: ") + path};
    return {Kind::Layer, index};
}

std::optional<QVariantList> AutomationService::dispatch(const Target& target, const Call& call,
                                                        const QDBusMessage& message, const QDBusConnection& connection)
{
    switch (target.kind) {
    case Kind::Application: return application(call);
    case Kind::Document: return document(call);
    case Kind::Utility: return utility(call, message, connection);
    case Kind::ModelSpace: return modelSpace(call);
    case Kind::Layers: return layers(call);
    case Kind::Layer: return layer(target.layer, call);
    case Kind::Entity: return entity(target.handle, call);
    }
    return QVariantList();
}

QVariantList AutomationService::application(const Call& c)
{
    if (c.method == QLatin1String("Get")) {
        if (c.member == QLatin1String("ActiveDocument"))
            return property(objectValue(documentPath()));
        if (c.member == QLatin1String("HWND"))
            return property(QVariant::fromValue(qulonglong(m_window.applicationWindowId())));
        if (c.member == QLatin1String("WindowState"))
            return property(m_window.windowState());
    } else if (c.method == QLatin1String("Put")) {
        if (c.member == QLatin1String("WindowState")) {
            const qlonglong state = integerArg(c.value, c.member);
            if (state < 1 || state > 3)
                badArgument(QStringLiteral("WindowState: 1, 2 or 3, not %1").arg(state));
            m_window.setWindowState(int(state));
            return {};
        }
    } else if (c.member == QLatin1String("ZoomCenter")) {
        expectArgs(c.args, 2, 2, c.member);
        const Point3 center = pointArg(c.args.at(0), c.member);
        const double height = realArg(c.args.at(1), c.member);
        if (!m_session.zoomCenter(center.xy(), height))
            badArgument(QStringLiteral("ZoomCenter: the view height must be positive"));
        return results();
    }
    unknownMember(c.method, c.member);
}

QVariantList AutomationService::document(const Call& c)
{
    if (c.method == QLatin1String("Get")) {
        if (c.member == QLatin1String("Utility") || c.member == QLatin1String("ModelSpace") || c.member == QLatin1String("Layers"))
            return property(objectValue(documentPath() + u'/' + c.member));
        if (c.member == QLatin1String("HWND"))
            return property(QVariant::fromValue(qulonglong(m_window.drawingWindowId())));
        if (c.member == QLatin1String("FullName"))
            return property(m_session.drawingPath());
        unknownMember(c.method, c.member);
    }
    if (c.method == QLatin1String("Put"))
        unknownMember(c.method, c.member);

    if (c.member == QLatin1String("GetVariable")) {
        expectArgs(c.args, 1, 1, c.member);
        const QString name = stringArg(c.args.at(0), c.member);
        const QVariant value = m_session.variable(name);
        if (!value.isValid())
            badArgument(QStringLiteral("GetVariable: unknown variable ") + name);
        return results({value});
    }
    if (c.member == QLatin1String("SetVariable")) {
        expectArgs(c.args, 2, 2, c.member);
        const QString name = stringArg(c.args.at(0), c.member);
        const qlonglong value = integerArg(c.args.at(1), c.member + u' ' + name);
        switch (m_session.setVariable(name, value)) {
        case SystemVariables::SetResult::Done: return results();
        case SystemVariables::SetResult::Unknown: badArgument(QStringLiteral("SetVariable: unknown variable ") + name);
        case SystemVariables::SetResult::ReadOnly: badArgument(QStringLiteral("SetVariable: read-only variable ") + name);
        case SystemVariables::SetResult::OutOfRange: badArgument(QStringLiteral("SetVariable: %1 out of range for %2").arg(value).arg(name));
        }
    }
    if (c.member == QLatin1String("SendCommand")) {
        expectArgs(c.args, 1, 1, c.member);
        m_session.sendCommand(stringArg(c.args.at(0), c.member));
        return results();
    }
    if (c.member == QLatin1String("StartUndoMark") || c.member == QLatin1String("EndUndoMark")) {
        expectArgs(c.args, 0, 0, c.member);
        if (c.member == QLatin1String("StartUndoMark"))
            m_session.startUndoMark();
        else
            m_session.endUndoMark();
        return results();
    }
    if (c.member == QLatin1String("Regen")) {
        expectArgs(c.args, 0, 1, c.member);
        if (!c.args.isEmpty())
            integerArg(c.args.at(0), c.member);
        m_session.regen();
        return results();
    }
    unknownMember(c.method, c.member);
}

std::optional<QVariantList> AutomationService::utility(const Call& c, const QDBusMessage& message,
                                                       const QDBusConnection& connection)
{
    const bool corner = c.member == QLatin1String("GetCorner");
    if (c.method != QLatin1String("Invoke") || (!corner && c.member != QLatin1String("GetPoint")))
        unknownMember(c.method, c.member);
    CadSession::Pick pick;
    pick.corner = corner;
    if (corner) {
        expectArgs(c.args, 1, 2, c.member);
        pick.base = pointArg(c.args.at(0), c.member).xy();
        if (c.args.size() == 2)
            pick.prompt = stringArg(c.args.at(1), c.member);
    } else {
        expectArgs(c.args, 0, 2, c.member);
        if (c.args.size() == 2)
            pick.base = pointArg(c.args.at(0), c.member).xy();
        if (!c.args.isEmpty())
            pick.prompt = stringArg(c.args.last(), c.member);
    }
    if (m_session.picking())
        throw CallFailure{AutomationError::Failed, QStringLiteral("another pick is pending")};

    // The reply waits for the click; a caller that leaves cancels the pick.
    auto* watcher = new QDBusServiceWatcher(message.service(), connection,
                                            QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, &m_session, [this] {
        if (m_session.picking())
            m_session.escape();
    });
    QDBusMessage request = message;
    QDBusConnection bus = connection;
    m_session.requestPick(pick, [request, bus, watcher](std::optional<QPointF> p) mutable {
        watcher->deleteLater();
        if (p)
            bus.send(request.createReply(results({pointValue({p->x(), p->y(), 0})})));
        else
            bus.send(request.createErrorReply(AutomationError::Cancelled, QStringLiteral("the pick was cancelled")));
    });
    return std::nullopt;
}

QVariantList AutomationService::modelSpace(const Call& c)
{
    if (c.method == QLatin1String("Get") && c.member == QLatin1String("Count"))
        return property(int(m_session.drawing().entityCount()));
    if (c.method != QLatin1String("Invoke") || c.member != QLatin1String("AddText"))
        unknownMember(c.method, c.member);
    expectArgs(c.args, 3, 3, c.member);
    Entity e;
    e.type = EntityType::Text;
    e.text.string = stringArg(c.args.at(0), c.member);
    e.text.insertion = pointArg(c.args.at(1), c.member);
    e.text.height = realArg(c.args.at(2), c.member);
    if (!(e.text.height > 0))
        badArgument(QStringLiteral("AddText: the height must be positive"));
    quint64 handle = 0;
    m_session.change([&](Drawing& d) { handle = d.addEntity(e); });
    return results({objectValue(entityPath(handle))});
}

QVariantList AutomationService::layers(const Call& c)
{
    const Drawing& d = m_session.drawing();
    if (c.method == QLatin1String("Get") && c.member == QLatin1String("Count"))
        return property(int(d.layers().size()));
    if (c.method != QLatin1String("Invoke"))
        unknownMember(c.method, c.member);
    if (c.member == QLatin1String("Item")) {
        expectArgs(c.args, 1, 1, c.member);
        const QVariant key = plainValue(c.args.at(0));
        int index = -1;
        if (key.metaType().id() == QMetaType::QString) {
            index = d.layerIndex(key.toString());
            if (index < 0)
                badArgument(QStringLiteral("Item: no layer named ") + key.toString());
        } else {
            const qlonglong i = integerArg(key, c.member);
            if (i < 0 || i >= d.layers().size())
                badArgument(QStringLiteral("Item: no layer %1 (count %2)").arg(i).arg(d.layers().size()));
            index = int(i);
        }
        return results({objectValue(documentPath() + QStringLiteral("/Layers/%1").arg(index))});
    }
    if (c.member == QLatin1String("Add")) {
        expectArgs(c.args, 1, 1, c.member);
        const QString name = stringArg(c.args.at(0), c.member);
        if (!validLayerName(name))
            badArgument(QStringLiteral("Add: not a valid layer name: ") + name);
        int index = d.layerIndex(name);
        if (index < 0)
            m_session.change([&](Drawing& drawing) { index = drawing.addLayer(Layer{name, 7, false}); });
        return results({objectValue(documentPath() + QStringLiteral("/Layers/%1").arg(index))});
    }
    unknownMember(c.method, c.member);
}

QVariantList AutomationService::layer(int index, const Call& c)
{
    const Layer& l = m_session.drawing().layers().at(index);
    if (c.method == QLatin1String("Get")) {
        if (c.member == QLatin1String("Name"))
            return property(l.name);
        if (c.member == QLatin1String("Color"))
            return property(l.color);
    } else if (c.method == QLatin1String("Put") && c.member == QLatin1String("Color")) {
        const int aci = aciArg(c.value, 1, 255, c.member);
        m_session.change([&](Drawing& d) { d.setLayerColor(index, aci); });
        return {};
    }
    unknownMember(c.method, c.member);
}

void AutomationService::editEntity(quint64 handle, const std::function<void(Entity&)>& edit)
{
    Entity e = *m_session.drawing().entity(handle);
    edit(e);
    if (e.type == EntityType::Text)
        e.text = settledText(e.text);
    m_session.change([&](Drawing& d) { d.replaceEntity(e); });
}

QVariantList AutomationService::entity(quint64 handle, const Call& c)
{
    const Entity* found = m_session.drawing().entity(handle);
    if (!found)
        throw CallFailure{AutomationError::Failed, QStringLiteral("the entity %1 is gone").arg(handle, 0, 16)};
    const Entity& e = *found;
    if (c.method == QLatin1String("Get")) {
        if (c.member == QLatin1String("Visible"))
            return property(e.visible);
        if (c.member == QLatin1String("Layer"))
            return property(e.layer);
        if (c.member == QLatin1String("Color"))
            return property(e.color);
        if (c.member == QLatin1String("Handle"))
            return property(QString::number(e.handle, 16).toUpper());
        if (c.member == QLatin1String("ObjectName"))
            return property(objectName(e.type));
    } else if (c.method == QLatin1String("Put")) {
        if (c.member == QLatin1String("Visible")) {
            const bool visible = boolArg(c.value, c.member);
            editEntity(handle, [&](Entity& x) { x.visible = visible; });
            return {};
        }
        if (c.member == QLatin1String("Layer")) {
            const QString name = stringArg(c.value, c.member);
            const Layer* l = m_session.drawing().layer(name);
            if (!l)
                badArgument(QStringLiteral("Layer: no layer named ") + name);
            const QString actual = l->name;
            editEntity(handle, [&](Entity& x) { x.layer = actual; });
            return {};
        }
        if (c.member == QLatin1String("Color")) {
            const int aci = aciArg(c.value, 0, 256, c.member);
            editEntity(handle, [&](Entity& x) { x.color = aci; });
            return {};
        }
    } else if (c.member == QLatin1String("GetBoundingBox")) {
        expectArgs(c.args, 0, 0, c.member);
        const QRectF box = e.type == EntityType::Text ? textBounds(e.text) : entityPath(e).boundingRect();
        const double z = e.type == EntityType::Text ? e.text.insertion.z : e.center.z;
        return results({pointValue({box.left(), box.top(), z}), pointValue({box.right(), box.bottom(), z})});
    }
    if (e.type == EntityType::Text)
        return text(e, c);
    unknownMember(c.method, c.member);
}

QVariantList AutomationService::text(const Entity& e, const Call& c)
{
    const TextData& t = e.text;
    if (c.method == QLatin1String("Get")) {
        if (c.member == QLatin1String("TextString")) return property(t.string);
        if (c.member == QLatin1String("Height")) return property(t.height);
        if (c.member == QLatin1String("ScaleFactor")) return property(t.widthFactor);
        if (c.member == QLatin1String("Rotation")) return property(t.rotation);
        if (c.member == QLatin1String("Alignment")) return property(t.alignment);
        if (c.member == QLatin1String("InsertionPoint")) return property(pointValue(t.insertion));
        if (c.member == QLatin1String("TextAlignmentPoint")) return property(pointValue(t.alignmentPoint));
        unknownMember(c.method, c.member);
    }
    if (c.method == QLatin1String("Put")) {
        std::function<void(TextData&)> edit;
        if (c.member == QLatin1String("TextString")) {
            const QString s = stringArg(c.value, c.member);
            edit = [s](TextData& x) { x.string = s; };
        } else if (c.member == QLatin1String("Height") || c.member == QLatin1String("ScaleFactor")) {
            const double v = realArg(c.value, c.member);
            if (!(v > 0))
                badArgument(c.member + QStringLiteral(": must be positive"));
            const bool height = c.member == QLatin1String("Height");
            edit = [v, height](TextData& x) { (height ? x.height : x.widthFactor) = v; };
        } else if (c.member == QLatin1String("Rotation")) {
            const double r = realArg(c.value, c.member);
            edit = [r](TextData& x) { x.rotation = r; };
        } else if (c.member == QLatin1String("Alignment")) {
            const qlonglong a = integerArg(c.value, c.member);
            if (a < 0 || a > kLastAlignment)
                badArgument(QStringLiteral("Alignment: %1 is no alignment").arg(a));
            edit = [a](TextData& x) { x = withAlignment(x, int(a)); };
        } else if (c.member == QLatin1String("InsertionPoint")) {
            const Point3 p = pointArg(c.value, c.member);
            edit = [p](TextData& x) { x = withInsertionPoint(x, p); };
        } else if (c.member == QLatin1String("TextAlignmentPoint")) {
            const Point3 p = pointArg(c.value, c.member);
            edit = [p](TextData& x) { x.alignmentPoint = p; };
        } else {
            unknownMember(c.method, c.member);
        }
        editEntity(e.handle, [&](Entity& x) { edit(x.text); });
        return {};
    }
    if (c.member == QLatin1String("Rotate")) {
        expectArgs(c.args, 2, 2, c.member);
        const Point3 base = pointArg(c.args.at(0), c.member);
        const double angle = realArg(c.args.at(1), c.member);
        editEntity(e.handle, [&](Entity& x) { x.text = rotatedText(x.text, base.xy(), angle); });
        return results();
    }
    unknownMember(c.method, c.member);
}
