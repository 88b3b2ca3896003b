#include "MessageFilter.h"
#include <mutex>
#include <utility>

namespace {

std::mutex g_filterLock;
std::shared_ptr<IMessageFilter> g_filter;

} // namespace

std::shared_ptr<IMessageFilter> registerMessageFilter(std::shared_ptr<IMessageFilter> filter)
{
    const std::lock_guard lock(g_filterLock);
    return std::exchange(g_filter, std::move(filter));
}

std::shared_ptr<IMessageFilter> registeredMessageFilter()
{
    const std::lock_guard lock(g_filterLock);
    return g_filter;
}

quint32 TMessageFilter::HandleInComingCall(quint32, quintptr, quint32, const void*)
{
    return SERVERCALL_ISHANDLED;
}

qint32 TMessageFilter::RetryRejectedCall(quintptr, quint32, quint32 dwRejectType)
{
    return dwRejectType == SERVERCALL_RETRYLATER ? 1000 : -1;
}

quint32 TMessageFilter::MessagePending(quintptr, quint32, quint32)
{
    return PENDINGMSG_WAITNOPROCESS;
}

void TMessageFilter::RegisterFilter()
{
    FoldFilter.reset();
    FoldFilter = registerMessageFilter(shared_from_this());
}

void TMessageFilter::RevokeFilter()
{
    // What comes back is our own registration; dropping it releases us.
    registerMessageFilter(std::exchange(FoldFilter, nullptr));
}
