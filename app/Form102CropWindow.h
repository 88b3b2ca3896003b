#pragma once
// The crop command's view of the main window.
#include "capture/CropCommand.h"

class TForm102;

class Form102CropWindow : public ICropWindow {
public:
    explicit Form102CropWindow(TForm102& form) : m_form(form) {}
    IStatusMemo& memo() override;
    QString targetProgId() const override;
    void minimizeMainWindow() override;
    void restoreMainWindow() override;
    void bringMainWindowToFront() override;
    bool binarizeChecked() const override;
    bool insertAtOnceChecked() const override;
    bool createAtOnceChecked() const override;
    QString textHeightScaleText() const override;
    void setCropSizeText(const QString& text) override;
    QImage preview() const override;
    void setPreview(const QImage& image) override;
    void setWriteButtonsEnabled(bool enabled) override;
    void clearRowEditor() override;
    TGridModel& grid() override;
    TextWidthFn textWidth() const override;
    QStringList& ocrResultLines() override;
    QString& ocrFlaggedLines() override;
    CropGeometry& cropGeometry() override;
    void showCurrentRow() override;
    void setCurrentCellWithoutShowing(int col, int row) override;

private:
    TForm102& m_form;
};
