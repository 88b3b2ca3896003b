#pragma once
// What the bus dispatch asks of the host's window.
#include <QPointF>
#include <QString>
#include <functional>
#include <optional>

class HostUi {
public:
    virtual ~HostUi() = default;
    virtual quint64 applicationWindowId() const = 0;
    virtual quint64 drawingWindowId() const = 0;
    virtual int windowState() const = 0;  // 1 normal, 2 minimised, 3 maximised
    virtual void setWindowState(int state) = 0;
    // Asks for a click; done gets the point, or nothing when cancelled.
    virtual void startPick(const QString& prompt, std::optional<QPointF> rubberBase,
                           std::function<void(std::optional<QPointF>)> done) = 0;
    virtual void sendCommand(const QString& text) = 0;  // queued
    virtual void refresh() = 0;
    // Opens the DXF file (a bad one gives an empty drawing and a message) and zooms to its extents.
    virtual void openDrawing(const QString& path) = 0;
};
