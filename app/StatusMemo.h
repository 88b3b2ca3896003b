#pragma once
#include <QString>

// What commands outside the window may do to the main window's status memo and
// its message loop. The main window implements it; tests record the calls.
class IStatusMemo {
public:
    virtual ~IStatusMemo() = default;
    virtual void addLine(const QString& line) = 0;   // one status line at the end
    virtual void clear() = 0;
    virtual void processMessages() = 0;              // let the window repaint and take input
    virtual void information(const QString& text) = 0;  // modal box centred on the screen
};
