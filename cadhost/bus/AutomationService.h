#pragma once
// The host's objects on the bus: one virtual object answers every path.
// Object-model paths speak org.mirtex.Automation (Get, Put, Invoke); /Test
// speaks org.mirtex.CadHostTest.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QVariantList>

class CadSession;
class HostWindow;
struct Entity;

class AutomationService : public QDBusVirtualObject {
    Q_OBJECT
public:
    AutomationService(CadSession& session, HostWindow& window, QObject* parent = nullptr);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    enum class Kind { Application, Document, Utility, ModelSpace, Layers, Layer, Entity };
    struct Target {
        Kind kind;
        int layer = -1;
        quint64 handle = 0;
    };
    struct Call {
        QString method; // Get, Put or Invoke
        QString member;
        QVariant value;     // Put
        QVariantList args;  // Invoke
    };

    Target resolve(const QString& path) const;
    // The reply's arguments; nothing when the reply comes later (picks).
    std::optional<QVariantList> dispatch(const Target& target, const Call& call, const QDBusMessage& message,
                                         const QDBusConnection& connection);
    QVariantList application(const Call& call);
    QVariantList document(const Call& call);
    std::optional<QVariantList> utility(const Call& call, const QDBusMessage& message, const QDBusConnection& connection);
    QVariantList modelSpace(const Call& call);
    QVariantList layers(const Call& call);
    QVariantList layer(int index, const Call& call);
    QVariantList entity(quint64 handle, const Call& call);
    QVariantList text(const Entity& e, const Call& call);
    void editEntity(quint64 handle, const std::function<void(Entity&)>& edit);

    bool handleTest(const QDBusMessage& message, const QDBusConnection& connection);

    QString documentPath() const;
    QString entityPath(quint64 handle) const;

    CadSession& m_session;
    HostWindow& m_window;
    int m_failCount = 0;
    QString m_failError;
};
