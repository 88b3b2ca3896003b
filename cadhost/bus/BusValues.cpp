#include "BusValues.h"
#include <QDBusArgument>
#include <QDBusVariant>
#include <QMetaType>
#include <cmath>

void badArgument(const QString& message)
{
    throw CallFailure{AutomationError::BadArgument, message};
}

namespace {

QVariantList plainList(const QDBusArgument& arg)
{
    QVariantList out;
    arg.beginArray();
    while (!arg.atEnd()) {
        QVariant element;
        arg >> element;
        out << plainValue(element);
    }
    arg.endArray();
    return out;
}

bool isInteger(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Int: case QMetaType::UInt:
    case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

} // namespace

QVariant plainValue(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return plainValue(value.value<QDBusVariant>().variant());
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

qlonglong integerArg(const QVariant& raw, const QString& what)
{
    const QVariant v = plainValue(raw);
    if (!isInteger(v))
        badArgument(what + QStringLiteral(": an integer is needed, not ") + QString::fromLatin1(v.typeName()));
    if (v.metaType().id() == QMetaType::ULongLong && v.toULongLong() > quint64(LLONG_MAX))
        badArgument(what + QStringLiteral(": integer out of range"));
    return v.toLongLong();
}

double realArg(const QVariant& raw, const QString& what)
{
    const QVariant v = plainValue(raw);
    if (v.metaType().id() == QMetaType::Double) {
        if (!std::isfinite(v.toDouble()))
            badArgument(what + QStringLiteral(": not a finite number"));
        return v.toDouble();
    }
    if (isInteger(v))
        return v.toDouble();
    badArgument(what + QStringLiteral(": a number is needed, not ") + QString::fromLatin1(v.typeName()));
}

bool boolArg(const QVariant& raw, const QString& what)
{
    const QVariant v = plainValue(raw);
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool();
    if (isInteger(v))
        return v.toLongLong() != 0;
    badArgument(what + QStringLiteral(": a boolean is needed, not ") + QString::fromLatin1(v.typeName()));
}

QString stringArg(const QVariant& raw, const QString& what)
{
    const QVariant v = plainValue(raw);
    if (v.metaType().id() != QMetaType::QString)
        badArgument(what + QStringLiteral(": a string is needed, not ") + QString::fromLatin1(v.typeName()));
    return v.toString();
}

Point3 pointArg(const QVariant& raw, const QString& what)
{
    const QVariant v = plainValue(raw);
    QList<double> xyz;
    if (v.metaType() == QMetaType::fromType<QList<double>>()) {
        xyz = v.value<QList<double>>();
    } else if (v.metaType() == QMetaType::fromType<QVariantList>()) {
        for (const QVariant& element : v.toList())
            xyz << realArg(element, what);
    } else {
        badArgument(what + QStringLiteral(": a point (array of 3 reals) is needed, not ") + QString::fromLatin1(v.typeName()));
    }
    if (xyz.size() < 2 || xyz.size() > 3)
        badArgument(what + QStringLiteral(": a point has 3 elements, not %1").arg(xyz.size()));
    for (double c : xyz)
        if (!std::isfinite(c))
            badArgument(what + QStringLiteral(": not a finite point"));
    return {xyz[0], xyz[1], xyz.value(2, 0.0)};
}

QList<QPointF> pointListArg(const QVariant& raw, const QString& what)
{
    if (raw.metaType() != QMetaType::fromType<QDBusArgument>())
        badArgument(what + QStringLiteral(": an array of points is needed"));
    const auto arg = raw.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("aad"))
        badArgument(what + QStringLiteral(": an array of points (aad) is needed, not ") + arg.currentSignature());
    QList<QPointF> out;
    arg.beginArray();
    while (!arg.atEnd()) {
        QList<double> p;
        arg >> p;
        if (p.size() < 2 || p.size() > 3) {
            arg.endArray();
            badArgument(what + QStringLiteral(": a point has 3 elements"));
        }
        out << QPointF(p[0], p[1]);
    }
    arg.endArray();
    return out;
}

QVariant pointValue(const Point3& p)
{
    return QVariant::fromValue(QList<double>{p.x, p.y, p.z});
}

QVariant objectValue(const QString& path)
{
    return QVariant::fromValue(QDBusObjectPath(path));
}
