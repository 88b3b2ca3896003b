#include "cadhost/HostWindow.h"

#include "cadhost/DrawingExtents.h"
#include "cadhost/DrawingView.h"
#include "cadhost/DxfFile.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

HostWindow::HostWindow(HostState& state)
    : m_state(state), m_commands(state), m_view(new DrawingView(state)), m_history(new QPlainTextEdit),
      m_input(new QLineEdit), m_coords(new QLabel)
{
    setWindowTitle("cadhost");
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    m_history->setReadOnly(true);
    m_history->setMaximumBlockCount(1000);
    m_history->setFixedHeight(90);
    layout->addWidget(m_history);
    layout->addWidget(m_input);
    setCentralWidget(central);
    statusBar()->addWidget(m_coords);
    resize(1024, 768);

    QMenu* file = menuBar()->addMenu("ファイル(&F)");
    file->addAction("開く(&O)...", this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, "開く", {}, "DXF (*.dxf)");
        if (!path.isEmpty()) openDrawing(path);
    });
    file->addAction("保存(&S)...", this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, "保存", {}, "DXF (*.dxf)");
        if (!path.isEmpty() && !writeDxf(m_state.drawing, path))
            m_state.commandLog << QString("保存できません: %1").arg(path);
        showLog();
    });

    m_repaintTimer.setSingleShot(true);
    connect(&m_repaintTimer, &QTimer::timeout, this, [this] {
        const qint64 quiet = m_lastChange.elapsed();
        if (quiet < kRepaintPauseMs && m_repaintPending.elapsed() < kRepaintAtLeastEveryMs) {
            m_repaintTimer.start(int(kRepaintPauseMs - quiet));
            return;
        }
        m_repaintPending.invalidate();
        m_view->update();
    });
    m_commands.onCancel = [this] { finishPick(std::nullopt); };
    m_commands.onChange = [this] { refresh(); };
    m_commands.renderView = [this] { return m_view->renderDrawing(); };
    m_commands.chooseSaveFile = [this](const QString& title, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, {}, filter);
    };
    connect(m_input, &QLineEdit::returnPressed, this, [this] {
        sendCommand(m_input->text() + "\r");
        m_input->clear();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::ApplicationShortcut);
    connect(escape, &QShortcut::activated, this, [this] { sendCommand(QString(QChar(0x1b))); });
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, [this] { sendCommand("U\r"); });
    connect(m_view, &DrawingView::escapePressed, this, [this] { sendCommand(QString(QChar(0x1b))); });
    connect(m_view, &DrawingView::picked, this, [this](QPointF p) { finishPick(p); });
    connect(m_view, &DrawingView::cursorMoved, this, [this](QPointF p) {
        m_coords->setText(QString("%1, %2").arg(p.x(), 0, 'f', 4).arg(p.y(), 0, 'f', 4));
    });
}

void HostWindow::openDrawing(const QString& path)
{
    DxfReadResult r = readDxf(path);
    m_state.drawing = r.drawing;
    m_state.undo = UndoStack();
    if (!r.ok) m_state.commandLog << r.message;
    zoomToExtents(m_state);
    refresh();
}

quint64 HostWindow::applicationWindowId() const { return winId(); }
quint64 HostWindow::drawingWindowId() const { return m_view->winId(); }

int HostWindow::windowState() const
{
    if (isMinimized()) return 2;
    if (isMaximized()) return 3;
    return 1;
}

void HostWindow::setWindowState(int state)
{
    if (state == 2) showMinimized();
    else if (state == 3) showMaximized();
    else showNormal();
}

void HostWindow::startPick(const QString& prompt, std::optional<QPointF> rubberBase,
                           std::function<void(std::optional<QPointF>)> done)
{
    finishPick(std::nullopt);  // a newer request replaces an unanswered one
    m_pickDone = std::move(done);
    m_input->setPlaceholderText(prompt);
    m_view->setRubberBandBase(rubberBase);
    showLog();
}

void HostWindow::finishPick(std::optional<QPointF> point)
{
    if (!m_pickDone) return;
    auto done = std::move(m_pickDone);
    m_pickDone = nullptr;
    m_input->setPlaceholderText({});
    m_view->setRubberBandBase(std::nullopt);
    if (point) m_state.commandLog << QString("%1,%2").arg(point->x()).arg(point->y());
    done(point);
    showLog();
}

void HostWindow::sendCommand(const QString& text)
{
    // Runs after the caller has had its reply.
    QTimer::singleShot(0, this, [this, text] {
        m_commands.feed(text);
        showLog();
    });
}

void HostWindow::refresh()
{
    // A client or a program making a text call after call would otherwise
    // have the whole drawing painted after every call: paint once the calls
    // pause, and at least every quarter second while they go on.
    m_lastChange.start();
    if (!m_repaintPending.isValid()) m_repaintPending.start();
    if (!m_repaintTimer.isActive()) m_repaintTimer.start(kRepaintPauseMs);
    showLog();
}

void HostWindow::showLog()
{
    // An answer completes its prompt's line: the last shown line may have grown.
    if (m_shownLog > 0 && m_shownLog <= m_state.commandLog.size() &&
        m_state.commandLog[m_shownLog - 1] != m_lastShownLine) {
        QTextCursor cursor(m_history->document()->lastBlock());
        cursor.select(QTextCursor::BlockUnderCursor);
        cursor.removeSelectedText();
        m_history->appendPlainText(m_state.commandLog[m_shownLog - 1]);
    }
    for (; m_shownLog < m_state.commandLog.size(); ++m_shownLog)
        m_history->appendPlainText(m_state.commandLog[m_shownLog]);
    if (m_shownLog > 0 && m_shownLog <= m_state.commandLog.size())
        m_lastShownLine = m_state.commandLog[m_shownLog - 1];
}
