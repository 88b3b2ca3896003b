#pragma once
// The application object: dark theme, title, and the one place where an error
// that escaped a handler is shown to the user instead of ending the process.
#include <QApplication>
#include <functional>

inline const QString kApplicationTitle = QStringLiteral("MIRTEX Ver.1.14a (2026/03/02)");

// Fusion style with a dark palette.
void applyWindows10Dark(QApplication& app);

class MirtexApplication : public QApplication {
public:
    MirtexApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the error text; replaced by tests to observe the message instead of a modal box.
    static std::function<void(const QString&)> showError;
};
