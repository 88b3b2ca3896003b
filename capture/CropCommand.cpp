#include "capture/CropCommand.h"
#include "app/AppPaths.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "capture/Binarize.h"
#include "capture/CropGeometryMath.h"
#include "capture/OcrBinding.h"
#include "platform/WindowSystem.h"
#include "results/GridModel.h"
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtEndian>
#include <stdexcept>

namespace {

const QString kFirstCornerPrompt = QStringLiteral("\n切り取りコーナーの 1 点目を指示 : ");
const QString kSecondCornerPrompt = QStringLiteral("\n切り取りコーナーの 2 点目を指示 : ");
const QChar kEscape(0x1B);

void pause(int ms) { QThread::msleep(ms); }

// A point answer of the CAD as (x, y); nullopt when it is not a point.
std::optional<QPointF> pointOf(const QVariantList& answer)
{
    if (answer.isEmpty())
        return std::nullopt;
    const QList<double> p = toPoint(answer.first());
    if (p.size() < 2)
        return std::nullopt;
    return QPointF(p[0], p[1]);
}

QVariant variable(CadObject& document, const QString& name)
{
    const QVariantList answer = document.invoke(QStringLiteral("GetVariable"), {name});
    if (answer.isEmpty())
        throw std::runtime_error("no value for " + name.toStdString());
    return answer.first();
}

CadViewVars readView(CadObject& document)
{
    CadViewVars view;
    view.viewSize = variable(document, QStringLiteral("viewsize")).toDouble();
    const QList<double> center = toPoint(variable(document, QStringLiteral("viewctr")));
    const QList<double> screen = toPoint(variable(document, QStringLiteral("screensize")));
    if (center.size() < 2 || screen.size() < 2)
        throw std::runtime_error("malformed view variables");
    view.centerX = center[0];
    view.centerY = center[1];
    view.screenW = static_cast<int>(screen[0]);
    view.screenH = static_cast<int>(screen[1]);
    return view;
}

} // namespace

TCropCommand::TCropCommand(ICropWindow& window, FollowUps followUps)
    : m_window(window), m_followUps(std::move(followUps))
{
}

bool TCropCommand::usesExportRoad(const QString& progId)
{
    const QString upper = progId.toUpper();
    return upper.startsWith(QLatin1String("AUTOCAD")) || upper.startsWith(QLatin1String("PCAD"))
        || upper.startsWith(QLatin1String("DRAFTSIGHT"));
}

bool TCropCommand::injectsEscapeKey(const QString& progId)
{
    return progId.contains(QLatin1String("Auto"), Qt::CaseSensitive);
}

void TCropCommand::run()
{
    IStatusMemo& memo = m_window.memo();
    memo.clear();
    if (!checkOcrFiles(memo))
        return;
    const bool autoWrite = m_window.insertAtOnceChecked() || m_window.createAtOnceChecked();
    m_window.setWriteButtonsEnabled(false);
    m_window.ocrResultLines().clear();

    CadObject application;
    if (!connectCad(m_window.targetProgId(), application, true))
        return;
    QFile::remove(AppPaths::inExeFolder(QStringLiteral("source.png")));
    m_window.minimizeMainWindow();

    // Set once the second corner is obtained; it outlives an error in the
    // steps after it, so that recognition still runs on the current preview.
    bool picked = false;
    try {
        pickAndCut(application, picked);
    } catch (const std::exception&) {
        // A refused CAD call or a failed bitmap ends the picking silently.
    }

    m_window.restoreMainWindow();
    memo.processMessages();
    if (!picked)
        return;
    recognise(autoWrite);
}

void TCropCommand::pickAndCut(CadObject& application, bool& picked)
{
    CadObject document = application.getObject(QStringLiteral("ActiveDocument"));
    const int saved = static_cast<int16_t>(variable(document, QStringLiteral("osmode")).toInt());
    document.invoke(QStringLiteral("SetVariable"), {QStringLiteral("osmode"), 0});

    CadObject utility = document.getObject(QStringLiteral("Utility"));
    std::optional<QPointF> p1, p2;
    try {
        p1 = pointOf(utility.invoke(QStringLiteral("GetPoint"), {kFirstCornerPrompt}));
    } catch (const std::exception&) {
        // Escape at the first corner.
    }
    if (p1) {
        try {
            p2 = pointOf(utility.invoke(QStringLiteral("GetCorner"),
                                        {point(p1->x(), p1->y(), 0), kSecondCornerPrompt}));
        } catch (const std::exception&) {
            // Escape at the second corner.
        }
    }
    picked = p1 && p2;

    restoreSnaps(document, saved);
    tidyInput(application, document);
    m_window.bringMainWindowToFront();
    if (!picked)
        return;

    const quint64 drawingWindow = document.get(QStringLiteral("HWND")).toULongLong();
    const CadViewVars view = readView(document);
    const std::optional<CropCut> cut = computeCropCut(view, *p1, *p2);
    if (!cut)
        return;  // no drawing area: recognition runs on the current preview
    m_window.setCropSizeText(cut->sizeText);
    if (cut->pixels.isEmpty())
        return;

    QImage image;
    const bool cutMade = usesExportRoad(m_window.targetProgId())
        ? exportAndCut(document, image, cut->pixels)
        : cutScreen(drawingWindow, QSize(view.screenW, view.screenH), image, cut->pixels);
    if (!cutMade)
        return;
    if (m_window.binarizeChecked())
        binarizeBitmap(image);
    // The geometry goes with the picture it describes, so rows read from an
    // older picture are never mapped through a newer cut.
    m_window.cropGeometry() = cut->geometry;
    m_window.setPreview(image);
    image.save(AppPaths::inExeFolder(QStringLiteral("source.png")), "PNG");
}

