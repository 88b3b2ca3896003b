#include "Application.h"

#include "MessageBoxes.h"

#include <QPalette>
#include <QStyleFactory>
#include <exception>

std::function<void(const QString&)> MirtexApplication::showError = [](const QString& text) {
    MessageBoxes::error(text);
};

void applyWindows10Dark(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    const QColor window(32, 32, 32), base(43, 43, 43), text(240, 240, 240), accent(0, 120, 215);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(51, 51, 51));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    app.setPalette(p);
}

MirtexApplication::MirtexApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool MirtexApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error."));
    }
    return false;
}
