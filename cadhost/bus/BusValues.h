#pragma once
// Values of the automation interface: unwrapping what QtDBus delivers,
// checking argument types, and wrapping results.
#include "../model/Entity.h"
#include <QDBusObjectPath>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace AutomationError {
inline const QString RetryLater = QStringLiteral("org.mirtex.Automation.Error.RetryLater");
inline const QString Rejected = QStringLiteral("org.mirtex.Automation.Error.Rejected");
inline const QString Cancelled = QStringLiteral("org.mirtex.Automation.Error.Cancelled");
inline const QString NoDocument = QStringLiteral("org.mirtex.Automation.Error.NoDocument");
inline const QString BadArgument = QStringLiteral("org.mirtex.Automation.Error.BadArgument");
inline const QString UnknownMember = QStringLiteral("org.mirtex.Automation.Error.UnknownMember");
inline const QString Failed = QStringLiteral("org.mirtex.Automation.Error.Failed");
}

// A failure of one call, sent back as a D-Bus error reply.
struct CallFailure {
    QString name;
    QString message;
};

[[noreturn]] void badArgument(const QString& message);

// Plain values: QDBusVariant unwrapped, "ad" as QList<double>, "av" as a
// QVariantList of plain values.
QVariant plainValue(const QVariant& value);

qlonglong integerArg(const QVariant& value, const QString& what);
double realArg(const QVariant& value, const QString& what);
bool boolArg(const QVariant& value, const QString& what);
QString stringArg(const QVariant& value, const QString& what);
// An array of two or three numbers; z is 0 when left out.
Point3 pointArg(const QVariant& value, const QString& what);
// Points of an "aad" argument.
QList<QPointF> pointListArg(const QVariant& value, const QString& what);

QVariant pointValue(const Point3& p);
QVariant objectValue(const QString& path);
