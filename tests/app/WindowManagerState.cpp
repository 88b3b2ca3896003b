#include "WindowManagerState.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

namespace {
Display* display() {
    static Display* d = XOpenDisplay(nullptr);
    return d;
}

Atom atom(const char* name) { return XInternAtom(display(), name, False); }

// The values of a list property (32-bit items as longs), empty when absent.
QList<unsigned long> listProperty(Window w, const char* name, Atom type) {
    QList<unsigned long> values;
    if (!display()) return values;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display(), w, atom(name), 0, 4096, False, type, &actualType, &format, &count,
                           &remaining, &data) == Success && data) {
        if (format == 32)
            for (unsigned long i = 0; i < count; ++i) values << reinterpret_cast<unsigned long*>(data)[i];
        XFree(data);
    }
    return values;
}
}

namespace WindowManagerState {
bool waitForWindowManager(int timeoutMs) {
    if (!display()) return false;
    // A probe window of our own: the manager is ready once it lists the probe.
    Display* d = display();
    const Window probe = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(d, probe);
    bool managed = false;
    for (int waited = 0; !managed && waited <= timeoutMs; waited += 50) {
        managed = stackingOrder().contains(quint64(probe));
        if (!managed) usleep(50 * 1000);
    }
    XDestroyWindow(d, probe);
    XSync(d, False);
    return managed;
}

QList<quint64> stackingOrder() {
    QList<quint64> order;
    if (!display()) return order;
    XSync(display(), False);
    for (unsigned long w : listProperty(DefaultRootWindow(display()), "_NET_CLIENT_LIST_STACKING", XA_WINDOW))
        order << w;
    return order;
}

int stackIndex(quint64 window) { return int(stackingOrder().indexOf(window)); }

quint64 clientOfProcess(qint64 pid) {
    for (quint64 w : stackingOrder()) {
        const QList<unsigned long> p = listProperty(Window(w), "_NET_WM_PID", XA_CARDINAL);
        if (!p.isEmpty() && qint64(p.first()) == pid) return w;
    }
    return 0;
}

QString windowName(quint64 window) {
    if (!display()) return {};
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    QString name;
    if (XGetWindowProperty(display(), Window(window), atom("_NET_WM_NAME"), 0, 4096, False, atom("UTF8_STRING"),
                           &actualType, &format, &count, &remaining, &data) == Success && data) {
        name = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
        XFree(data);
    }
    return name;
}

bool isKeptAbove(quint64 window) {
    return listProperty(Window(window), "_NET_WM_STATE", XA_ATOM).contains(atom("_NET_WM_STATE_ABOVE"));
}

void requestClose(quint64 window) {
    if (!display()) return;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = Window(window);
    e.xclient.message_type = atom("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(atom("WM_DELETE_WINDOW"));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display(), Window(window), False, NoEventMask, &e);
    XFlush(display());
}
}
