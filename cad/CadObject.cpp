#include "CadObject.h"
#include "CallRetry.h"
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <climits>

namespace {

const QString kInterface = QStringLiteral("org.mirtex.Automation");

QVariant plain(const QVariant& value);

QVariantList plainList(const QDBusArgument& arg)
{
    QVariantList out;
    arg.beginArray();
    while (!arg.atEnd()) {
        QVariant element;
        arg >> element;
        out << plain(element);
    }
    arg.endArray();
    return out;
}

// Unwraps the D-Bus containers QtDBus leaves in a reply.
QVariant plain(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return plain(value.value<QDBusVariant>().variant());
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return value;
    const auto arg = value.value<QDBusArgument>();
    const QString signature = arg.currentSignature();
    if (signature == QLatin1String("ad"))
        return QVariant::fromValue(qdbus_cast<QList<double>>(arg));
    if (signature == QLatin1String("av"))
        return plainList(arg);
    return value;
}

// A D-Bus string ends at U+0000, so the rest of a text would be lost on the
// way: a blank stands for it, as the DXF file has blanks for control characters.
QVariant busValue(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<QString>() || !value.toString().contains(QChar(0)))
        return value;
    return value.toString().replace(QChar(0), QLatin1Char(' '));
}

CadError errorOf(const QDBusMessage& reply)
{
    return CadError(reply.errorName(), reply.errorMessage());
}

} // namespace

CadObject::CadObject(const QString& service, const QString& path) : m_service(service), m_path(path) {}

int CadObject::timeoutFor(const QString& member)
{
    if (member == QLatin1String("GetPoint") || member == QLatin1String("GetCorner"))
        return INT_MAX; // no limit
    return kCallTimeoutMs;
}

QVariantList CadObject::call(const QString& method, const QVariantList& args, int timeoutMs) const
{
    if (isNull())
        throw CadError(QString::fromLatin1(CadErrorName::Failed), QStringLiteral("no automation object"));
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, m_path, kInterface, method);
    message.setAutoStartService(false);
    message.setArguments(args);
    const QDBusMessage reply = callWithRetryPolicy([&] {
        return QDBusConnection::sessionBus().call(message, QDBus::Block, timeoutMs);
    });
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw errorOf(reply);
    return reply.arguments();
}

QVariant CadObject::get(const QString& member) const
{
    const QVariantList out = call(QStringLiteral("Get"), {member}, timeoutFor(member));
    if (out.size() != 1)
        throw CadError(QString::fromLatin1(CadErrorName::BadReply), member + QStringLiteral(": no value"));
    return plain(out.first());
}

void CadObject::put(const QString& member, const QVariant& value) const
{
    call(QStringLiteral("Put"), {member, QVariant::fromValue(QDBusVariant(busValue(value)))}, timeoutFor(member));
}

QVariantList CadObject::invoke(const QString& member, const QVariantList& args) const
{
    // A QVariantList travels as "av": every argument in its own variant.
    QVariantList sent;
    for (const QVariant& arg : args) sent << busValue(arg);
    const QVariantList out = call(QStringLiteral("Invoke"), {member, QVariant::fromValue(sent)}, timeoutFor(member));
    if (out.size() != 1)
        throw CadError(QString::fromLatin1(CadErrorName::BadReply), member + QStringLiteral(": no results"));
    const QVariant results = plain(out.first());
    if (results.metaType() != QMetaType::fromType<QVariantList>())
        throw CadError(QString::fromLatin1(CadErrorName::BadReply), member + QStringLiteral(": results not a list"));
    return results.toList();
}

CadObject CadObject::getObject(const QString& member) const
{
    return object(get(member));
}

CadObject CadObject::object(const QVariant& value) const
{
    const QVariant v = plain(value);
    if (v.metaType() != QMetaType::fromType<QDBusObjectPath>())
        throw CadError(QString::fromLatin1(CadErrorName::BadReply),
                       QStringLiteral("not an object: ") + QString::fromLatin1(v.typeName()));
    return CadObject(m_service, v.value<QDBusObjectPath>().path());
}

QVariant point(double x, double y, double z)
{
    return QVariant::fromValue(QList<double>{x, y, z});
}

QList<double> toPoint(const QVariant& value)
{
    const QVariant v = plain(value);
    if (v.metaType() == QMetaType::fromType<QList<double>>())
        return v.value<QList<double>>();
    if (v.metaType() == QMetaType::fromType<QVariantList>()) {
        QList<double> out;
        for (const QVariant& element : v.toList()) {
            bool ok = false;
            out << element.toDouble(&ok);
            if (!ok)
                throw CadError(QString::fromLatin1(CadErrorName::BadReply), QStringLiteral("not a point"));
        }
        return out;
    }
    throw CadError(QString::fromLatin1(CadErrorName::BadReply),
                   QStringLiteral("not a point: ") + QString::fromLatin1(v.typeName()));
}