bool TCropCommand::restoreSnaps(CadObject& document, int saved)
{
    try {
        document.invoke(QStringLiteral("SetVariable"), {QStringLiteral("osmode"), saved});
        return true;
    } catch (const std::exception&) {
        document.invoke(QStringLiteral("SendCommand"),
                        {QString(kEscape) + QStringLiteral("SETVAR OSMODE ") + QString::number(saved)
                         + QStringLiteral("\r")});
        return false;
    }
}

void TCropCommand::tidyInput(CadObject& application, CadObject& document)
{
    if (!injectsEscapeKey(m_window.targetProgId())) {
        document.invoke(QStringLiteral("SendCommand"), {QString(kEscape)});
        return;
    }
    try {
        const quint64 mainWindow = application.get(QStringLiteral("HWND")).toULongLong();
        bringToFront(mainWindow);
        if (foregroundWindow() == mainWindow) {
            injectEscape();
            pause(100);
        }
    } catch (const std::exception&) {
        // The key is a courtesy; the CAD may have gone.
    }
}

bool TCropCommand::cutScreen(quint64 drawingWindow, QSize area, QImage& cut, const QRect& rect)
{
    const QRect visible = clipToArea(rect, area);
    const QImage grabbed = visible.isEmpty() ? QImage() : grabWindowArea(drawingWindow, visible);
    cut = cutFromImage(grabbed, visible.topLeft(), rect);
    return !cut.isNull();
}

bool TCropCommand::exportAndCut(CadObject& document, QImage& cut, const QRect& rect)
{
    const QString bmp = AppPaths::exePathWith(QStringLiteral(".bmp"));
    QFile::remove(bmp);
    document.invoke(QStringLiteral("SetVariable"), {QStringLiteral("FILEDIA"), 0});
    document.invoke(QStringLiteral("SendCommand"),
                    {QStringLiteral("_BMPOUT\r\"") + bmp + QStringLiteral("\"\r\r")});
    document.invoke(QStringLiteral("SetVariable"), {QStringLiteral("FILEDIA"), 1});
    pause(500);
    // A half-written file would be cut into a corrupt picture: wait, bounded,
    // until the CAD has finished it.
    if (!waitForCompleteBmp(bmp, BmpCompleteTimeoutMs)) {
        m_window.memo().addLine(QStringLiteral("BMPOUT した BMP ファイルが見つかりません."));
        return false;
    }
    const QImage exported(bmp, "BMP");
    if (exported.isNull())
        return false;
    cut = cutFromImage(exported, QPoint(0, 0), rect);
    return !cut.isNull();
}

void TCropCommand::recognise(bool autoWrite)
{
    IStatusMemo& memo = m_window.memo();
    TGridModel& grid = m_window.grid();
    resetForNewResult(grid);
    m_window.clearRowEditor();
    memo.processMessages();

    QStringList& lines = m_window.ocrResultLines();
    QString& flagged = m_window.ocrFlaggedLines();
    const int n = ocrBitmapSL(m_window.preview(), lines, flagged, memo);
    if (n <= 0) {
        memo.addLine(QStringLiteral("OCR 行数が 0 です."));
        return;
    }
    saveResultText(lines, AppPaths::inExeFolder(QStringLiteral("result.txt")));
    pause(100);

    const double txhsc = parseLenientNumber(m_window.textHeightScaleText(), 0.8);
    const int rows = readResultSL(lines, m_window.cropGeometry(), txhsc, autoWrite, grid, m_window.textWidth(),
                                  AppPaths::exePathWith(QStringLiteral(".tsv")));
    m_window.setWriteButtonsEnabled(true);
    // Row 1 is shown once below, and not at all before an automatic write.
    m_window.setCurrentCellWithoutShowing(1, 1);
    if (autoWrite) {
        memo.addLine(QString::number(rows) + QStringLiteral(" データを読み込みました.（角度ステップ 5° 補正済）"));
    } else {
        m_window.showCurrentRow();
        memo.addLine(QString::number(rows) + QStringLiteral(" データを読み込みました.（角度補正無し）"));
    }
    if (!flagged.isEmpty())
        memo.addLine(QStringLiteral("OCR 結果に CAD で表示できない可能性のある文字が含まれています．(行番号 = ")
                     + QString(flagged).replace(QLatin1Char('\t'), QLatin1Char(',')) + QStringLiteral(")"));
    memo.addLine(QStringLiteral("文字高さの平均値 = ") + QString::asprintf("%.3f", averageTextHeight(grid)));

    std::function<void()> followUp;
    if (m_window.insertAtOnceChecked())
        followUp = m_followUps.insertTexts;
    else if (m_window.createAtOnceChecked())
        followUp = m_followUps.createTexts;
    else
        return;
    pause(100);
    memo.processMessages();
    if (followUp)
        followUp();
}

bool waitForCompleteBmp(const QString& path, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray head = file.read(6);
            if (head.size() == 6 && head.startsWith("BM")
                && qFromLittleEndian<quint32>(head.constData() + 2) == static_cast<quint64>(file.size()))
                return true;
        }
        if (clock.elapsed() >= timeoutMs)
            return false;
        pause(20);
    }
}
