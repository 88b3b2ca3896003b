#include "app/Form102DxfWindow.h"

#include "app/Form102.h"

QString Form102DxfWindow::targetProgId() const { return m_form.TargetProgID; }

void Form102DxfWindow::setWriteButtonsEnabled(bool enabled) {
    m_form.Button1->setEnabled(enabled);
    m_form.Button9->setEnabled(enabled);
}

int Form102DxfWindow::textAci() const { return m_form.TextAci; }
void Form102DxfWindow::setTextAci(int aci) { m_form.setTextAci(aci); }
int Form102DxfWindow::attnAci() const { return m_form.AttnAci; }
QString Form102DxfWindow::attnChars() const { return m_form.Edit9->text(); }

FixedHeightBoxes Form102DxfWindow::fixedHeightBoxes() const {
    return {m_form.CheckBox7->isChecked(), m_form.Edit6->text(), m_form.CheckBox6->isChecked(), m_form.Edit5->text()};
}

QStringList& Form102DxfWindow::ocrResultLines() { return m_form.OcrResultLines; }
TGridModel& Form102DxfWindow::grid() { return m_form.Grid; }
