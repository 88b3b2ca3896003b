#pragma once
// One running host's state without any window: the drawing with its undo
// history, the view, the system variables, the command line and the pending
// pick. The window and the bus both work through it.
#include "CommandLine.h"
#include "Drawing.h"
#include "SystemVariables.h"
#include "UndoHistory.h"
#include "ViewTransform.h"
#include <QObject>
#include <QPointF>
#include <QStringList>
#include <functional>
#include <optional>

class CadSession : public QObject, public CommandContext {
    Q_OBJECT
public:
    explicit CadSession(QObject* parent = nullptr);
    ~CadSession() override;

    // --- the drawing
    const Drawing& drawing() const { return m_drawing; }
    // Replaces the drawing (empty, with a message on the command line, when
    // the file is missing or broken), forgets the undo history, fits the view.
    bool openDrawing(const QString& path);
    bool saveDrawing(const QString& path, QString* error = nullptr);
    QString drawingPath() const { return m_path; }
    // Counts the drawings opened; objects of an earlier one are gone.
    int documentNumber() const { return m_documentNumber; }

    // Every change of the drawing goes through here, as one undo step unless
    // an undo mark is open.
    void change(const std::function<void(Drawing&)>& edit);
    void startUndoMark();
    void endUndoMark();
    // Takes back one step; false when there is none.
    bool undo();
    const UndoHistory& undoHistory() const { return m_undo; }

    // --- the view
    const ViewTransform& view() const { return m_view; }
    void setScreenSize(QSize size);
    bool zoomCenter(QPointF center, double height);
    void zoomAbout(QPointF pixel, double factor);
    void panByPixels(QPointF delta);
    void zoomExtents();
    void regen();

    // --- system variables
    QVariant variable(const QString& name) const { return m_variables.value(name, m_view); }
    SystemVariables::SetResult setVariable(const QString& name, qlonglong value);
    // FILEDIA as it was when the input being run was sent.
    bool fileDialogsOn() const;

    // --- the command line
    void registerCommand(const QString& name, CommandFactory factory);
    void typeLine(const QString& line);        // typed in the window, then Enter
    void sendCommand(const QString& text);     // queued: runs once control returns to the event loop
    void escape();
    QStringList history() const;               // the open prompt line included
    QString prompt() const;
    void message(const QString& line) { logLine(line); }

    // --- picks
    using PickReply = std::function<void(std::optional<QPointF>)>;
    struct Pick {
        bool corner = false;
        std::optional<QPointF> base;
        QString prompt;
    };
    // False when a pick is pending already. The reply runs once, with the
    // point, or with nothing when cancelled.
    bool requestPick(const Pick& pick, PickReply reply);
    std::optional<Pick> pendingPick() const;
    void answerPick(QPointF point);
    // The next picks are answered with these points, in order.
    void presetPicks(const QList<QPointF>& points);

    // Renders the drawing area to a 24-bit BMP file of the screen size.
    bool exportBmp(const QString& path, QString* error);
    // A file name from a dialog when the window offers one (FILEDIA 1).
    std::function<std::optional<QString>(const QString& title, const QString& suggestion)> chooseSaveFile;

    // CommandContext
    void logLine(const QString& line) override;
    void showPrompt(const QString& prompt) override;
    bool pickInput(const QString& text) override;
    bool picking() const override { return m_pick.has_value(); }
    void cancelPick() override;

signals:
    void drawingChanged();
    void viewChanged();
    void historyChanged();
    void promptChanged(const QString& prompt);
    void pickChanged();

private:
    void runQueuedInput();
    void finishPick(std::optional<QPointF> point, const QString& echo);

    Drawing m_drawing;
    UndoHistory m_undo;
    ViewTransform m_view;
    SystemVariables m_variables;
    CommandInterpreter m_commands;
    QStringList m_history;
    QString m_path;
    int m_documentNumber = 1;

    struct QueuedInput {
        QString text;
        bool fileDialogs;
    };
    QList<QueuedInput> m_queue;
    std::optional<bool> m_inputFileDialogs;

    std::optional<Pick> m_pick;
    PickReply m_pickReply;
    QList<QPointF> m_presetPicks;
};
