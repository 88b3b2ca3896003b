#include "WindowSystem.h"
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <climits>
#include <vector>
// Xlib last: its macros (None, Bool, Status) clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// One connection of our own, opened on first use; null without a display.
Display* display()
{
    static Display* const connection = XOpenDisplay(nullptr);
    return connection;
}

int g_errorCount = 0;

int countError(Display*, XErrorEvent*)
{
    ++g_errorCount;
    return 0;
}

// Windows of other programs can vanish at any moment; Xlib's default handler
// would end the process on the first BadWindow. Errors inside the scope are
// counted instead.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* d) : m_display(d)
    {
        XSync(m_display, False);
        g_errorCount = 0;
        m_previous = XSetErrorHandler(countError);
    }
    ~ErrorTrap()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    bool failed()
    {
        XSync(m_display, False);
        return g_errorCount != 0;
    }

private:
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};

bool exists(Display* d, Window w, XWindowAttributes* attributes = nullptr)
{
    XWindowAttributes local;
    return w != 0 && XGetWindowAttributes(d, w, attributes ? attributes : &local) != 0;
}

Window parentOf(Display* d, Window w)
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return 0;
    if (children)
        XFree(children);
    return parent;
}

std::vector<Window> childrenOf(Display* d, Window w)
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> out;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return out;
    out.assign(children, children + count); // bottom to top
    if (children)
        XFree(children);
    return out;
}

// The ICCCM state of a managed top level: 1 normal, 3 iconic; -1 when unmanaged.
long wmState(Display* d, Window w)
{
    const Atom wmStateAtom = XInternAtom(d, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(d, w, wmStateAtom, 0, 2, False, wmStateAtom, &type, &format, &items, &after, &data)
            == Success
        && data) {
        if (type == wmStateAtom && format == 32 && items >= 1)
            state = reinterpret_cast<long*>(data)[0];
        XFree(data);
    }
    return state;
}

// A managed client window below a window manager frame.
Window managedBelow(Display* d, Window frame, int depth)
{
    if (wmState(d, frame) >= 0)
        return frame;
    if (depth == 0)
        return 0;
    for (Window child : childrenOf(d, frame))
        if (Window found = managedBelow(d, child, depth - 1))
            return found;
    return 0;
}

// The program's own top-level window containing w: the ancestor carrying
// WM_STATE under a window manager, else the ancestor whose parent is the root.
Window clientTopLevel(Display* d, Window w)
{
    const Window root = DefaultRootWindow(d);
    if (w == 0 || w == root || !exists(d, w))
        return 0;
    for (Window current = w;;) {
        if (wmState(d, current) >= 0)
            return current;
        const Window parent = parentOf(d, current);
        if (parent == 0)
            return 0;
        if (parent == root) {
            // current is a top level: a frame (look inside it) or the program's own window.
            const Window client = managedBelow(d, current, 3);
            return client ? client : current;
        }
        current = parent;
    }
}

bool windowManagerRunning(Display* d)
{
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool running = false;
    if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                           &data)
            == Success
        && data) {
        running = type == XA_WINDOW && items == 1 && exists(d, reinterpret_cast<Window*>(data)[0]);
        XFree(data);
    }
    return running;
}

Window focusedTopLevel(Display* d)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None || focus == PointerRoot)
        return 0;
    return clientTopLevel(d, focus);
}

void askWindowManagerToActivate(Display* d, Window client)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // source: a pager, which window managers obey
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    if (wmState(d, client) == IconicState)
        XMapWindow(d, client); // the ICCCM request to de-iconify
    XFlush(d);
}

bool waitUntil(Display* d, int ms, const auto& condition)
{
    QElapsedTimer clock;
    clock.start();
    while (true) {
        XSync(d, False);
        if (condition())
            return true;
        if (clock.elapsed() >= ms)
            return false;
        QThread::msleep(5);
    }
}

bool isViewable(Display* d, Window w)
{
    XWindowAttributes attributes;
    return exists(d, w, &attributes) && attributes.map_state == IsViewable;
}

void focusDirectly(Display* d, Window client)
{
    XMapRaised(d, client);
    waitUntil(d, 300, [&] { return isViewable(d, client); });
    if (isViewable(d, client))
        XSetInputFocus(d, client, RevertToParent, CurrentTime);
}

int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    const unsigned long value = (pixel & mask) >> shiftOf(mask);
    const unsigned long max = mask >> shiftOf(mask);
    return int(value * 255 / max);
}

void copyPixels(XImage* image, QImage& target, QPoint at)
{
    const bool packed = image->bits_per_pixel == 32 && image->red_mask == 0xff0000 && image->green_mask == 0xff00
                        && image->blue_mask == 0xff && image->byte_order == LSBFirst;
    for (int y = 0; y < image->height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(at.y() + y)) + at.x();
        if (packed) {
            const auto* source = reinterpret_cast<const quint32*>(image->data + std::size_t(y) * image->bytes_per_line);
            for (int x = 0; x < image->width; ++x)
                line[x] = 0xff000000u | source[x];
            continue;
        }
        for (int x = 0; x < image->width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            line[x] = qRgb(channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                           channel(pixel, image->blue_mask));
        }
    }
}

