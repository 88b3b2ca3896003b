#pragma once
// Every message box and dialog of MIRTEX goes through here, so that none opens
// behind the stay-on-top main window: the box becomes a transient of the window
// the user is looking at (an open modal dialog, else the main window) and is
// itself kept on top; a message box is centred on the screen.
#include <QMessageBox>

class QWidget;

namespace MessageBoxes {
// The window a new box belongs above: the active modal dialog if one is open,
// otherwise the visible, not minimised stay-on-top main window; null if neither.
QWidget* owningWindow();

// For dialogs of MIRTEX's own (call before showing them): the same treatment.
void keepAboveMainWindow(QWidget* dialog);

// Modal box with the application title; returns the button chosen.
QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

void error(const QString& text);        // an error no handler dealt with
void warning(const QString& text);
void information(const QString& text);
QMessageBox::StandardButton question(const QString& text,
                                     QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
}
