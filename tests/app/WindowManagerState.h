#pragma once
// What the window manager reports about the top-level windows (the EWMH
// properties it keeps on the root window and on each client), read over a
// connection of the test's own.
#include <QList>
#include <QString>

namespace WindowManagerState {
// Waits until a window manager runs and manages new windows.
bool waitForWindowManager(int timeoutMs);
// The managed client windows from the bottom of the stack to its top.
QList<quint64> stackingOrder();
// Position in stackingOrder(), -1 when the window is not (yet) managed.
int stackIndex(quint64 window);
// The first managed client window of the process, 0 when none yet.
quint64 clientOfProcess(qint64 pid);
QString windowName(quint64 window);   // _NET_WM_NAME
bool isKeptAbove(quint64 window);     // _NET_WM_STATE_ABOVE
// Asks the client to close the window, as the title bar's close button does.
void requestClose(quint64 window);
}
