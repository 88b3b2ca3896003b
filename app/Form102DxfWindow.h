#pragma once
// The DXF insertion command's view of the main window.
#include "output/DxfInsertCommand.h"

class TForm102;

class Form102DxfWindow : public IDxfInsertWindow {
public:
    explicit Form102DxfWindow(TForm102& form) : m_form(form) {}
    QString targetProgId() const override;
    void setWriteButtonsEnabled(bool enabled) override;
    int textAci() const override;
    void setTextAci(int aci) override;
    int attnAci() const override;
    QString attnChars() const override;
    FixedHeightBoxes fixedHeightBoxes() const override;
    QStringList& ocrResultLines() override;
    TGridModel& grid() override;

private:
    TForm102& m_form;
};
