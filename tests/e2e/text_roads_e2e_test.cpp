// The direct road and the LISP road end to end: the real main window crops
// the sample drawing in a real CAD host (real OCR engine), then writes its
// table into the drawing one automation call at a time (Button9Click) or as a
// generated AutoLISP program the host runs (CheckBox8); the host's new texts
// are read back through its test interface.
#include "CadHostProcess.h"
#include "HostView.h"
#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "output/CodePage.h"
#include "results/CellNumbers.h"
#include "results/CharChecks.h"
#include "tests/support/ScratchExecutable.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

namespace {

MirtexApplication& app() { return testApplication<MirtexApplication>(); }

QString uniqueProgId(const char* what)
{
    return QStringLiteral("MirtexRoadsE2E.%1%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
}

const QString kSample = QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf");
// A row the user typed: a quote, a backslash and a tab inside the text.
const QString kTypedText = QStringLiteral("A\"B\\C\tD");

double coord(const QJsonObject& e, const char* key, int i) { return e[QLatin1String(key)].toArray()[i].toDouble(); }

class TextRoadsE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(m_dir.isValid());
        // The executable's folder: the OCR engine files beside a scratch MIRTEX.
        useScratchExecutableFolder(m_dir.path());
        MirtexApplication::showError = [this](const QString& text) { m_errors << text; };
    }

