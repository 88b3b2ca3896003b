#pragma once
// The host's main window: drawing area, command line with history, status
// line, File menu. It is also what the bus dispatch drives.
#include "cadhost/CommandInterpreter.h"
#include "cadhost/HostUi.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

class DrawingView;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class HostWindow : public QMainWindow, public HostUi {
    Q_OBJECT
public:
    explicit HostWindow(HostState& state);

    quint64 applicationWindowId() const override;
    quint64 drawingWindowId() const override;
    int windowState() const override;
    void setWindowState(int state) override;
    void startPick(const QString& prompt, std::optional<QPointF> rubberBase,
                   std::function<void(std::optional<QPointF>)> done) override;
    void sendCommand(const QString& text) override;
    void refresh() override;
    void openDrawing(const QString& path) override;
    CommandInterpreter& commands() { return m_commands; }
    // Ends an unanswered pick as cancelled (a LISP prompt answered otherwise).
    void cancelPick() { finishPick(std::nullopt); }

private:
    void finishPick(std::optional<QPointF> point);
    void showLog();

    HostState& m_state;
    CommandInterpreter m_commands;
    DrawingView* m_view;
    QPlainTextEdit* m_history;
    QLineEdit* m_input;
    QLabel* m_coords;
    std::function<void(std::optional<QPointF>)> m_pickDone;
    qsizetype m_shownLog = 0;
    QString m_lastShownLine;
    // A change is drawn once the changes pause, or after a while in a stream of them.
    static constexpr int kRepaintPauseMs = 20, kRepaintAtLeastEveryMs = 250;
    QTimer m_repaintTimer;
    QElapsedTimer m_repaintPending, m_lastChange;
};
