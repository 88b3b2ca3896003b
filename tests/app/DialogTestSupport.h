#pragma once
// Driving MIRTEX's modal dialogs from a test: the steps run once the dialog
// is shown, inside its modal loop.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs the steps once the widget is visible (polled every 10 ms, for at most 5 s).
inline void whenShown(QWidget* widget, std::function<void()> steps) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, widget, steps, waited] {
        if (!widget->isVisible() && ++*waited < 500) return;
        timer->stop();
        timer->deleteLater();
        if (widget->isVisible()) steps();
    });
    timer->start();
}

// Closes the next message box that opens and hands over its text.
inline void answerNextMessageBox(QString* text) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, text] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            timer->stop();
            timer->deleteLater();
            *text = box->text();
            box->accept();
            return;
        }
    });
    timer->start();
}
