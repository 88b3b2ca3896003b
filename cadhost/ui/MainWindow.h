#pragma once
// The host's main window: the drawing area, the command line with its
// history, the status line with the cursor's drawing coordinates, and the
// File menu.
#include "../bus/HostWindow.h"
#include <QMainWindow>

class CadSession;
class DrawingView;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class MainWindow : public QMainWindow, public HostWindow {
    Q_OBJECT
public:
    MainWindow(CadSession& session, const QString& progId);

    quint64 applicationWindowId() override;
    quint64 drawingWindowId() override;
    int windowState() override;
    void setWindowState(int state) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void openFile();
    void saveFileAs();
    void showHistory();
    void updateTitle();

    CadSession& m_session;
    QString m_progId;
    DrawingView* m_view;
    QPlainTextEdit* m_history;
    QLabel* m_prompt;
    QLineEdit* m_input;
    QLabel* m_coordinates;
};
