#include "app/Form102CropWindow.h"

#include "app/Form102.h"
#include "platform/WindowSystem.h"

#include <QCoreApplication>

IStatusMemo& Form102CropWindow::memo() { return m_form; }
QString Form102CropWindow::targetProgId() const { return m_form.TargetProgID; }

void Form102CropWindow::minimizeMainWindow() {
    m_form.showMinimized();
    QCoreApplication::processEvents();
}

void Form102CropWindow::restoreMainWindow() {
    m_form.showNormal();
    QCoreApplication::processEvents();
}

void Form102CropWindow::bringMainWindowToFront() {
    m_form.raise();
    m_form.activateWindow();
    bringToFront(m_form.winId());
}

bool Form102CropWindow::binarizeChecked() const { return m_form.CheckBox3->isChecked(); }
bool Form102CropWindow::insertAtOnceChecked() const { return m_form.CheckBox4->isChecked(); }
bool Form102CropWindow::createAtOnceChecked() const { return m_form.CheckBox5->isChecked(); }
QString Form102CropWindow::textHeightScaleText() const { return m_form.Edit4->text(); }
void Form102CropWindow::setCropSizeText(const QString& text) { m_form.Edit7->setText(text); }
QImage Form102CropWindow::preview() const { return m_form.Image1->picture(); }
void Form102CropWindow::setPreview(const QImage& image) { m_form.Image1->setPicture(image); }

void Form102CropWindow::setWriteButtonsEnabled(bool enabled) {
    m_form.Button1->setEnabled(enabled);
    m_form.Button9->setEnabled(enabled);
}

void Form102CropWindow::clearRowEditor() { m_form.Edit2->clear(); }
TGridModel& Form102CropWindow::grid() { return m_form.Grid; }
TextWidthFn Form102CropWindow::textWidth() const { return m_form.gridTextWidth(); }
QStringList& Form102CropWindow::ocrResultLines() { return m_form.OcrResultLines; }
QString& Form102CropWindow::ocrFlaggedLines() { return m_form.OcrFlaggedLines; }
CropGeometry& Form102CropWindow::cropGeometry() { return m_form.Crop; }
void Form102CropWindow::showCurrentRow() { m_form.StringGrid1Click(); }
void Form102CropWindow::setCurrentCellWithoutShowing(int col, int row) {
    m_form.setCurrentCellWithoutShowing(col, row);
}