    void startHost(const char* what)
    {
        m_progId = uniqueProgId(what);
        ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), m_progId, kSample))
            << m_host.error().toStdString();
        ASSERT_TRUE(connectCad(m_progId, m_app, false));
        m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
        m_before = m_host.entities().size();
    }

    std::unique_ptr<TForm102> openWindow()
    {
        auto w = std::make_unique<TForm102>();
        w->TargetProgID = m_progId;
        w->CheckBox4->setChecked(false);
        w->CheckBox5->setChecked(false);
        w->CheckBox8->setChecked(false);
        w->show();
        app().processEvents();
        return w;
    }

    // Crops the host's whole view through the window's "切り取り".
    void cropWholeView(TForm102& w)
    {
        const HostView v = HostView::of(m_doc);
        m_host.answerPicks({v.pixelCentre({2, 2}), v.pixelCentre({v.w - 3, v.h - 3})});
        w.Button2Click();
    }

    QList<QJsonObject> mirtexTexts()
    {
        QList<QJsonObject> out;
        for (const QJsonObject& e : m_host.entities())
            if (e["layer"].toString() == QStringLiteral("MIRTEX")) out << e;
        return out;
    }

    bool waitForMirtexTexts(qsizetype count)
    {
        return waitUntil([&] { return mirtexTexts().size() == count; }, 10000);
    }

    // Every non-blank row has its own text on MIRTEX, visible, middle-left at
    // the row's point, with the row's height and rotation; nothing else is there.
    void expectTextsMatchTheTable(const TForm102& w, bool throughCodePage, double heightOf3 = 0)
    {
        const QList<QJsonObject> texts = mirtexTexts();
        QList<bool> used(texts.size());
        int rows = 0;
        for (int r = 1; r < w.Grid.RowCount(); ++r) {
            const QString text = trimBlanks(w.Grid.cell(1, r));
            if (text.isEmpty()) continue;
            ++rows;
            const QString arrives = throughCodePage ? fromCp932(toCp932(text)) : text;
            const double x = parseLenientNumber(w.Grid.cell(4, r), 0), y = parseLenientNumber(w.Grid.cell(5, r), 0);
            int found = -1;
            for (int i = 0; i < texts.size() && found < 0; ++i)
                if (!used[i] && texts[i]["text"].toString() == arrives
                    && std::hypot(coord(texts[i], "alignmentPoint", 0) - x, coord(texts[i], "alignmentPoint", 1) - y) < 1e-6)
                    found = i;
            ASSERT_GE(found, 0) << "row " << r << " " << text.toStdString();
            used[found] = true;
            const QJsonObject& e = texts[found];
            EXPECT_TRUE(e["visible"].toBool()) << r;
            EXPECT_EQ(e["alignment"].toInt(), 9) << r;
            EXPECT_NEAR(coord(e, "insertion", 0), x, 1e-6) << r;
            EXPECT_NEAR(coord(e, "insertion", 1), y, 1e-6) << r;
            const double height = heightOf3 > 0 ? heightOf3 : parseLenientNumber(w.Grid.cell(2, r), 2.5);
            EXPECT_NEAR(e["height"].toDouble(), height, 1e-9) << r;
            // The LISP file carries the rotation in radians with three decimals.
            const double radians = parseLenientNumber(w.Grid.cell(3, r), 0) * M_PI / 180;
            EXPECT_NEAR(e["rotation"].toDouble(), radians, throughCodePage ? 0.0006 : 1e-9) << r;
            EXPECT_GT(e["widthFactor"].toDouble(), 0) << r;
            EXPECT_LE(e["widthFactor"].toDouble(), 1.0) << r;
            if (!throughCodePage) EXPECT_GE(e["widthFactor"].toDouble(), 0.25) << r;
            EXPECT_EQ(e["colour"].toInt(), checkAttnText(text, w.Edit9->text()) ? w.AttnAci : 256) << r;
        }
        EXPECT_GE(rows, 3);
        EXPECT_EQ(texts.size(), rows);
    }

    // "U" in the host takes the whole run back in one step.
    void expectOneUndoRemovesAll()
    {
        m_doc.invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
        EXPECT_TRUE(waitForMirtexTexts(0));
        EXPECT_EQ(m_host.entities().size(), m_before);
    }

    static void expectIdle(const TForm102& w)
    {
        EXPECT_TRUE(w.Button9->isEnabled());
        EXPECT_TRUE(w.Button1->isEnabled());
        EXPECT_FALSE(w.Button17->isEnabled());
        EXPECT_FALSE(w.textRunActive);
        EXPECT_EQ(w.Grid.cell(1, 0), QStringLiteral("文字列"));
    }

    // A table as the crop leaves it, without the OCR engine: texts with a quote,
    // a backslash and a tab, an attention character, upright and turned rows.
    static void fillKnownTable(TForm102& w)
    {
        const QStringList texts{kTypedText, QStringLiteral("平面図 S=1/100"), QStringLiteral("WC?"),
                                QStringLiteral("  "), QStringLiteral("GL+1,200"), QStringLiteral("縦書き")};
        w.Grid.setRowCount(int(texts.size()) + 1);
        w.OcrResultLines.clear();
        for (int r = 1; r <= texts.size(); ++r) {
            w.Grid.setCell(1, r, texts[r - 1]);
            w.Grid.setCell(2, r, formatFixed(2.0 + r * 0.5, 3));
            w.Grid.setCell(3, r, r == 6 ? QStringLiteral("270.0") : r == 5 ? QStringLiteral("90.0") : QStringLiteral("0.0"));
            w.Grid.setCell(4, r, formatFixed(100.0 + 10 * r, 3));
            w.Grid.setCell(5, r, formatFixed(50.0 - 7 * r, 3));
            w.Grid.setCell(8, r, formatFixed(4.0 * texts[r - 1].size(), 2));
            w.OcrResultLines << QStringLiteral("%1: line").arg(r - 1);
        }
        w.Button9->setEnabled(true);
    }

    static QString lastMemoLine(const TForm102& w) { return w.Memo1->toPlainText().split('\n').last(); }

    // The run's end as the user sees it: the memo line with the count of texts
    // made, the idle window, no error box.
    void expectRunEnded(const TForm102& w, int made)
    {
        static const QRegularExpression madeLine(QStringLiteral("^(\\d+) TEXT を作成しました\\.\\(\\d+\\.\\dsec\\)$"));
        const auto match = madeLine.match(lastMemoLine(w));
        EXPECT_TRUE(match.hasMatch()) << lastMemoLine(w).toStdString();
        EXPECT_EQ(match.captured(1).toInt(), made);
        expectIdle(w);
        EXPECT_TRUE(m_errors.isEmpty()) << m_errors.join('|').toStdString();
    }

    QTemporaryDir m_dir;
    QString m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
    qsizetype m_before = 0;
    QStringList m_errors;
};

}  // namespace

TEST_F(TextRoadsE2E, CropThenDirectRoadWritesEveryRowAndUndoesAsOneStep)
{
    startHost("Direct");
    auto w = openWindow();
    cropWholeView(*w);
    ASSERT_GT(w->Grid.RowCount(), 4) << w->Memo1->toPlainText().toStdString();
    const int last = w->Grid.RowCount() - 1;
    w->Grid.setCell(1, last, kTypedText);
    w->Button9->click();

    expectTextsMatchTheTable(*w, false);
    bool typedArrived = false;
    for (const QJsonObject& e : mirtexTexts()) typedArrived |= e["text"].toString() == kTypedText;
    EXPECT_TRUE(typedArrived);
    expectRunEnded(*w, w->Grid.RowCount() - 1);
    expectOneUndoRemovesAll();
}

