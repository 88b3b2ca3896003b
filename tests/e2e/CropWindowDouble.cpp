#include "CropWindowDouble.h"
#include "platform/WindowSystem.h"
#include "tests/support/QtTestSupport.h"
#include <QCoreApplication>

CropWindowDouble::CropWindowDouble(const QString& id) : progId(id)
{
    setupResultHeader(table);
    widget.setWindowTitle(QStringLiteral("crop test window"));
    widget.resize(300, 200);
    widget.show();
    QCoreApplication::processEvents();
}

void CropWindowDouble::processMessages() { QCoreApplication::processEvents(); }

void CropWindowDouble::minimizeMainWindow()
{
    events << QStringLiteral("minimize");
    widget.showMinimized();
    QCoreApplication::processEvents();
}

void CropWindowDouble::restoreMainWindow()
{
    events << QStringLiteral("restore");
    widget.showNormal();
    QCoreApplication::processEvents();
}

void CropWindowDouble::bringMainWindowToFront()
{
    events << QStringLiteral("front");
    // The window manager reports the minimised state in its own time, and a
    // busy machine may still be handing over an earlier state change.
    minimizedWhenShown = waitUntil([this] { return widget.isMinimized(); }, 2000);
    bringToFront(widget.winId());
}

void CropWindowDouble::setWriteButtonsEnabled(bool enabled)
{
    writeButtonsEnabled = enabled;
    events << (enabled ? QStringLiteral("buttons on") : QStringLiteral("buttons off"));
}

TextWidthFn CropWindowDouble::textWidth() const
{
    return [](const QString& s) { return 8 * int(s.size()); };
}
