#pragma once
// The direct and LISP roads' view of the main window.
#include "output/TextRoadWindow.h"

class TForm102;

class Form102TextRoadWindow : public ITextRoadWindow {
public:
    explicit Form102TextRoadWindow(TForm102& form) : m_form(form) {}
    IStatusMemo& memo() override;
    QString targetProgId() const override;
    int textAci() const override;
    void setTextAci(int aci) override;
    int attnAci() const override;
    QString attnChars() const override;
    FixedHeightBoxes fixedHeightBoxes() const override;
    bool lispChecked() const override;
    TGridModel& grid() override;
    const QStringList& ocrResultLines() const override;
    bool& textRunActive() override;
    void setRunButtons(bool running) override;
    void disableStopButton() override;
    void runLispRoad(bool fromCrop) override;

private:
    TForm102& m_form;
};
