#pragma once
// What the object model needs from the host's windows.
#include <QtGlobal>

class HostWindow {
public:
    virtual ~HostWindow() = default;
    virtual quint64 applicationWindowId() = 0; // X id of the main window
    virtual quint64 drawingWindowId() = 0;     // X id of the drawing area
    // 1 normal, 2 minimised, 3 maximised
    virtual int windowState() = 0;
    virtual void setWindowState(int state) = 0;
};
