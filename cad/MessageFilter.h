#pragma once
// The process-wide message filter consulted while an automation call is
// outstanding: it decides whether a call the CAD rejected is tried again.
#include <QtGlobal>
#include <memory>

// Reply codes of the filter operations.
constexpr quint32 SERVERCALL_ISHANDLED = 0;
constexpr quint32 SERVERCALL_REJECTED = 1;
constexpr quint32 SERVERCALL_RETRYLATER = 2;
constexpr quint32 PENDINGMSG_WAITNOPROCESS = 1;

class IMessageFilter {
public:
    virtual ~IMessageFilter() = default;
    // A call coming in to this process.
    virtual quint32 HandleInComingCall(quint32 dwCallType, quintptr htaskCaller, quint32 dwTickCount,
                                       const void* lpInterfaceInfo) = 0;
    // An outgoing call rejected by the callee: the milliseconds to wait before
    // trying again, or -1 to give the call up. dwTickCount is the time since
    // the call was first made.
    virtual qint32 RetryRejectedCall(quintptr htaskCallee, quint32 dwTickCount, quint32 dwRejectType) = 0;
    // A window message arriving while an outgoing call waits.
    virtual quint32 MessagePending(quintptr htaskCallee, quint32 dwTickCount, quint32 dwPendingType) = 0;
};

// Makes filter the process's message filter (none for null) and hands back
// the one registered before.
std::shared_ptr<IMessageFilter> registerMessageFilter(std::shared_ptr<IMessageFilter> filter);
std::shared_ptr<IMessageFilter> registeredMessageFilter();

// Accepts every incoming call, retries calls rejected for later every 1000 ms
// without limit, gives up calls rejected outright, and lets no window message
// through while a call waits. Create it with std::make_shared.
class TMessageFilter : public IMessageFilter, public std::enable_shared_from_this<TMessageFilter> {
public:
    quint32 HandleInComingCall(quint32 dwCallType, quintptr htaskCaller, quint32 dwTickCount,
                               const void* lpInterfaceInfo) override;
    qint32 RetryRejectedCall(quintptr htaskCallee, quint32 dwTickCount, quint32 dwRejectType) override;
    quint32 MessagePending(quintptr htaskCallee, quint32 dwTickCount, quint32 dwPendingType) override;

    void RegisterFilter();
    void RevokeFilter();

    // The filter registered before this one; null when there was none.
    std::shared_ptr<IMessageFilter> FoldFilter;
};
