// The DXF road end to end: the insertion command against a real CAD host on
// the private bus, and the real main window cropping the sample drawing with
// the real OCR engine and writing its table into the drawing.
#include "CadHostProcess.h"
#include "HostView.h"
#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "output/CodePage.h"
#include "output/DxfInsertCommand.h"
#include "output/DxfTextWriter.h"
#include "results/CellNumbers.h"
#include "results/CharChecks.h"
#include "results/GridModel.h"
#include "tests/support/ScratchExecutable.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

namespace {

MirtexApplication& app() { return testApplication<MirtexApplication>(); }

QString uniqueProgId(const char* what) {
    return QStringLiteral("MirtexDxfE2E.%1%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
}

const QString kSample = QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf");

// The insertion command's view of a main window, recorded.
class DxfWindowDouble : public IDxfInsertWindow {
public:
    QString progId;
    QStringList buttonEvents;  // "off", "on"
    int aci = 30, attn = 1;
    QString attnText = QStringLiteral("?");
    FixedHeightBoxes boxes;
    QStringList lines;
    TGridModel table{9, 1};

    void addRow(const QString& text, const QString& height, const QString& angle, double x, double y,
                const QString& width = QStringLiteral("0")) {
        const int r = table.RowCount();
        table.setRowCount(r + 1);
        for (const auto& [col, value] : {std::pair{1, text}, {2, height}, {3, angle}, {4, formatFixed(x, 3)},
                                         {5, formatFixed(y, 3)}, {8, width}})
            table.setCell(col, r, value);
        lines << QString::number(r - 1) + QStringLiteral(": ") + text;
    }

    QString targetProgId() const override { return progId; }
    void setWriteButtonsEnabled(bool enabled) override { buttonEvents << (enabled ? "on" : "off"); }
    int textAci() const override { return aci; }
    void setTextAci(int value) override { aci = value; }
    int attnAci() const override { return attn; }
    QString attnChars() const override { return attnText; }
    FixedHeightBoxes fixedHeightBoxes() const override { return boxes; }
    QStringList& ocrResultLines() override { return lines; }
    TGridModel& grid() override { return table; }
};

class DxfInsertE2E : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(m_dir.isValid());
        // The executable's folder: the OCR engine files and the programs beside a scratch MIRTEX.
        useScratchExecutableFolder(m_dir.path());
        m_errors.clear();
        MirtexApplication::showError = [this](const QString& text) { m_errors << text; };
    }

    void startHost(const QString& progId, const QString& drawing = {}) {
        m_progId = progId;
        ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), progId, drawing))
            << m_host.error().toStdString();
        ASSERT_TRUE(connectCad(progId, m_app, false));
        m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
    }

    QString dxfPath() const { return AppPaths::inExeFolder(QStringLiteral("temp.dxf")); }

    // Name and colour of each layer of the drawing, through the automation model.
    QMap<QString, int> layers() {
        QMap<QString, int> out;
        const CadObject all = m_doc.getObject(QStringLiteral("Layers"));
        const int n = all.get(QStringLiteral("Count")).toInt();
        for (int i = 0; i < n; ++i) {
            const CadObject layer = all.object(all.invoke(QStringLiteral("Item"), {i}).value(0));
            out[layer.get(QStringLiteral("Name")).toString()] = layer.get(QStringLiteral("Color")).toInt();
        }
        return out;
    }

    QList<QJsonObject> entitiesOn(const QString& layer) {
        QList<QJsonObject> out;
        for (const QJsonObject& e : m_host.entities())
            if (e["layer"].toString() == layer) out << e;
        return out;
    }

    bool insertSent() { return m_host.commandLog().contains(QStringLiteral("INSERT")); }

    // Waits until the host holds count texts on MIRTEX (the command only hands the string over).
    bool waitForMirtexTexts(qsizetype count) {
        return waitUntil([&] { return entitiesOn(QStringLiteral("MIRTEX")).size() == count; }, 10000);
    }

    QTemporaryDir m_dir;
    QString m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
    QStringList m_errors;
};

double pointCoord(const QJsonObject& e, const char* key, int i) { return e[QLatin1String(key)].toArray()[i].toDouble(); }

// --- The command with a recorded window ---------------------------------

TEST_F(DxfInsertE2E, NothingRecognisedStillEnsuresTheLayerAndSendsNothing) {
    startHost(uniqueProgId("Empty"));
    DxfWindowDouble window;
    window.progId = m_progId;
    window.aci = 0;  // corrected to 30, and the setting keeps it
    QFile stale(dxfPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    TDxfInsertCommand(window).run(false);

    EXPECT_FALSE(QFile::exists(dxfPath()));
    EXPECT_EQ(window.aci, 30);
    EXPECT_EQ(layers().value(QStringLiteral("MIRTEX"), -1), 30);
    EXPECT_FALSE(insertSent()) << m_host.commandLog().toStdString();
    EXPECT_EQ(window.buttonEvents, (QStringList{"off", "on"}));
}

TEST_F(DxfInsertE2E, NoCadRunningDoesNothing) {
    DxfWindowDouble window;
    window.progId = uniqueProgId("Nobody");
    window.aci = 0;
    window.addRow("A", "2.5", "0", 0, 0);
    TDxfInsertCommand(window).run(false);
    EXPECT_TRUE(window.buttonEvents.isEmpty());
    EXPECT_EQ(window.aci, 0);
    EXPECT_FALSE(QFile::exists(dxfPath()));
}

// A folder named temp.dxf cannot be replaced by the file: the error reaches
// the caller, nothing is sent to the CAD, the buttons come back.
TEST_F(DxfInsertE2E, UnwritableFileIsAnErrorAndNoCommandIsSent) {
    startHost(uniqueProgId("Blocked"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("temp.dxf")));
    DxfWindowDouble window;
    window.progId = m_progId;
    window.addRow("A", "2.5", "0", 0, 0);
    EXPECT_THROW(TDxfInsertCommand(window).run(false), std::runtime_error);
    EXPECT_EQ(window.buttonEvents, (QStringList{"off", "on"}));
    EXPECT_FALSE(insertSent());
    EXPECT_TRUE(layers().contains(QStringLiteral("MIRTEX")));
}

// The crop's hand-over takes the top panel's height, the button the bottom's;
// an existing layer of another case is recoloured, not doubled.
TEST_F(DxfInsertE2E, SenderChoosesTheFixedHeightAndTheTextsArrive) {
    startHost(uniqueProgId("Sender"));
    {
        const CadObject all = m_doc.getObject(QStringLiteral("Layers"));
        all.object(all.invoke(QStringLiteral("Add"), {QStringLiteral("mirtex")}).value(0))
            .put(QStringLiteral("Color"), 5);
    }
    DxfWindowDouble window;
    window.progId = m_progId;
    window.aci = 4;
    window.boxes = {true, QStringLiteral("3"), true, QStringLiteral("7")};
    window.addRow("ONE", "2.5", "0", 10, 20);
    window.addRow("TWO", "2.5", "90", 30, 40);

    for (const bool byCrop : {true, false}) {
        const double want = byCrop ? 3.0 : 7.0;
        const qsizetype before = entitiesOn(QStringLiteral("MIRTEX")).size() + entitiesOn(QStringLiteral("mirtex")).size();
        TDxfInsertCommand(window).run(byCrop);
        const QString log = m_host.commandLog();
        EXPECT_TRUE(log.contains(QStringLiteral("INSERT"))) << log.toStdString();
        ASSERT_TRUE(waitUntil([&] {
            return entitiesOn(QStringLiteral("MIRTEX")).size() + entitiesOn(QStringLiteral("mirtex")).size() == before + 2;
        }, 10000)) << log.toStdString();
        QList<QJsonObject> texts = entitiesOn(QStringLiteral("MIRTEX")) + entitiesOn(QStringLiteral("mirtex"));
        for (qsizetype i = before; i < texts.size(); ++i)
            EXPECT_DOUBLE_EQ(texts[i]["height"].toDouble(), want) << byCrop;
    }
    const QMap<QString, int> all = layers();
    EXPECT_EQ(all.value(QStringLiteral("mirtex"), -1), 4);
    EXPECT_FALSE(all.contains(QStringLiteral("MIRTEX")));
}

// --- The main window, the sample drawing, the real OCR engine -----------

class DxfMainWindowE2E : public DxfInsertE2E {
protected:
    std::unique_ptr<TForm102> openWindow() {
        auto w = std::make_unique<TForm102>();
        w->TargetProgID = m_progId;
        w->show();
        app().processEvents();
        return w;
    }

    // The host crops its whole view: both corners just inside the drawing area.
    void answerWholeView() {
        const HostView v = HostView::of(m_doc);
        m_viewHeight = v.size;
        m_host.answerPicks({v.pixelCentre({2, 2}), v.pixelCentre({v.w - 3, v.h - 3})});
    }

    // Every written row has one text on MIRTEX where the table says, and
    // nothing else is there.
    void expectTextsMatchTheTable(const TForm102& w) {
        const QList<QJsonObject> texts = entitiesOn(QStringLiteral("MIRTEX"));
        QList<bool> used(texts.size());
        int rows = 0;
        for (int r = 1; r < w.Grid.RowCount(); ++r) {
            const QString text = dxfTextValue(w.Grid.cell(1, r));
            if (text.isEmpty()) continue;
            ++rows;
            const QString arrives = fromCp932(toCp932(text));
            const double x = parseLenientNumber(w.Grid.cell(4, r), 0), y = parseLenientNumber(w.Grid.cell(5, r), 0);
            int found = -1;
            for (int i = 0; i < texts.size() && found < 0; ++i)
                if (!used[i] && texts[i]["text"].toString() == arrives
                    && std::hypot(pointCoord(texts[i], "alignmentPoint", 0) - x,
                                  pointCoord(texts[i], "alignmentPoint", 1) - y) <= 0.005 * m_viewHeight)
                    found = i;
            ASSERT_GE(found, 0) << "row " << r << " " << text.toStdString();
            used[found] = true;
            const QJsonObject& e = texts[found];
            EXPECT_NEAR(e["height"].toDouble(), parseLenientNumber(w.Grid.cell(2, r), 2.5), 1e-9) << r;
            // The host keeps rotations in radians.
            EXPECT_NEAR(e["rotation"].toDouble() * 180 / M_PI, parseLenientNumber(w.Grid.cell(3, r), 0), 1e-9) << r;
            EXPECT_GE(e["widthFactor"].toDouble(), 0.5) << r;
            EXPECT_LE(e["widthFactor"].toDouble(), 1.0) << r;
            EXPECT_EQ(e["colour"].toInt(), checkAttnText(text, w.Edit9->text()) ? w.AttnAci : 256) << r;
        }
        EXPECT_GT(rows, 3);
        EXPECT_EQ(texts.size(), rows);
    }

    // "U" in the host takes the whole insertion back in one step.
    void expectOneUndoRemovesAll(qsizetype othersBefore) {
        m_doc.invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
        EXPECT_TRUE(waitForMirtexTexts(0));
        EXPECT_EQ(m_host.entities().size(), othersBefore);
    }

    double m_viewHeight = 0;
};

TEST_F(DxfMainWindowE2E, CropThenTextInsertWritesEveryRowIntoTheDrawing) {
    startHost(uniqueProgId("Window"), kSample);
    auto w = openWindow();
    const qsizetype before = m_host.entities().size();
    answerWholeView();
    w->Button2Click();
    ASSERT_GT(w->Grid.RowCount(), 4) << w->Memo1->toPlainText().toStdString();
    EXPECT_TRUE(w->Button1->isEnabled());
    EXPECT_TRUE(entitiesOn(QStringLiteral("MIRTEX")).isEmpty());

    // One row the user typed: a quote, a backslash and a character that code page 932 lacks.
    const int last = w->Grid.RowCount() - 1;
    w->Grid.setCell(1, last, QStringLiteral("A\"B\\C\u00E9D"));
    w->Button1->click();
    ASSERT_TRUE(waitForMirtexTexts(w->Grid.RowCount() - 1)) << m_host.commandLog().toStdString();
    expectTextsMatchTheTable(*w);
    bool typedRowArrived = false;
    for (const QJsonObject& e : entitiesOn(QStringLiteral("MIRTEX")))
        if (e["text"].toString() == QStringLiteral("A\"B\\C?D")) typedRowArrived = e["colour"].toInt() == w->AttnAci;
    EXPECT_TRUE(typedRowArrived);
    EXPECT_TRUE(w->Button1->isEnabled());
    EXPECT_TRUE(w->Button9->isEnabled());
    EXPECT_TRUE(m_errors.isEmpty()) << m_errors.join('|').toStdString();
    EXPECT_EQ(layers().value(QStringLiteral("MIRTEX"), -1), w->TextAci);
    expectOneUndoRemovesAll(before);
}

TEST_F(DxfMainWindowE2E, InsertAtOnceWritesRightAfterTheCropWithTheTopPanelsHeight) {
    startHost(uniqueProgId("AtOnce"), kSample);
    auto w = openWindow();
    const qsizetype before = m_host.entities().size();
    w->CheckBox4->setChecked(true);
    w->CheckBox7->setChecked(true);
    w->Edit6->setText(QStringLiteral("4"));
    w->CheckBox6->setChecked(true);
    w->Edit5->setText(QStringLiteral("9"));
    answerWholeView();
    w->Button2Click();
    ASSERT_GT(w->Grid.RowCount(), 4) << w->Memo1->toPlainText().toStdString();
    ASSERT_TRUE(waitForMirtexTexts(w->Grid.RowCount() - 1)) << m_host.commandLog().toStdString();
    for (const QJsonObject& e : entitiesOn(QStringLiteral("MIRTEX")))
        EXPECT_DOUBLE_EQ(e["height"].toDouble(), 4.0);
    for (int r = 1; r < w->Grid.RowCount(); ++r) w->Grid.setCell(2, r, QStringLiteral("4"));
    expectTextsMatchTheTable(*w);
    expectOneUndoRemovesAll(before);
}

TEST_F(DxfMainWindowE2E, UnwritableFileShowsTheErrorAndSendsNothing) {
    startHost(uniqueProgId("WindowBlocked"), kSample);
    auto w = openWindow();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("temp.dxf")));
    w->OcrResultLines = QStringList{QStringLiteral("0: A: (0,0),(10,0),(10,5),(0,5)")};
    w->Grid.setRowCount(2);
    w->Grid.setCell(1, 1, QStringLiteral("A"));
    w->Button1->setEnabled(true);
    w->Button1->click();
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors[0].contains(dxfPath())) << m_errors[0].toStdString();
    EXPECT_TRUE(w->Button1->isEnabled());
    EXPECT_TRUE(w->Button9->isEnabled());
    EXPECT_FALSE(insertSent());
}

// A layer colour of 0 in the settings becomes 30 for the layer and is saved so.
TEST_F(DxfMainWindowE2E, TextAciZeroIsCorrectedAndSavedAtExit) {
    startHost(uniqueProgId("Aci"));
    {
        QFile ini(AppPaths::exePathWith(QStringLiteral(".ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Color]\r\nTextAci=0\r\n");
    }
    auto w = openWindow();
    ASSERT_EQ(w->TextAci, 0);
    w->Button1->setEnabled(true);
    w->Button1->click();
    EXPECT_EQ(w->TextAci, 30);
    EXPECT_EQ(layers().value(QStringLiteral("MIRTEX"), -1), 30);
    EXPECT_FALSE(insertSent());
    w.reset();
    QFile ini(AppPaths::exePathWith(QStringLiteral(".ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("TextAci=30"));
}

}  // namespace