short clampToShort(int v)
{
    return short(std::clamp(v, int(SHRT_MIN), int(SHRT_MAX)));
}

} // namespace

quint64 topLevelWindow(quint64 window)
{
    Display* d = display();
    if (!d)
        return 0;
    ErrorTrap trap(d);
    const Window top = clientTopLevel(d, Window(window));
    return trap.failed() ? 0 : top;
}

quint64 foregroundWindow()
{
    Display* d = display();
    if (!d)
        return 0;
    ErrorTrap trap(d);
    const Window top = focusedTopLevel(d);
    return trap.failed() ? 0 : top;
}

bool bringToFront(quint64 window)
{
    Display* d = display();
    if (!d)
        return false;
    ErrorTrap trap(d);
    const Window client = clientTopLevel(d, Window(window));
    if (!client)
        return false;
    const auto arrived = [&] { return focusedTopLevel(d) == client; };
    if (windowManagerRunning(d)) {
        askWindowManagerToActivate(d, client);
        if (waitUntil(d, 500, arrived))
            return true;
    }
    // No window manager, or one that ignored the request.
    focusDirectly(d, client);
    return waitUntil(d, 200, arrived) && !trap.failed();
}

bool injectEscape()
{
    Display* d = display();
    if (!d)
        return false;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor))
        return false;
    const KeyCode key = XKeysymToKeycode(d, XK_Escape);
    if (key == 0)
        return false;
    XTestFakeKeyEvent(d, key, True, CurrentTime);
    XFlush(d);
    QThread::msleep(5);
    XTestFakeKeyEvent(d, key, False, CurrentTime);
    XSync(d, False);
    return true;
}

QImage grabWindowArea(quint64 window, QRect rectInWindow)
{
    Display* d = display();
    if (!d || rectInWindow.isEmpty())
        return {};
    ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    int rootX = 0, rootY = 0;
    Window child = 0;
    if (!exists(d, Window(window))
        || !XTranslateCoordinates(d, Window(window), root, rectInWindow.x(), rectInWindow.y(), &rootX, &rootY, &child)
        || trap.failed())
        return {};
    XWindowAttributes rootAttributes;
    XGetWindowAttributes(d, root, &rootAttributes);
    QImage out(rectInWindow.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    const QRect wanted(QPoint(rootX, rootY), rectInWindow.size());
    const QRect shown = wanted & QRect(0, 0, rootAttributes.width, rootAttributes.height);
    if (shown.isEmpty())
        return out;
    XImage* image = XGetImage(d, root, shown.x(), shown.y(), unsigned(shown.width()), unsigned(shown.height()),
                              AllPlanes, ZPixmap);
    if (!image)
        return {};
    copyPixels(image, out, shown.topLeft() - wanted.topLeft());
    XDestroyImage(image);
    return out;
}

QPoint windowScreenPos(quint64 window)
{
    Display* d = display();
    if (!d)
        return {};
    ErrorTrap trap(d);
    int x = 0, y = 0;
    Window child = 0;
    if (!exists(d, Window(window))
        || !XTranslateCoordinates(d, Window(window), DefaultRootWindow(d), 0, 0, &x, &y, &child) || trap.failed())
        return {};
    return {x, y};
}

quint64 firstChildWindow(quint64 window)
{
    Display* d = display();
    if (!d || window == 0)
        return 0;
    ErrorTrap trap(d);
    const std::vector<Window> children = childrenOf(d, Window(window));
    if (trap.failed() || children.empty())
        return 0;
    return children.back();
}

QSize windowSize(quint64 window)
{
    Display* d = display();
    if (!d)
        return {};
    ErrorTrap trap(d);
    XWindowAttributes attributes;
    if (!exists(d, Window(window), &attributes) || trap.failed())
        return {};
    return {attributes.width, attributes.height};
}

quint64 rootWindow()
{
    Display* d = display();
    return d ? DefaultRootWindow(d) : 0;
}

bool drawPolygon(quint64 windowOrRoot, const QList<QPoint>& points, QColor color, int penWidth)
{
    Display* d = display();
    if (!d || points.size() < 2)
        return false;
    ErrorTrap trap(d);
    const Window target = Window(windowOrRoot);
    if (!exists(d, target))
        return false;
    XColor pen{};
    pen.red = quint16(color.red() * 257);
    pen.green = quint16(color.green() * 257);
    pen.blue = quint16(color.blue() * 257);
    if (!XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &pen))
        return false;
    XGCValues values{};
    values.foreground = pen.pixel;
    values.line_width = std::max(1, penWidth);
    values.line_style = LineSolid;
    values.cap_style = CapButt;
    values.join_style = JoinMiter;
    // Over child windows too: the drawing area of a program or the whole screen.
    values.subwindow_mode = IncludeInferiors;
    const GC gc = XCreateGC(d, target,
                            GCForeground | GCLineWidth | GCLineStyle | GCCapStyle | GCJoinStyle | GCSubwindowMode,
                            &values);
    std::vector<XPoint> outline;
    for (const QPoint& p : points)
        outline.push_back({clampToShort(p.x()), clampToShort(p.y())});
    outline.push_back(outline.front());
    XDrawLines(d, target, gc, outline.data(), int(outline.size()), CoordModeOrigin);
    XFreeGC(d, gc);
    return !trap.failed();
}
