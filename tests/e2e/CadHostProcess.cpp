#include "CadHostProcess.h"
#include "platform/ProgIdBusName.h"
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QThread>

CadHostProcess::~CadHostProcess() { stop(); }

bool CadHostProcess::start(const QString& program, const QString& progId, const QString& dxfPath)
{
    m_busName = progIdToBusName(progId);
    QStringList args{QStringLiteral("--progid"), progId};
    if (!dxfPath.isEmpty())
        args << dxfPath;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, args);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start ") + program + ": " + m_process.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    while (clock.elapsed() < 20000) {
        if (bus && bus->isServiceRegistered(m_busName).value())
            return true;
        if (m_process.state() != QProcess::Running) {
            m_error = QStringLiteral("the host ended before owning ") + m_busName;
            return false;
        }
        QThread::msleep(50);
    }
    m_error = QStringLiteral("the host did not own ") + m_busName + QStringLiteral(" within 20 s");
    return false;
}

void CadHostProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QDBusMessage CadHostProcess::callTest(const QString& method, const QVariantList& args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_busName, QStringLiteral("/Test"),
                                                       QStringLiteral("org.mirtex.CadHostTest"), method);
    call.setAutoStartService(false);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 25000);
}

QList<QJsonObject> CadHostProcess::entities()
{
    const QDBusMessage reply = callTest(QStringLiteral("Entities"));
    QList<QJsonObject> out;
    if (reply.arguments().isEmpty())
        return out;
    for (const QString& line : reply.arguments().first().toString().split('\n', Qt::SkipEmptyParts))
        out << QJsonDocument::fromJson(line.toUtf8()).object();
    return out;
}

void CadHostProcess::answerPicks(const QList<QPointF>& points)
{
    QDBusArgument arg;
    arg.beginArray(qMetaTypeId<QList<double>>());
    for (const QPointF& p : points)
        arg << QList<double>{p.x(), p.y(), 0.0};
    arg.endArray();
    callTest(QStringLiteral("AnswerPicks"), {QVariant::fromValue(arg)});
}

void CadHostProcess::failNextCalls(int count, const QString& kind)
{
    callTest(QStringLiteral("FailNextCalls"), {count, kind});
}

bool CadHostProcess::openDrawing(const QString& path)
{
    return callTest(QStringLiteral("OpenDrawing"), {path}).type() == QDBusMessage::ReplyMessage;
}

QString CadHostProcess::commandLog()
{
    const QDBusMessage reply = callTest(QStringLiteral("CommandLog"));
    return reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString();
}
