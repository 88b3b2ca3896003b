#pragma once
// The direct and LISP roads' view of the main window.
#include "output/TextRoadWindow.h"

#include <QElapsedTimer>

class TForm102;

class Form102TextRoadWindow : public ITextRoadWindow, private IStatusMemo {
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
    // IStatusMemo: the main window's memo and message loop. While a run goes,
    // the grid (and the progress in its header) is drawn ten times a second
    // rather than after every row: its repaint cost the run a third of its time.
    void addLine(const QString& line) override;
    void clear() override;
    void processMessages() override;
    void information(const QString& text) override;

    TForm102& m_form;
    bool m_running = false;
    QElapsedTimer m_gridShown;
};
