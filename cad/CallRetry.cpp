#include "CallRetry.h"
#include "CadError.h"
#include "MessageFilter.h"
#include <QElapsedTimer>
#include <QThread>

namespace {

// 0 when the reply is no rejection.
quint32 rejectType(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage)
        return 0;
    if (reply.errorName() == QLatin1String(CadErrorName::RetryLater))
        return SERVERCALL_RETRYLATER;
    if (reply.errorName() == QLatin1String(CadErrorName::Rejected))
        return SERVERCALL_REJECTED;
    return 0;
}

} // namespace

QDBusMessage callWithRetryPolicy(const std::function<QDBusMessage()>& attempt)
{
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    while (true) {
        const QDBusMessage reply = attempt();
        const quint32 type = rejectType(reply);
        if (type == 0)
            return reply;
        const std::shared_ptr<IMessageFilter> filter = registeredMessageFilter();
        const qint32 delay = filter ? filter->RetryRejectedCall(0, quint32(sinceFirst.elapsed()), type) : -1;
        if (delay < 0)
            throw CadError(QString::fromLatin1(CadErrorName::CallRejected),
                           QStringLiteral("call rejected (") + reply.errorMessage() + QLatin1Char(')'));
        QThread::msleep(ulong(delay));
    }
}
