#include "CadConnection.h"
#include "platform/ProgIdBusName.h"
#include "platform/WindowSystem.h"
#include <QDBusConnection>
#include <QDBusMessage>
#include <QThread>
#include <exception>

namespace {

constexpr int kWindowMinimised = 2;
constexpr int kWindowMaximised = 3;

// The bus's own answer, within milliseconds: does anybody serve the name?
bool nameHasOwner(const QString& busName)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("NameHasOwner"));
    ask.setAutoStartService(false);
    ask << busName;
    const QDBusMessage reply = bus.call(ask, QDBus::Block, CadObject::kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && reply.arguments().first().toBool();
}

void activateCad(const CadObject& application)
{
    if (application.get(QStringLiteral("WindowState")).toInt() == kWindowMinimised)
        application.put(QStringLiteral("WindowState"), kWindowMaximised);
    bringToFront(application.get(QStringLiteral("HWND")).toULongLong());
    QThread::msleep(100);
}

QString asciiUpper(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    return out;
}

} // namespace

bool connectCad(const QString& progId, CadObject& application, bool activate)
{
    try {
        const QString busName = progIdToBusName(progId);
        if (!nameHasOwner(busName))
            return false;
        const CadObject found(busName, QStringLiteral("/Application"));
        if (activate)
            activateCad(found);
        application = found;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ensureLayer(CadObject& document, const QString& name, int aci)
{
    const CadObject layers = document.getObject(QStringLiteral("Layers"));
    const int count = layers.get(QStringLiteral("Count")).toInt();
    const QString wanted = asciiUpper(name);
    for (int i = 0; i < count; ++i) {
        const CadObject layer = layers.object(layers.invoke(QStringLiteral("Item"), {i}).value(0));
        if (asciiUpper(layer.get(QStringLiteral("Name")).toString()) == wanted) {
            layer.put(QStringLiteral("Color"), aci);
            return true;
        }
    }
    const CadObject added = layers.object(layers.invoke(QStringLiteral("Add"), {name}).value(0));
    added.put(QStringLiteral("Color"), aci);
    return true;
}
