#pragma once
// The crop-and-recognise command: the user picks two corners in the running
// CAD, the pixels between them are cut out (from the screen or from the CAD's
// BMP export), recognised, and every recognised line becomes a table row.
//
// The main window implements ICropWindow and runs the command from its
// "切り取り" handler:
//     TCropCommand(*this).run();
#include "app/StatusMemo.h"
#include "results/CropGeometry.h"
#include "results/ResultReader.h"
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

class TGridModel;
class CadObject;

// What the command needs of the main window.
class ICropWindow {
public:
    virtual ~ICropWindow() = default;
    virtual IStatusMemo& memo() = 0;                 // Memo1
    virtual QString targetProgId() const = 0;        // TargetProgID
    virtual void minimizeMainWindow() = 0;
    virtual void restoreMainWindow() = 0;            // back to the normal state
    virtual void bringMainWindowToFront() = 0;
    virtual bool binarizeChecked() const = 0;        // CheckBox3 "二値化"
    virtual bool insertAtOnceChecked() const = 0;    // CheckBox4 "即、TEXT 挿入"
    virtual bool createAtOnceChecked() const = 0;    // CheckBox5 "即、TEXT 作成"
    virtual QString textHeightScaleText() const = 0; // Edit4
    virtual void setCropSizeText(const QString& text) = 0;  // Edit7
    virtual QImage preview() const = 0;              // Image1's picture
    virtual void setPreview(const QImage& image) = 0;
    virtual void setWriteButtonsEnabled(bool enabled) = 0;  // Button1 and Button9
    virtual void clearRowEditor() = 0;               // Edit2
    virtual TGridModel& grid() = 0;                  // StringGrid1
    virtual TextWidthFn textWidth() const = 0;       // pixel width in the grid's font
    virtual QStringList& ocrResultLines() = 0;
    virtual QString& ocrFlaggedLines() = 0;
    virtual CropGeometry& cropGeometry() = 0;
    virtual void showCurrentRow() = 0;               // StringGrid1Click
    // Makes the cell the grid's current cell without showing its row.
    virtual void setCurrentCellWithoutShowing(int col, int row) = 0;
};

class TCropCommand {
public:
    // The writing roads the command may hand over to when a "即" box is
    // ticked (Button1Click / Button9Click with Button2 as sender); an empty
    // function does nothing.
    struct FollowUps {
        std::function<void()> insertTexts;
        std::function<void()> createTexts;
    };

    // How long the export road waits for the CAD to finish writing its BMP
    // after the fixed 500 ms; the CAD writes it after answering the command.
    static constexpr int BmpCompleteTimeoutMs = 5000;

    explicit TCropCommand(ICropWindow& window, FollowUps followUps = {});

    // Button2Click. Errors from loading the OCR library or writing
    // "result.txt" or the export propagate as std::exception for the caller's
    // message box.
    void run();

    // The pixel road: the export road for products whose ProgID begins with
    // AUTOCAD, PCAD or DRAFTSIGHT (any case), the screen road otherwise.
    static bool usesExportRoad(const QString& progId);
    // Escape is injected as a key for ProgIDs containing "Auto" (that case).
    static bool injectsEscapeKey(const QString& progId);

private:
    // Steps 8 to 27; picked is set as soon as both corners are obtained, so
    // it survives an error in the steps after the picks.
    void pickAndCut(CadObject& application, bool& picked);
    bool restoreSnaps(CadObject& document, int saved);
    void tidyInput(CadObject& application, CadObject& document);
    bool cutScreen(quint64 drawingWindow, QSize area, QImage& cut, const QRect& rect);
    bool exportAndCut(CadObject& document, QImage& cut, const QRect& rect);
    void recognise(bool autoWrite);

    ICropWindow& m_window;
    FollowUps m_followUps;
};

// Waits until the file at path is a complete BMP (its header's size equals the
// file size) or timeoutMs passes; true when complete.
bool waitForCompleteBmp(const QString& path, int timeoutMs);
