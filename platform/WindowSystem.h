#pragma once
// Window-system operations on other programs' windows (X11). Window handles
// are X window ids. The display connection is opened on first use; without a
// display every operation fails quietly (false, 0 or an empty result).
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Raises the window's top level, gives it the input focus (through the window
// manager when one runs, also restoring a minimised window) and waits briefly
// until the focus has arrived. True when the window holds the focus.
bool bringToFront(quint64 window);

// The top-level window that holds the input focus (the window a program
// created, not a window manager frame), 0 when none.
quint64 foregroundWindow();

// The top-level window that contains the window (itself for a top level), 0
// for an unknown window. Compare this with foregroundWindow().
quint64 topLevelWindow(quint64 window);

// Presses Escape, waits 5 ms, releases it, as if typed on the keyboard.
bool injectEscape();

// The pixels shown on the screen in the rectangle of the window (window
// coordinates), windows lying over it included. Pixels beyond the screen are
// black. Empty for an unknown window or an empty rectangle.
QImage grabWindowArea(quint64 window, QRect rectInWindow);

// The screen position of the window's top-left corner; (0, 0) when unknown.
QPoint windowScreenPos(quint64 window);

// The topmost child window, 0 when there is none.
quint64 firstChildWindow(quint64 window);

// The size of the window, empty when unknown.
QSize windowSize(quint64 window);

// The root window: drawing on it draws over the whole screen.
quint64 rootWindow();

// Draws the closed outline through the points with a solid pen straight onto
// the window (children included). It stays until the window repaints.
bool drawPolygon(quint64 windowOrRoot, const QList<QPoint>& points, QColor color, int penWidth);
