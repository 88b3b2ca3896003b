#pragma once
// A late-bound automation object of the CAD: an object path on the CAD's bus
// name, called by member name through the interface org.mirtex.Automation.
// Every call blocks without dispatching window input, goes through the busy
// policy of the registered message filter, and throws CadError on failure.
#include "CadError.h"
#include <QList>
#include <QString>
#include <QVariant>

class CadObject {
public:
    CadObject() = default;
    CadObject(const QString& service, const QString& path);

    bool isNull() const { return m_path.isEmpty(); }
    const QString& service() const { return m_service; }
    const QString& path() const { return m_path; }

    // Values come back plain: int, qlonglong, double, bool, QString,
    // QList<double> for points, qulonglong for window handles, and
    // QDBusObjectPath for objects (wrap them with object()).
    QVariant get(const QString& member) const;
    void put(const QString& member, const QVariant& value) const;
    QVariantList invoke(const QString& member, const QVariantList& args = {}) const;

    // A property that is an object, wrapped.
    CadObject getObject(const QString& member) const;
    // An object value of this CAD (a result of get or invoke), wrapped;
    // CadError BadReply when the value is no object.
    CadObject object(const QVariant& value) const;

    // Limits of one call in ms: picks wait for the user without a limit.
    static constexpr int kCallTimeoutMs = 25000;
    static int timeoutFor(const QString& member);

private:
    QVariantList call(const QString& method, const QVariantList& args, int timeoutMs) const;

    QString m_service, m_path;
};

// A point for the CAD: a D-Bus array of three doubles.
QVariant point(double x, double y, double z);
// The elements of a point (or of a 2-element variable such as screensize);
// accepts a QDBusArgument, a QDBusVariant, a QList<double> or a list of
// numbers. CadError BadReply for anything else.
QList<double> toPoint(const QVariant& value);
