// org.mirtex.CadHostTest at /Test: what tests and benchmarks need to see and
// steer; MIRTEX itself never calls it.
#include "AutomationService.h"
#include "BusValues.h"
#include "../model/CadSession.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonArray jsonPoint(const Point3& p)
{
    return {p.x, p.y, p.z};
}

QJsonObject entityJson(const Entity& e)
{
    QJsonObject o{{"type", QString::fromLatin1(entityTypeName(e.type))},
                  {"handle", QString::number(e.handle, 16).toUpper()},
                  {"layer", e.layer},
                  {"colour", e.color},
                  {"visible", e.visible}};
    switch (e.type) {
    case EntityType::Line:
    case EntityType::Polyline: {
        QJsonArray points;
        for (const PolylineVertex& v : e.vertices)
            points.append(QJsonArray{v.x, v.y, v.bulge});
        o.insert("points", points);
        o.insert("closed", e.closed);
        break;
    }
    case EntityType::Arc:
        o.insert("startAngle", e.startAngle);
        o.insert("endAngle", e.endAngle);
        [[fallthrough]];
    case EntityType::Circle:
        o.insert("center", jsonPoint(e.center));
        o.insert("radius", e.radius);
        break;
    case EntityType::Text:
        o.insert("text", e.text.string);
        o.insert("height", e.text.height);
        o.insert("rotation", e.text.rotation);
        o.insert("widthFactor", e.text.widthFactor);
        o.insert("alignment", e.text.alignment);
        o.insert("insertion", jsonPoint(e.text.insertion));
        o.insert("alignmentPoint", jsonPoint(e.text.alignmentPoint));
        break;
    }
    return o;
}

QString jsonLines(const QList<QJsonObject>& objects)
{
    QString out;
    for (const QJsonObject& o : objects)
        out += QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + u'\n';
    return out;
}

} // namespace

bool AutomationService::handleTest(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString member = message.member();
    const QVariantList args = message.arguments();
    auto expect = [&](const char* signature) {
        if (message.signature() != QLatin1String(signature))
            badArgument(member + QStringLiteral(" takes (%1), not (%2)").arg(QLatin1String(signature), message.signature()));
    };
    try {
        QVariantList out;
        if (member == QLatin1String("Entities")) {
            expect("");
            QList<QJsonObject> lines;
            const Drawing& d = m_session.drawing();
            for (qsizetype i = 0; i < d.entityCount(); ++i)
                lines << entityJson(d.entityAt(i));
            out << jsonLines(lines);
        } else if (member == QLatin1String("Layers")) {
            expect("");
            QList<QJsonObject> lines;
            for (const Layer& l : m_session.drawing().layers())
                lines << QJsonObject{{"name", l.name}, {"colour", l.color}, {"off", l.off}};
            out << jsonLines(lines);
        } else if (member == QLatin1String("SaveDrawing")) {
            expect("s");
            QString error;
            if (!m_session.saveDrawing(args.at(0).toString(), &error))
                throw CallFailure{AutomationError::Failed, error};
        } else if (member == QLatin1String("OpenDrawing")) {
            expect("s");
            if (!m_session.openDrawing(args.at(0).toString()))
                throw CallFailure{AutomationError::Failed, m_session.history().value(m_session.history().size() - 1)};
        } else if (member == QLatin1String("AnswerPicks")) {
            expect("aad");
            m_session.presetPicks(pointListArg(args.at(0), member));
        } else if (member == QLatin1String("FailNextCalls")) {
            expect("is");
            const QString kind = args.at(1).toString();
            if (kind != QLatin1String("retry") && kind != QLatin1String("reject"))
                badArgument(QStringLiteral("FailNextCalls: kind \"retry\" or \"reject\""));
            m_failCount = std::max(0, args.at(0).toInt());
            m_failError = kind == QLatin1String("retry") ? AutomationError::RetryLater : AutomationError::Rejected;
        } else if (member == QLatin1String("CommandLog")) {
            expect("");
            out << m_session.history().join(u'\n');
        } else if (member == QLatin1String("Undo")) {
            expect("");
            m_session.undo();
        } else {
            return false;
        }
        connection.send(message.createReply(out));
    } catch (const CallFailure& failure) {
        connection.send(message.createErrorReply(failure.name, failure.message));
    }
    return true;
}
