#pragma once
// The image menu's commands: open the cut-out "source.png", and build one of the
// text-erased images "resultLN.png", "resultBK.png", "resultWH.png" from it and
// the corners in "result.txt", then open it in the desktop's default viewer.
#include <QColor>
#include <QString>

// What the commands need of the main window.
class IEraseImageWindow {
public:
    virtual ~IEraseImageWindow() = default;
    virtual QString cropSizeText() const = 0;               // Edit7, which shows the progress
    virtual void setCropSizeText(const QString& text) = 0;
    virtual void processMessages() = 0;                     // let the window repaint and take input
    virtual void message(const QString& text) = 0;          // modal box with OK
    virtual void openFile(const QString& path) = 0;         // desktop's default application
};

// N1Click: opens "source.png" of the folder, or says that it is missing.
void openSourceImage(IEraseImageWindow& window, const QString& folder);

// Line mode strikes every text through with a 3-pixel line in lineColour;
// fill mode paints every text's quadrilateral in fillColour and keeps the image
// at most 2048 pixels on its longer side. Writes "result" + suffix + ".png" in
// the folder (with its trailing separator) and opens it; true when it was written.
bool makeEraseImage(IEraseImageWindow& window, const QString& folder, const QColor& fillColour,
                    bool lineMode, const QString& suffix, const QColor& lineColour);