TEST_F(TextRoadsE2E, BothRoadsWriteAKnownTableTextsUnchanged)
{
    startHost("Known");
    auto w = openWindow();
    fillKnownTable(*w);
    w->Button9->click();
    expectTextsMatchTheTable(*w, false);
    expectRunEnded(*w, 5);
    expectOneUndoRemovesAll();

    w->CheckBox8->setChecked(true);
    w->Button9->click();
    ASSERT_TRUE(waitForMirtexTexts(5)) << m_host.commandLog().toStdString();
    expectTextsMatchTheTable(*w, true);
    EXPECT_FALSE(m_host.commandLog().contains(QStringLiteral("; error"))) << m_host.commandLog().toStdString();
    expectRunEnded(*w, 5);
    expectOneUndoRemovesAll();
}

TEST_F(TextRoadsE2E, StopDuringALongRunEndsAfterTheCurrentTextAndUndoTakesExactlyThoseBack)
{
    startHost("Stop");
    auto w = openWindow();
    const int rows = 500;
    w->Grid.setRowCount(rows + 1);
    w->OcrResultLines.clear();
    for (int r = 1; r <= rows; ++r) {
        w->Grid.setCell(1, r, QStringLiteral("T%1").arg(r));
        w->Grid.setCell(2, r, QStringLiteral("2.500"));
        w->Grid.setCell(4, r, formatFixed(10.0 * (r % 20), 3));
        w->Grid.setCell(5, r, formatFixed(-5.0 * r, 3));
        w->OcrResultLines << QStringLiteral("%1: T").arg(r - 1);
    }
    w->Button9->setEnabled(true);
    // The user presses the stop button once the run has reached row 20.
    int shownWhenPressed = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int shown = w->Grid.cell(1, 0).section(QLatin1Char(' '), 0, 0).toInt();
        if (shownWhenPressed == 0 && shown >= 20 && w->Button17->isEnabled()) {
            shownWhenPressed = shown;
            w->Button17->click();
        }
    });
    watch.start(0);
    w->Button9->click();
    watch.stop();

    ASSERT_GE(shownWhenPressed, 20);
    const QList<QJsonObject> texts = mirtexTexts();
    EXPECT_EQ(texts.size(), shownWhenPressed);
    EXPECT_LT(texts.size(), rows);
    for (const QJsonObject& e : texts) EXPECT_TRUE(e["visible"].toBool()) << e["text"].toString().toStdString();
    expectRunEnded(*w, shownWhenPressed);
    expectOneUndoRemovesAll();
}

TEST_F(TextRoadsE2E, CreateAtOnceWritesRightAfterTheCropWithTheTopPanelsHeight)
{
    startHost("AtOnce");
    auto w = openWindow();
    w->CheckBox5->setChecked(true);
    w->CheckBox7->setChecked(true);
    w->Edit6->setText(QStringLiteral(" 3 "));
    w->CheckBox6->setChecked(true);
    w->Edit5->setText(QStringLiteral("9"));
    cropWholeView(*w);
    ASSERT_GT(w->Grid.RowCount(), 4) << w->Memo1->toPlainText().toStdString();
    expectTextsMatchTheTable(*w, false, 3.0);
    expectRunEnded(*w, w->Grid.RowCount() - 1);
    expectOneUndoRemovesAll();
}

TEST_F(TextRoadsE2E, LispRoadRunsTheGeneratedProgramInTheHost)
{
    startHost("Lisp");
    auto w = openWindow();
    cropWholeView(*w);
    ASSERT_GT(w->Grid.RowCount(), 4) << w->Memo1->toPlainText().toStdString();
    const int last = w->Grid.RowCount() - 1;
    w->Grid.setCell(1, last, kTypedText + QStringLiteral("\u00E9"));
    w->setTextAci(0);  // corrected to 30 before the file is written
    w->CheckBox8->setChecked(true);
    w->Button9->click();

    ASSERT_TRUE(waitForMirtexTexts(w->Grid.RowCount() - 1)) << m_host.commandLog().toStdString();
    expectTextsMatchTheTable(*w, true);
    bool typedArrived = false;
    for (const QJsonObject& e : mirtexTexts())
        if (e["text"].toString() == kTypedText + QStringLiteral("?")) typedArrived = e["colour"].toInt() == w->AttnAci;
    EXPECT_TRUE(typedArrived);
    EXPECT_TRUE(QFile::exists(AppPaths::exePathWith(QStringLiteral(".lsp"))));
    EXPECT_TRUE(m_host.commandLog().contains(QStringLiteral("(load \"") + AppPaths::exePathWith(QStringLiteral(".lsp"))))
        << m_host.commandLog().toStdString();
    EXPECT_FALSE(m_host.commandLog().contains(QStringLiteral("; error"))) << m_host.commandLog().toStdString();
    EXPECT_EQ(w->TextAci, 30);
    expectRunEnded(*w, w->Grid.RowCount() - 1);
    expectOneUndoRemovesAll();
}
