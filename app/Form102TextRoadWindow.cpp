#include "app/Form102TextRoadWindow.h"

#include "app/Form102.h"
#include "app/StringGridView.h"

IStatusMemo& Form102TextRoadWindow::memo() { return *this; }

void Form102TextRoadWindow::addLine(const QString& line) { m_form.addLine(line); }
void Form102TextRoadWindow::clear() { m_form.clear(); }
void Form102TextRoadWindow::information(const QString& text) { m_form.information(text); }

void Form102TextRoadWindow::processMessages() {
    constexpr int kGridShownEveryMs = 100;
    if (m_running) {
        const bool due = !m_gridShown.isValid() || m_gridShown.elapsed() >= kGridShownEveryMs;
        if (due) m_gridShown.start();
        m_form.StringGrid1->setUpdatesEnabled(due);  // enabling repaints what changed meanwhile
    }
    m_form.processMessages();
}
QString Form102TextRoadWindow::targetProgId() const { return m_form.TargetProgID; }
int Form102TextRoadWindow::textAci() const { return m_form.TextAci; }
void Form102TextRoadWindow::setTextAci(int aci) { m_form.setTextAci(aci); }
int Form102TextRoadWindow::attnAci() const { return m_form.AttnAci; }
QString Form102TextRoadWindow::attnChars() const { return m_form.Edit9->text(); }

FixedHeightBoxes Form102TextRoadWindow::fixedHeightBoxes() const {
    return {m_form.CheckBox7->isChecked(), m_form.Edit6->text(), m_form.CheckBox6->isChecked(), m_form.Edit5->text()};
}

bool Form102TextRoadWindow::lispChecked() const { return m_form.CheckBox8->isChecked(); }
TGridModel& Form102TextRoadWindow::grid() { return m_form.Grid; }
const QStringList& Form102TextRoadWindow::ocrResultLines() const { return m_form.OcrResultLines; }
bool& Form102TextRoadWindow::textRunActive() { return m_form.textRunActive; }

void Form102TextRoadWindow::setRunButtons(bool running) {
    m_running = running;
    if (!running) m_form.StringGrid1->setUpdatesEnabled(true);
    if (!running) m_form.Button9->setText(QStringLiteral("TEXT 作成"));
    m_form.Button9->setEnabled(!running);
    m_form.Button1->setEnabled(!running);
    m_form.Button17->setEnabled(running);
}

void Form102TextRoadWindow::disableStopButton() { m_form.Button17->setEnabled(false); }

void Form102TextRoadWindow::runLispRoad(bool fromCrop) {
    m_form.Button15Click(fromCrop ? m_form.Button2 : m_form.Button9);
}
