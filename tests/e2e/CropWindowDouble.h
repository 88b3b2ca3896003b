#pragma once
// The main window as the crop command sees it, for end-to-end runs: a real
// top-level widget (minimised and restored for real), a real grid model, and
// a record of everything the command did to it.
#include "capture/CropCommand.h"
#include "results/GridModel.h"
#include <QStringList>
#include <QWidget>
#include <memory>

class CropWindowDouble : public ICropWindow, public IStatusMemo {
public:
    explicit CropWindowDouble(const QString& progId);

    // Settings a run reads.
    QString progId;
    bool binarize = false, insertAtOnce = false, createAtOnce = false;
    QString heightScale = QStringLiteral("0.8");

    // What a run left behind.
    QStringList memoLines;
    QStringList events;  // "minimize", "restore", "front", "buttons on", "buttons off", "show row"
    QString cropSizeText = QStringLiteral("untouched");
    QImage previewImage;
    bool writeButtonsEnabled = true;
    int rowEditorClears = 0;
    TGridModel table;
    QStringList resultLines;
    QString flaggedLines;
    CropGeometry geometry;
    QWidget widget;
    bool minimizedWhenShown = false;  // the widget's state while the CAD was asked for corners

    // IStatusMemo
    void addLine(const QString& line) override { memoLines << line; }
    void clear() override { memoLines.clear(); }
    void processMessages() override;
    void information(const QString& text) override { memoLines << QStringLiteral("[box] ") + text; }

    // ICropWindow
    IStatusMemo& memo() override { return *this; }
    QString targetProgId() const override { return progId; }
    void minimizeMainWindow() override;
    void restoreMainWindow() override;
    void bringMainWindowToFront() override;
    bool binarizeChecked() const override { return binarize; }
    bool insertAtOnceChecked() const override { return insertAtOnce; }
    bool createAtOnceChecked() const override { return createAtOnce; }
    QString textHeightScaleText() const override { return heightScale; }
    void setCropSizeText(const QString& text) override { cropSizeText = text; }
    QImage preview() const override { return previewImage; }
    void setPreview(const QImage& image) override { previewImage = image; }
    void setWriteButtonsEnabled(bool enabled) override;
    void clearRowEditor() override { ++rowEditorClears; }
    TGridModel& grid() override { return table; }
    TextWidthFn textWidth() const override;
    QStringList& ocrResultLines() override { return resultLines; }
    QString& ocrFlaggedLines() override { return flaggedLines; }
    CropGeometry& cropGeometry() override { return geometry; }
    void showCurrentRow() override { events << QStringLiteral("show row"); }
    void setCurrentCellWithoutShowing(int col, int row) override { table.setCurrent(col, row); }
};
