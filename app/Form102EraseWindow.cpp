#include "app/Form102EraseWindow.h"

#include "app/Form102.h"
#include "app/MessageBoxes.h"

#include <QDesktopServices>
#include <QUrl>

QString Form102EraseWindow::cropSizeText() const { return m_form.Edit7->text(); }

void Form102EraseWindow::setCropSizeText(const QString& text) {
    m_form.Edit7->setText(text);
    m_form.Edit7->repaint();
}

void Form102EraseWindow::processMessages() { m_form.processMessages(); }

void Form102EraseWindow::message(const QString& text) { MessageBoxes::information(text); }

void Form102EraseWindow::openFile(const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }
