// The crop command end to end: a real CAD host on the private bus showing a
// generated drawing, the real OCR engine, corners picked by real clicks (or
// answered through the host's test interface), a real grid model.
#include "CadHostProcess.h"
#include "HostView.h"
#include "tests/support/QtTestSupport.h"
#include "CropWindowDouble.h"
#include "../../bench/corpus/CorpusDxf.h"
#include "app/AppPaths.h"
#include "app/Form102.h"
#include "ocrengine/samples/TextSamples.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "capture/CropCommand.h"
#include "platform/WindowSystem.h"
#include "results/ResultReader.h"
#include "tests/support/ScratchExecutable.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QMessageBox>
#include <QTimer>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

QApplication& app()
{
    return testApplication<QApplication>();
}

struct Lettering {
    QString text;
    QPointF insertion;  // left end of the baseline
    double height;
    int aci;
};

// Drawing units are laid out for a view of one unit per pixel.
const QList<Lettering> kLettering = {
    {QStringLiteral("平面図 S=1/100"), {60, 420}, 26, 7},
    {QStringLiteral("鉄筋コンクリート造"), {60, 360}, 22, 2},
    {QStringLiteral("GL+1,200"), {60, 305}, 22, 3},
    {QStringLiteral("ALC PANEL 100"), {330, 305}, 22, 4},
};
const QRectF kTextRegion(30, 270, 560, 190);   // x, y of the lower-left corner, w, h
const QRectF kEmptyRegion(700, 60, 200, 120);

class CropCommandE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(m_dir.isValid());
        // The executable's folder: the OCR engine files and the programs beside a scratch MIRTEX.
        useScratchExecutableFolder(m_dir.path());
        CorpusDxf dxf;
        dxf.addLayer(QStringLiteral("TEXT"), 7);
        for (const Lettering& l : kLettering)
            dxf.addText(QStringLiteral("TEXT"), l.text, l.insertion, l.height, 0, l.aci);
        m_drawing = m_dir.filePath(QStringLiteral("lettering.dxf"));
        ASSERT_TRUE(dxf.save(m_drawing));
    }

    // Starts a host under progId showing the drawing at one unit per pixel.
    void startHost(const QString& progId)
    {
        m_progId = progId;
        ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), progId, m_drawing)) << m_host.error().toStdString();
        ASSERT_TRUE(connectCad(progId, m_app, false));
        m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
        m_drawingArea = m_doc.get(QStringLiteral("HWND")).toULongLong();
        const QList<double> screen = toPoint(variable(QStringLiteral("screensize")));
        ASSERT_EQ(screen.size(), 2);
        m_w = int(screen[0]);
        m_h = int(screen[1]);
        ASSERT_GE(m_w, 700);
        ASSERT_GE(m_h, 480);
        // The drawing's lower-left corner sits 10 px inside the area's lower-left corner.
        m_app.invoke(QStringLiteral("ZoomCenter"), {point(m_w / 2.0 - 10, m_h / 2.0 - 10, 0), double(m_h)});
        m_doc.invoke(QStringLiteral("SetVariable"), {QStringLiteral("osmode"), 4133});
        app().processEvents();
    }

    QVariant variable(const QString& name)
    {
        const QVariantList r = m_doc.invoke(QStringLiteral("GetVariable"), {name});
        return r.isEmpty() ? QVariant() : r.first();
    }

    // Column and row of the cut edge a picked drawing point gives: offsets from
    // the centre in pixels, truncated toward zero on both sides, so a click left
    // of or above the centre lands one pixel inside its own column or row.
    static QPoint cutPixelOf(const HostView& v, QPointF p)
    {
        const double s = v.size / v.h;
        return {int(std::trunc((p.x() - v.centre.x()) / s)) + v.w / 2,
                v.h / 2 - int(std::trunc((p.y() - v.centre.y()) / s))};
    }

    int pickPrompts() { return m_host.commandLog().count(QStringLiteral("点目を指示")); }

    // Runs the command while another thread acts on the host: `act` is called
    // with the number of the prompt (1 or 2) each time a new one appears, and
    // returns false when it has nothing more to do. A watchdog cancels a pick
    // that nobody answers so a failing test cannot hang.
    void runWithActions(TCropCommand& command, const std::function<bool(int)>& act)
    {
        std::atomic<bool> done{false};
        const int before = pickPrompts();
        std::thread actor([&] {
            int seen = 0;
            for (int waited = 0; !done && waited < 600; ++waited) {
                const int prompts = pickPrompts() - before;
                if (prompts > seen) {
                    seen = prompts;
                    QThread::msleep(150);
                    if (!act(seen))
                        break;
                }
                QThread::msleep(50);
            }
            for (int waited = 0; !done && waited < 200; ++waited)
                QThread::msleep(50);
            if (!done)
                QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        });
        command.run();
        done = true;
        actor.join();
    }

    // A real click on the drawing area at pixel px (asks the CAD nothing).
    void click(QPoint px)
    {
        const QPoint at = windowScreenPos(m_drawingArea) + px;
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()),
                                                      QString::number(at.y()), QStringLiteral("click"),
                                                      QStringLiteral("1")});
    }

    QByteArray fileBytes(const QString& name)
    {
        QFile f(AppPaths::inExeFolder(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // How many of the drawn letterings have a row close to them in text and position.
    int matchedLettering(const CropWindowDouble& window, const QList<Lettering>& lettering = kLettering)
    {
        int matched = 0;
        for (const Lettering& l : lettering) {
            const QPointF middleLeft(l.insertion.x(), l.insertion.y() + l.height / 2);
            for (int r = 1; r < window.table.RowCount(); ++r) {
                const double x = parseLenientNumber(window.table.cell(4, r), 1e9);
                const double y = parseLenientNumber(window.table.cell(5, r), 1e9);
                const QString text = comparableText(window.table.cell(1, r));
                const QString want = comparableText(l.text);
                if (std::hypot(x - middleLeft.x(), y - middleLeft.y()) <= 0.5 * l.height
                    && editDistance(text, want) <= want.size() / 5) {
                    ++matched;
                    break;
                }
            }
        }
        return matched;
    }

    void expectResultFileMatches(const QStringList& lines)
    {
        const QByteArray bytes = fileBytes(QStringLiteral("result.txt"));
        ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        QByteArray expected("\xEF\xBB\xBF");
        for (const QString& l : lines)
            expected += l.toUtf8() + "\r\n";
        EXPECT_EQ(bytes, expected);
    }

    QTemporaryDir m_dir;
    QString m_drawing, m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
    quint64 m_drawingArea = 0;
    int m_w = 0, m_h = 0;
};

QString uniqueProgId(const char* what)
{
    return QStringLiteral("MirtexE2E.%1%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
}

TEST_F(CropCommandE2E, RealClicksCutRecogniseAndFillTheTable)
{
    startHost(uniqueProgId("Screen"));
    CropWindowDouble window(m_progId);
    const HostView view = HostView::of(m_doc);
    const QPoint a = view.pixelOf({kTextRegion.left(), kTextRegion.bottom()});
    const QPoint b = view.pixelOf({kTextRegion.right(), kTextRegion.top()});
    TCropCommand command(window);
    runWithActions(command, [&](int prompt) {
        click(prompt == 1 ? a : b);
        return prompt < 2;
    });

    // The cut spans the clicked pixels as the truncating mapping places them;
    // the geometry starts at the first click.
    const QPointF p1 = view.pixelCentre(a), p2 = view.pixelCentre(b);
    const QPoint c1 = cutPixelOf(view, p1), c2 = cutPixelOf(view, p2);
    EXPECT_LE(std::abs((c2.x() - c1.x()) - (b.x() - a.x())), 1);
    EXPECT_LE(std::abs((c2.y() - c1.y()) - (b.y() - a.y())), 1);
    EXPECT_EQ(window.geometry.WidthPx, c2.x() - c1.x());
    EXPECT_EQ(window.geometry.HeightPx, c2.y() - c1.y());
    EXPECT_NEAR(window.geometry.OriginX, p1.x(), 1e-6);
    EXPECT_NEAR(window.geometry.OriginY, p1.y(), 1e-6);
    EXPECT_NEAR(window.geometry.Scale, view.size / m_h, 1e-12);
    EXPECT_EQ(window.cropSizeText, QString::asprintf(" (%.1f,%.1f)/(%d,%d)=%.6f", std::abs(p2.x() - p1.x()),
                                                     std::abs(p1.y() - p2.y()), c2.x() - c1.x(), c2.y() - c1.y(),
                                                     window.geometry.Scale));
    const QImage source(AppPaths::inExeFolder(QStringLiteral("source.png")));
    ASSERT_FALSE(source.isNull());
    EXPECT_EQ(source.size(), QSize(c2.x() - c1.x(), c2.y() - c1.y()));
    EXPECT_EQ(window.previewImage.size(), source.size());

    ASSERT_FALSE(window.resultLines.isEmpty());
    expectResultFileMatches(window.resultLines);
    EXPECT_EQ(window.table.RowCount(), window.resultLines.size() + 1);
    EXPECT_EQ(matchedLettering(window), kLettering.size());
    EXPECT_EQ(window.table.Row(), 1);
    EXPECT_EQ(window.table.Col(), 1);

    // The read wrote its export beside the executable: the geometry, then one line per row.
    const QList<QByteArray> exported = fileBytes(QStringLiteral("MIRTEX.tsv")).split('\n');
    ASSERT_EQ(exported.size(), window.table.RowCount() + 1) << "one CR LF ended line per row after the header";
    EXPECT_EQ(exported.first(), QString::asprintf("%.8f\t%d,%d\t%.8f,%.8f\r", window.geometry.Scale,
                                                  window.geometry.WidthPx, window.geometry.HeightPx,
                                                  window.geometry.OriginX, window.geometry.OriginY).toLatin1());
    EXPECT_TRUE(exported[1].endsWith(window.table.cell(6, 1).toLatin1() + "\r"));

    // Memo: the engine's progress, the count, then the average height.
    ASSERT_GE(window.memoLines.size(), 2);
    EXPECT_TRUE(window.memoLines.contains(QString::number(window.resultLines.size())
                                          + QStringLiteral(" データを読み込みました.（角度補正無し）")));
    EXPECT_EQ(window.memoLines.last(),
              QStringLiteral("文字高さの平均値 = ") + QString::asprintf("%.3f", averageTextHeight(window.table)));
    EXPECT_GT(averageTextHeight(window.table), 10.0);

    // Window handling and buttons, in order; snaps back as they were.
    EXPECT_EQ(window.events, (QStringList{"buttons off", "minimize", "front", "restore", "buttons on", "show row"}));
    EXPECT_TRUE(window.minimizedWhenShown);
    EXPECT_FALSE(window.widget.isMinimized());
    EXPECT_EQ(variable(QStringLiteral("osmode")).toInt(), 4133);
}

TEST_F(CropCommandE2E, ReversedCornersWithInsertAtOnceSnapAnglesAndHandOver)
{
    startHost(uniqueProgId("Reversed"));
    CropWindowDouble window(m_progId);
    window.insertAtOnce = true;
    int insertRuns = 0, createRuns = 0;
    TCropCommand command(window, {[&] { ++insertRuns; }, [&] { ++createRuns; }});
    // Lower-right corner first.
    m_host.answerPicks({{kTextRegion.right(), kTextRegion.top()}, {kTextRegion.left(), kTextRegion.bottom()}});
    command.run();

    EXPECT_DOUBLE_EQ(window.geometry.OriginX, kTextRegion.left());
    EXPECT_DOUBLE_EQ(window.geometry.OriginY, kTextRegion.bottom());
    EXPECT_GT(window.geometry.WidthPx, 0);
    EXPECT_GT(window.geometry.HeightPx, 0);
    EXPECT_TRUE(window.cropSizeText.startsWith(QString::asprintf(" (%.1f,%.1f)/", kTextRegion.width(), kTextRegion.height())))
        << window.cropSizeText.toStdString();
    EXPECT_EQ(matchedLettering(window), kLettering.size());
    for (int r = 1; r < window.table.RowCount(); ++r) {
        const double angle = parseLenientNumber(window.table.cell(3, r), -1);
        EXPECT_EQ(std::fmod(angle, 5.0), 0.0) << window.table.cell(3, r).toStdString();
    }
    EXPECT_TRUE(window.memoLines.contains(QString::number(window.resultLines.size())
                                          + QStringLiteral(" データを読み込みました.（角度ステップ 5° 補正済）")));
    EXPECT_FALSE(window.events.contains(QStringLiteral("show row")));
    EXPECT_EQ(insertRuns, 1);
    EXPECT_EQ(createRuns, 0);
}

TEST_F(CropCommandE2E, CreateAtOnceHandsOverToTheDirectRoad)
{
    startHost(uniqueProgId("Create"));
    CropWindowDouble window(m_progId);
    window.createAtOnce = true;
    int insertRuns = 0, createRuns = 0;
    TCropCommand command(window, {[&] { ++insertRuns; }, [&] { ++createRuns; }});
    m_host.answerPicks({{kTextRegion.left(), kTextRegion.bottom()}, {kTextRegion.right(), kTextRegion.top()}});
    command.run();
    EXPECT_EQ(insertRuns, 0);
    EXPECT_EQ(createRuns, 1);
    // Without the roads wired the command just ends after the report.
    CropWindowDouble bare(m_progId);
    bare.createAtOnce = true;
    m_host.answerPicks({{kTextRegion.left(), kTextRegion.bottom()}, {kTextRegion.right(), kTextRegion.top()}});
    TCropCommand(bare).run();
    EXPECT_TRUE(bare.writeButtonsEnabled);
    EXPECT_EQ(bare.memoLines.last().left(10), QStringLiteral("文字高さの平均値 = ").left(10));
}

// The crop through the real main window: 切り取り with and without a "即" box.
class CropMainWindowE2E : public CropCommandE2E {
protected:
    void SetUp() override
    {
        CropCommandE2E::SetUp();
        startHost(uniqueProgId("MainWindow"));
        form = std::make_unique<TForm102>();  // no settings file: defaults
        form->TargetProgID = m_progId;
        form->show();
        // An earlier read with the current cell in row 3, column 3, shown in the
        // row editor; the crop's reset keeps that column, so the crop itself
        // moves the current cell to row 1, column 1.
        form->Grid.setRowCount(4);
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c < 9; ++c)
                form->Grid.setCell(c, r, c == 1 ? QStringLiteral("earlier %1").arg(r) : QStringLiteral("1"));
        form->Grid.setCurrent(3, 3);
        ASSERT_EQ(form->Edit2->text(), QStringLiteral("earlier 3"));
        // A box would stop the run: note its text and close it.
        QObject::connect(&boxWatch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->done(0);
            }
        });
        boxWatch.start(200);
    }
    void TearDown() override { form.reset(); }

    void crop()
    {
        m_host.answerPicks({{kTextRegion.left(), kTextRegion.bottom()}, {kTextRegion.right(), kTextRegion.top()}});
        form->Button2->click();
    }
    QString memo() const { return form->Memo1->toPlainText(); }

    std::unique_ptr<TForm102> form;
    QTimer boxWatch;
    QStringList boxes;
};

TEST_F(CropMainWindowE2E, InsertAtOnceWritesWithoutShowingRowOne)
{
    form->CheckBox4->click();
    ASSERT_TRUE(form->CheckBox4->isChecked());
    crop();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    EXPECT_TRUE(memo().contains(QStringLiteral("データを読み込みました.（角度ステップ 5° 補正済）"))) << memo().toStdString();
    EXPECT_EQ(form->Grid.Row(), 1);
    EXPECT_EQ(form->Grid.Col(), 1);
    EXPECT_TRUE(form->Edit2->text().isEmpty()) << "row 1 was shown: " << form->Edit2->text().toStdString();
    EXPECT_TRUE(QFile::exists(AppPaths::exePathWith(QStringLiteral(".tsv"))));
    // The automatic insertion put the rows into the drawing.
    int written = 0;
    for (const QJsonObject& e : m_host.entities())
        written += e.value(QStringLiteral("layer")).toString() == QStringLiteral("MIRTEX");
    EXPECT_EQ(written, form->Grid.RowCount() - 1);
}

TEST_F(CropMainWindowE2E, WithoutAutoWriteRowOneIsShownAndTheReloadRewritesTheExport)
{
    crop();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    EXPECT_TRUE(memo().contains(QStringLiteral("データを読み込みました.（角度補正無し）"))) << memo().toStdString();
    ASSERT_GT(form->Grid.RowCount(), 2);
    EXPECT_EQ(form->Grid.Row(), 1);
    EXPECT_EQ(form->Edit2->text(), form->Grid.cell(1, 1));
    const QString tsv = AppPaths::exePathWith(QStringLiteral(".tsv"));
    ASSERT_TRUE(QFile::remove(tsv)) << "the crop wrote no export";
    form->Button5->click();
    EXPECT_TRUE(QFile::exists(tsv)) << "the reload wrote no export";
}

class CropEscapeE2E : public CropCommandE2E, public ::testing::WithParamInterface<int> {};

// Escape at the first corner, or at the second after a real click on the first.
TEST_P(CropEscapeE2E, EscapeAtACornerLeavesEverythingAsItWas)
{
    const int escapeAt = GetParam();
    startHost(uniqueProgId("Escape"));
    CropWindowDouble window(m_progId);
    window.table.setRowCount(3);
    window.table.setCell(1, 2, QStringLiteral("kept"));
    window.resultLines = QStringList{QStringLiteral("0: old: (0,0),(1,0),(1,1),(0,1)")};
    window.geometry.Scale = 7;
    QFile stale(AppPaths::inExeFolder(QStringLiteral("source.png")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    const QPoint first = HostView::of(m_doc).pixelOf({kTextRegion.left(), kTextRegion.bottom()});
    TCropCommand command(window);
    runWithActions(command, [&](int prompt) {
        if (prompt < escapeAt) {
            click(first);
            return true;
        }
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        return false;
    });

    EXPECT_TRUE(window.memoLines.isEmpty()) << window.memoLines.join('|').toStdString();
    EXPECT_FALSE(window.writeButtonsEnabled);
    EXPECT_TRUE(window.resultLines.isEmpty());
    EXPECT_FALSE(QFile::exists(AppPaths::inExeFolder(QStringLiteral("source.png"))));
    EXPECT_EQ(window.table.RowCount(), 3);
    EXPECT_EQ(window.table.cell(1, 2), QStringLiteral("kept"));
    EXPECT_EQ(window.geometry.Scale, 7);
    EXPECT_EQ(window.cropSizeText, QStringLiteral("untouched"));
    EXPECT_TRUE(window.previewImage.isNull());
    EXPECT_EQ(window.events, (QStringList{"buttons off", "minimize", "front", "restore"}));
    EXPECT_FALSE(window.widget.isMinimized());
    EXPECT_EQ(variable(QStringLiteral("osmode")).toInt(), 4133);
    EXPECT_EQ(m_host.commandLog().count(QStringLiteral("2 点目を指示")), escapeAt - 1);
}

INSTANTIATE_TEST_SUITE_P(Corners, CropEscapeE2E, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? std::string("First") : std::string("Second"); });

TEST_F(CropCommandE2E, CadErrorAfterBothCornersStillRecognisesThePreview)
{
    startHost(uniqueProgId("Refused"));
    CropWindowDouble window(m_progId);
    m_host.answerPicks({{kTextRegion.left(), kTextRegion.bottom()}, {kTextRegion.right(), kTextRegion.top()}});
    TCropCommand(window).run();
    const int rowsBefore = window.table.RowCount();
    ASSERT_GT(rowsBefore, 2);
    const QImage preview = window.previewImage;

    // Second run: once the second corner is in, the CAD refuses the next calls
    // (restoring the snaps, and the command line sent instead).
    window.memoLines.clear();
    window.events.clear();
    const HostView view = HostView::of(m_doc);
    const QPoint a = view.pixelOf({kEmptyRegion.left(), kEmptyRegion.bottom()});
    const QPoint b = view.pixelOf({kEmptyRegion.right(), kEmptyRegion.top()});
    TCropCommand command(window);
    runWithActions(command, [&](int prompt) {
        if (prompt == 2)
            m_host.failNextCalls(2, QStringLiteral("reject"));
        click(prompt == 1 ? a : b);
        return prompt < 2;
    });

    // The table was reset and the earlier picture recognised again.
    EXPECT_EQ(window.rowEditorClears, 2);
    EXPECT_EQ(window.previewImage, preview);
    EXPECT_EQ(window.table.RowCount(), rowsBefore);
    EXPECT_TRUE(window.writeButtonsEnabled);
    EXPECT_TRUE(window.memoLines.contains(QString::number(rowsBefore - 1)
                                          + QStringLiteral(" データを読み込みました.（角度補正無し）")))
        << window.memoLines.join('|').toStdString();
    EXPECT_EQ(window.events, (QStringList{"buttons off", "minimize", "restore", "buttons on", "show row"}));
}

TEST_F(CropCommandE2E, UnwritableExportEndsTheCommandWithTheRowsRead)
{
    startHost(uniqueProgId("NoExport"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("MIRTEX.tsv")));  // a folder where the file goes
    CropWindowDouble window(m_progId);
    m_host.answerPicks({{kTextRegion.left(), kTextRegion.bottom()}, {kTextRegion.right(), kTextRegion.top()}});
    EXPECT_THROW(TCropCommand(window).run(), std::runtime_error);
    EXPECT_EQ(window.table.RowCount(), window.resultLines.size() + 1);
    EXPECT_EQ(matchedLettering(window), kLettering.size());
    EXPECT_FALSE(window.writeButtonsEnabled);
    EXPECT_FALSE(window.events.contains(QStringLiteral("show row")));
}

TEST_F(CropCommandE2E, RegionWithoutTextReportsNoLinesAndKeepsResultFile)
{
    startHost(uniqueProgId("Empty"));
    CropWindowDouble window(m_progId);
    QFile result(AppPaths::inExeFolder(QStringLiteral("result.txt")));
    ASSERT_TRUE(result.open(QIODevice::WriteOnly));
    result.write("earlier result\r\n");
    result.close();
    m_host.answerPicks({{kEmptyRegion.left(), kEmptyRegion.bottom()}, {kEmptyRegion.right(), kEmptyRegion.top()}});
    TCropCommand(window).run();

    ASSERT_FALSE(window.memoLines.isEmpty());
    EXPECT_EQ(window.memoLines.last(), QStringLiteral("OCR 行数が 0 です."));
    EXPECT_EQ(fileBytes(QStringLiteral("result.txt")), QByteArray("earlier result\r\n"));
    EXPECT_FALSE(window.writeButtonsEnabled);
    EXPECT_TRUE(QFile::exists(AppPaths::inExeFolder(QStringLiteral("source.png"))));
    EXPECT_EQ(window.table.RowCount(), 2);
    EXPECT_EQ(window.rowEditorClears, 1);
}

TEST_F(CropCommandE2E, ExportRoadCutsTheCadsBitmap)
{
    startHost(QStringLiteral("AutoCAD.Application.24"));
    m_doc.invoke(QStringLiteral("SetVariable"), {QStringLiteral("FILEDIA"), 0});
    CropWindowDouble window(m_progId);
    window.binarize = true;
    m_host.answerPicks({{kTextRegion.left(), kTextRegion.bottom()}, {kTextRegion.right(), kTextRegion.top()}});
    TCropCommand(window).run();

    const QImage exported(AppPaths::exePathWith(QStringLiteral(".bmp")));
    ASSERT_FALSE(exported.isNull()) << window.memoLines.join('|').toStdString();
    EXPECT_EQ(exported.size(), QSize(m_w, m_h));
    const QImage source(AppPaths::inExeFolder(QStringLiteral("source.png")));
    ASSERT_FALSE(source.isNull());
    EXPECT_EQ(source.size(), QSize(window.geometry.WidthPx, window.geometry.HeightPx));
    // Binarised: only black and white remain.
    for (int y = 0; y < source.height(); y += 3)
        for (int x = 0; x < source.width(); x += 3) {
            const QRgb c = source.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(c == 0 || c == 0xFFFFFF) << x << "," << y;
        }
    // One threshold for the whole cut: on black, the green lettering (grey level
    // 85) falls below it and is gone; white, yellow and cyan (255, 170) stay.
    QList<Lettering> bright, dark;
    for (const Lettering& l : kLettering)
        (l.aci == 3 ? dark : bright).append(l);
    ASSERT_EQ(dark.size(), 1);
    EXPECT_EQ(matchedLettering(window, bright), bright.size()) << window.resultLines.join('\n').toStdString();
    EXPECT_EQ(matchedLettering(window, dark), 0);
    EXPECT_EQ(variable(QStringLiteral("FILEDIA")).toInt(), 1);
    EXPECT_TRUE(m_host.commandLog().contains(QStringLiteral("BMPOUT")));
}

TEST_F(CropCommandE2E, NoCadRunningStopsSilently)
{
    CropWindowDouble window(uniqueProgId("Nobody"));
    window.resultLines = QStringList{QStringLiteral("0: old: (0,0),(1,0),(1,1),(0,1)")};
    window.memoLines = QStringList{QStringLiteral("from before")};
    TCropCommand(window).run();
    EXPECT_TRUE(window.memoLines.isEmpty());
    EXPECT_TRUE(window.resultLines.isEmpty());
    EXPECT_FALSE(window.writeButtonsEnabled);
    EXPECT_EQ(window.events, QStringList{"buttons off"});
}

TEST_F(CropCommandE2E, MissingOcrFilesStopBeforeAnythingElse)
{
    QTemporaryDir empty;
    AppPaths::setExecutableForTesting(empty.path());
    CropWindowDouble window(uniqueProgId("NoFiles"));
    window.resultLines = QStringList{QStringLiteral("kept")};
    TCropCommand(window).run();
    EXPECT_FALSE(window.memoLines.isEmpty());
    EXPECT_TRUE(window.events.isEmpty());
    EXPECT_EQ(window.resultLines, QStringList{"kept"});
    EXPECT_TRUE(window.writeButtonsEnabled);
}

} // namespace
