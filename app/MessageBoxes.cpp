#include "MessageBoxes.h"

#include "Application.h"

#include <QApplication>
#include <QScreen>
#include <QResizeEvent>
#include <QShowEvent>

namespace {
// Centred on the screen once its final size is known (QMessageBox sizes itself
// in its own show event, just before the window is mapped).
class ScreenCentredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        centre();
    }
    // A box can still grow after it is shown (its text laid out once the fonts
    // are loaded, on a busy machine): it stays centred as it does.
    void resizeEvent(QResizeEvent* event) override {
        QMessageBox::resizeEvent(event);
        if (isVisible()) centre();
    }

private:
    void centre() {
        QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
};

bool isShownAndNotMinimised(const QWidget* w) {
    return w && w->isVisible() && !w->isMinimized();
}
}

namespace MessageBoxes {
QWidget* owningWindow() {
    if (QWidget* modal = QApplication::activeModalWidget(); isShownAndNotMinimised(modal)) return modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !qobject_cast<QMessageBox*>(w) &&
            isShownAndNotMinimised(w))
            return w;
    return nullptr;
}

void keepAboveMainWindow(QWidget* dialog) {
    const Qt::WindowFlags flags = (dialog->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog |
                                  Qt::WindowStaysOnTopHint;
    QWidget* owner = owningWindow();
    if (owner == dialog) owner = nullptr;
    dialog->setParent(owner, flags);
}

QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton) {
    ScreenCentredMessageBox box(icon, kApplicationTitle, text, buttons);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    keepAboveMainWindow(&box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void error(const QString& text) { show(QMessageBox::Critical, text); }
void warning(const QString& text) { show(QMessageBox::Warning, text); }
void information(const QString& text) { show(QMessageBox::Information, text); }

QMessageBox::StandardButton question(const QString& text, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) {
    return show(QMessageBox::Question, text, buttons, defaultButton);
}
}
