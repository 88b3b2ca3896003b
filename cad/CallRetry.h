#pragma once
#include <QDBusMessage>
#include <functional>

// Makes one automation call through attempt and applies the busy policy of the
// registered message filter: a reply RetryLater (reject type 2) or Rejected
// (type 1) is offered to the filter, which answers with a delay in ms before
// the next attempt or -1 to give up. Gives up with CadError CallRejected when
// the filter says so or no filter is registered. Any other reply, error or
// not, is handed back.
QDBusMessage callWithRetryPolicy(const std::function<QDBusMessage()>& attempt);
