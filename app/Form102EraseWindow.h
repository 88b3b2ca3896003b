#pragma once
// The image menu commands' view of the main window.
#include "imaging/EraseImageCommand.h"

class TForm102;

class Form102EraseWindow : public IEraseImageWindow {
public:
    explicit Form102EraseWindow(TForm102& form) : m_form(form) {}
    QString cropSizeText() const override;
    void setCropSizeText(const QString& text) override;
    void processMessages() override;
    void message(const QString& text) override;
    void openFile(const QString& path) override;

private:
    TForm102& m_form;
};
