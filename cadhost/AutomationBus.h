#pragma once
// The automation object model on the session bus: every object path answers
// org.mirtex.Automation Get/Put/Invoke; /Test answers org.mirtex.CadHostTest.
#include "cadhost/HostState.h"
#include "cadhost/HostUi.h"
#include "cadhost/lisp/ActiveX.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QList>

class AutomationBus : public QDBusVirtualObject {
public:
    AutomationBus(HostState& state, HostUi& ui, QDBusConnection connection);
    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    // Queued pick answers from the test interface, taken before asking the user.
    std::optional<QPointF> takeAnsweredPick();
    // The same objects for callers inside the host (the LISP vla- functions):
    // dispatched directly, without the bus and without injected failures.
    lisp::ObjectReply callInProcess(const QString& path, const QString& kind, const QString& member,
                                    const QVariantList& args);

private:
    QDBusMessage dispatch(const QDBusMessage& message, bool& delayed);
    QDBusMessage handleTest(const QDBusMessage& message);
    QDBusMessage application(const QDBusMessage& m, const QString& kind, const QString& member, const QVariantList& args);
    QDBusMessage document(const QDBusMessage& m, const QString& kind, const QString& member, const QVariantList& args);
    QDBusMessage utility(const QDBusMessage& m, const QString& member, const QVariantList& args, bool& delayed);
    QDBusMessage layers(const QDBusMessage& m, const QString& kind, const QString& member, const QVariantList& args);
    QDBusMessage layer(const QDBusMessage& m, int index, const QString& kind, const QString& member, const QVariantList& args);
    QDBusMessage modelSpace(const QDBusMessage& m, const QString& member, const QVariantList& args);
    QDBusMessage text(const QDBusMessage& m, quint64 handle, const QString& kind, const QString& member, const QVariantList& args);

    HostState& m_state;
    HostUi& m_ui;
    QDBusConnection m_connection;
    QList<QPointF> m_answers;
    int m_failCount = 0;
    QString m_failKind;
};
