#include "CadSession.h"
#include "BuiltinCommands.h"
#include "DrawingRenderer.h"
#include "DxfReader.h"
#include "DxfWriter.h"
#include <QFileInfo>
#include <QImageWriter>
#include <QTimer>

namespace {

QString pointText(QPointF p)
{
    return QString::asprintf("%.4f,%.4f", p.x(), p.y());
}

// "x,y" or "x,y,z" as typed at a point prompt.
std::optional<QPointF> parsePoint(const QString& text)
{
    const QStringList parts = text.trimmed().split(u',');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    QList<double> values;
    for (const QString& part : parts) {
        bool ok = false;
        values << part.trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return QPointF(values[0], values[1]);
}

// Prompts arrive with line feeds around them, like a CAD's.
QString promptLine(const QString& prompt)
{
    QString p = prompt;
    while (p.startsWith(u'\n') || p.startsWith(u'\r'))
        p.remove(0, 1);
    while (p.endsWith(u'\n') || p.endsWith(u'\r'))
        p.chop(1);
    return p;
}

} // namespace

CadSession::CadSession(QObject* parent) : QObject(parent), m_commands(*this)
{
    registerBuiltinCommands(*this);
}

CadSession::~CadSession()
{
    if (m_pick)
        cancelPick();
}

bool CadSession::openDrawing(const QString& path)
{
    DxfReadResult read = readDxf(path);
    if (m_pick)
        cancelPick();
    m_drawing = read.drawing;
    m_undo.clear();
    m_path = read.error.isEmpty() ? QFileInfo(path).absoluteFilePath() : QString();
    ++m_documentNumber;
    if (read.error.isEmpty())
        logLine(QStringLiteral("図面を開きました: ") + path);
    else
        logLine(read.error);
    zoomExtents();
    emit drawingChanged();
    return read.error.isEmpty();
}

bool CadSession::saveDrawing(const QString& path, QString* error)
{
    QString why;
    if (!writeDxf(m_drawing, path, &why)) {
        logLine(why);
        if (error)
            *error = why;
        return false;
    }
    m_path = QFileInfo(path).absoluteFilePath();
    logLine(QStringLiteral("図面を保存しました: ") + path);
    return true;
}

void CadSession::change(const std::function<void(Drawing&)>& edit)
{
    m_undo.recordChange(m_drawing);
    edit(m_drawing);
    emit drawingChanged();
}

void CadSession::startUndoMark()
{
    m_undo.startMark();
}

void CadSession::endUndoMark()
{
    m_undo.endMark();
}

bool CadSession::undo()
{
    std::optional<Drawing> before = m_undo.undo();
    if (!before) {
        logLine(QStringLiteral("元に戻す操作はありません。"));
        return false;
    }
    m_drawing = *before;
    logLine(QStringLiteral("元に戻しました。"));
    emit drawingChanged();
    return true;
}

void CadSession::setScreenSize(QSize size)
{
    if (size == m_view.screenSize())
        return;
    m_view.setScreenSize(size);
    emit viewChanged();
}

bool CadSession::zoomCenter(QPointF center, double height)
{
    if (!m_view.zoomCenter(center, height))
        return false;
    emit viewChanged();
    return true;
}

void CadSession::zoomAbout(QPointF pixel, double factor)
{
    m_view.zoomAbout(pixel, factor);
    emit viewChanged();
}

void CadSession::panByPixels(QPointF delta)
{
    m_view.panByPixels(delta);
    emit viewChanged();
}

void CadSession::zoomExtents()
{
    const QRectF extents = drawingExtents(m_drawing);
    if (extents.isNull())
        m_view.zoomCenter({m_view.screenSize().width() / 2.0, m_view.screenSize().height() / 2.0},
                          m_view.screenSize().height());
    else
        m_view.fit(extents);
    emit viewChanged();
}

void CadSession::regen()
{
    emit drawingChanged();
}

SystemVariables::SetResult CadSession::setVariable(const QString& name, qlonglong value)
{
    return m_variables.set(name, value);
}

bool CadSession::fileDialogsOn() const
{
    return m_inputFileDialogs.value_or(m_variables.filedia() != 0);
}

void CadSession::registerCommand(const QString& name, CommandFactory factory)
{
    m_commands.registerCommand(name, std::move(factory));
}

void CadSession::typeLine(const QString& line)
{
    m_commands.feed(line + u'\r');
}

void CadSession::sendCommand(const QString& text)
{
    // FILEDIA counts as it is now: a caller may change it again before the
    // queued input runs.
    m_queue.append({text, m_variables.filedia() != 0});
    if (m_queue.size() == 1)
        QTimer::singleShot(0, this, &CadSession::runQueuedInput);
}

void CadSession::runQueuedInput()
{
    while (!m_queue.isEmpty()) {
        const QueuedInput input = m_queue.takeFirst();
        m_inputFileDialogs = input.fileDialogs;
        m_commands.feed(input.text);
        m_inputFileDialogs.reset();
    }
}

void CadSession::escape()
{
    m_commands.cancel();
}

QStringList CadSession::history() const
{
    QStringList lines = m_history;
    if (m_pick)
        lines << promptLine(m_pick->prompt);
    return lines;
}

QString CadSession::prompt() const
{
    return m_pick ? promptLine(m_pick->prompt) : m_commands.prompt();
}

bool CadSession::requestPick(const Pick& pick, PickReply reply)
{
    if (m_pick)
        return false;
    m_pick = pick;
    m_pickReply = std::move(reply);
    if (!m_presetPicks.isEmpty()) {
        const QPointF p = m_presetPicks.takeFirst();
        finishPick(p, pointText(p));
        return true;
    }
    emit historyChanged();
    emit promptChanged(prompt());
    emit pickChanged();
    return true;
}

std::optional<CadSession::Pick> CadSession::pendingPick() const
{
    return m_pick;
}

void CadSession::answerPick(QPointF point)
{
    if (m_pick)
        finishPick(point, pointText(point));
}

void CadSession::presetPicks(const QList<QPointF>& points)
{
    m_presetPicks += points;
    if (m_pick && !m_presetPicks.isEmpty()) {
        const QPointF p = m_presetPicks.takeFirst();
        finishPick(p, pointText(p));
    }
}

bool CadSession::pickInput(const QString& text)
{
    const std::optional<QPointF> p = parsePoint(text);
    if (!p) {
        logLine(QStringLiteral("点を指定してください (x,y): ") + text);
        return false;
    }
    finishPick(*p, text.trimmed());
    return true;
}

void CadSession::cancelPick()
{
    finishPick(std::nullopt, QStringLiteral("*キャンセル*"));
}

void CadSession::finishPick(std::optional<QPointF> point, const QString& echo)
{
    if (!m_pick)
        return;
    const QString line = promptLine(m_pick->prompt) + echo;
    m_pick.reset();
    PickReply reply = std::exchange(m_pickReply, PickReply());
    m_history << line;
    emit historyChanged();
    emit promptChanged(prompt());
    emit pickChanged();
    if (reply)
        reply(point);
}

bool CadSession::exportBmp(const QString& path, QString* error)
{
    const QImage image = renderDrawing(m_drawing, m_view).convertToFormat(QImage::Format_RGB888);
    QImageWriter writer(path, "bmp");
    if (!writer.write(image)) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    return true;
}

void CadSession::logLine(const QString& line)
{
    m_history << line;
    emit historyChanged();
}

void CadSession::showPrompt(const QString& prompt)
{
    Q_UNUSED(prompt);
    emit promptChanged(this->prompt());
}
