// The direct road's creation loop against a recording document: the calls per
// text, the width factor, the stop button, errors and the idle state after a run.
#include "output/DirectTextCommand.h"
#include "results/ResultReader.h"
#include "tests/support/QtTestSupport.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>

namespace {

QString pointText(const Point3& p) { return QStringLiteral("(%1,%2,%3)").arg(p[0]).arg(p[1]).arg(p[2]); }

class RecordingDocument : public ITextDocument {
public:
    QStringList calls;
    TextBox box{{0, 0, 0}, {10, 2.5, 0}};
    int failAtAddText = 0;  // the n-th AddText throws (1-based); 0 never
    int addTexts = 0;

    void startUndoMark() override { calls << QStringLiteral("StartUndoMark"); }
    void endUndoMark() override { calls << QStringLiteral("EndUndoMark"); }
    void readModelSpace() override { calls << QStringLiteral("ModelSpace"); }
    void addText(const QString& text, const Point3& at, double height) override
    {
        if (++addTexts == failAtAddText) throw std::runtime_error("refused");
        calls << QStringLiteral("AddText %1 %2 %3").arg(text, pointText(at)).arg(height);
    }
    void putText(const QString& member, const QVariant& value) override
    {
        const QString shown = value.metaType() == QMetaType::fromType<QList<double>>()
            ? pointText({value.value<QList<double>>()[0], value.value<QList<double>>()[1], value.value<QList<double>>()[2]})
            : value.toString();
        calls << member + QLatin1Char('=') + shown + QLatin1Char(':') + QString::fromLatin1(value.typeName());
    }
    TextBox textBoundingBox() override
    {
        calls << QStringLiteral("GetBoundingBox");
        return box;
    }
    void rotateText(const Point3& base, double radians) override
    {
        calls << QStringLiteral("Rotate %1 %2").arg(pointText(base)).arg(radians, 0, 'f', 4);
    }
    void regen() override { calls << QStringLiteral("Regen"); }

    // The calls that set the given member, with their values.
    QStringList puts(const QString& member) const { return calls.filter(QRegularExpression("^" + member + "=")); }
};

class WindowDouble : public ITextRoadWindow, public IStatusMemo {
public:
    WindowDouble()
    {
        setupResultHeader(table);
        progId = QStringLiteral("Mirtex.NobodyServesThis");
    }

    void addRows(const QStringList& texts)
    {
        table.setRowCount(int(texts.size()) + 1);
        for (int r = 1; r <= texts.size(); ++r) {
            table.setCell(1, r, texts[r - 1]);
            table.setCell(2, r, QStringLiteral("2.500"));
            table.setCell(3, r, QStringLiteral("0.0"));
            table.setCell(4, r, QStringLiteral("10.000"));
            table.setCell(5, r, QStringLiteral("20.000"));
            table.setCell(8, r, QStringLiteral("8.00"));
            resultLines << QStringLiteral("%1: line").arg(r - 1);
        }
    }

    QString progId;
    int aci = 30, attn = 1;
    QString attnText = QStringLiteral("?");
    FixedHeightBoxes boxes;
    bool lisp = false;
    TGridModel table;
    QStringList resultLines;
    bool running = false;
    QStringList memoLines, events, headers;
    std::function<void()> onProcess;
    std::function<void(bool)> lispRoad;

    void addLine(const QString& line) override { memoLines << line; }
    void clear() override { memoLines.clear(); }
    void processMessages() override
    {
        headers << table.cell(1, 0);
        if (onProcess) onProcess();
    }
    void information(const QString& text) override { memoLines << text; }

    IStatusMemo& memo() override { return *this; }
    QString targetProgId() const override { return progId; }
    int textAci() const override { return aci; }
    void setTextAci(int value) override { aci = value; }
    int attnAci() const override { return attn; }
    QString attnChars() const override { return attnText; }
    FixedHeightBoxes fixedHeightBoxes() const override { return boxes; }
    bool lispChecked() const override { return lisp; }
    TGridModel& grid() override { return table; }
    const QStringList& ocrResultLines() const override { return resultLines; }
    bool& textRunActive() override { return running; }
    void setRunButtons(bool on) override { events << (on ? QStringLiteral("running") : QStringLiteral("idle")); }
    void disableStopButton() override { events << QStringLiteral("stop off"); }
    void runLispRoad(bool fromCrop) override
    {
        events << (fromCrop ? QStringLiteral("lisp from crop") : QStringLiteral("lisp from table"));
        if (lispRoad) lispRoad(fromCrop);
    }
};

}  // namespace

TEST(DirectRoad, OneTextIsMadeHiddenPlacedFittedAndShown)
{
    WindowDouble window;
    window.addRows({QStringLiteral(" Plan ")});
    window.running = true;
    RecordingDocument doc;
    EXPECT_EQ(TDirectTextCommand(window, false).createTexts(doc), 1);
    EXPECT_EQ(doc.calls, (QStringList{
        "StartUndoMark", "ModelSpace", "AddText Plan (10,20,0) 2.5",
        "Visible=false:bool", "Layer=MIRTEX:QString", "ScaleFactor=1:double", "Rotation=0:int", "Alignment=0:int",
        "GetBoundingBox", "Alignment=9:int", "InsertionPoint=(10,20,0):QList<double>",
        "TextAlignmentPoint=(10,20,0):QList<double>",
        // height 2.5, width 8 against a 10 x 2.5 box: 8.38 / 10.31 = 0.813, cut to 0.81
        "ScaleFactor=0.81:double", "Visible=true:bool", "EndUndoMark", "Regen"}));
    EXPECT_EQ(window.memoLines, QStringList{QStringLiteral("1 TEXT を作成しました.(0.0sec)")});
    EXPECT_EQ(window.headers, (QStringList{"1 / 1", "1 / 1"}));
}

TEST(DirectRoad, AttentionColourRotationAndFixedHeight)
{
    WindowDouble window;
    window.addRows({QStringLiteral("A?B"), QStringLiteral("AB")});
    window.table.setCell(3, 1, QStringLiteral("90.0"));
    window.boxes = {true, QStringLiteral(" 0 "), true, QStringLiteral("3.5")};
    window.attn = 6;
    window.running = true;
    RecordingDocument fromCrop;
    TDirectTextCommand(window, true).createTexts(fromCrop);
    // The top panel's height for a run from the crop, 0 included; the colour only for the attention text.
    EXPECT_EQ(fromCrop.calls.filter("AddText"), (QStringList{"AddText A?B (10,20,0) 0", "AddText AB (10,20,0) 0"}));
    EXPECT_EQ(fromCrop.puts("Color"), QStringList{"Color=6:int"});
    EXPECT_EQ(fromCrop.calls.filter("Rotate"), QStringList{"Rotate (10,20,0) 1.5708"});
    const qsizetype rotate = fromCrop.calls.indexOf("Rotate (10,20,0) 1.5708");
    EXPECT_EQ(fromCrop.calls[rotate - 1], "TextAlignmentPoint=(10,20,0):QList<double>");

    RecordingDocument fromTable;
    TDirectTextCommand(window, false).createTexts(fromTable);
    EXPECT_EQ(fromTable.calls.filter("AddText"), (QStringList{"AddText A?B (10,20,0) 3.5", "AddText AB (10,20,0) 3.5"}));
}

TEST(DirectRoad, WidthFactorClampedAndCutToTwoDecimals)
{
    struct Case { double height, width; TextBox box; double factor; };
    const Case cases[] = {
        {2.5, 8, {{0, 0, 0}, {10, 2.5, 0}}, 0.81},
        {2.5, 0, {{0, 0, 0}, {10, 2.5, 0}}, 0.25},     // 2.5 / 10.31 = 0.24, raised
        {2.5, 40, {{5, 5, 0}, {15, 7.5, 0}}, 1.0},     // lowered
        {2.5, 9.999, {{0, 0, 0}, {10, 2.5, 0}}, 0.99}, // 0.9999 is cut, not rounded
        {3, 4, {{-1, -1, 0}, {3, 2, 0}}, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(fittedWidthFactor(std::hypot(c.height, c.width), c.box), c.factor) << c.height << " " << c.width;
}

TEST(DirectRoad, StopTakesEffectAfterTheCurrentText)
{
    WindowDouble window;
    window.addRows({"one", "two", "three", "four"});
    window.running = true;
    RecordingDocument doc;
    // The stop button is pressed while row 2 is shown in the header.
    bool pressed = false;
    window.onProcess = [&] {
        if (window.table.cell(1, 0) == QStringLiteral("2 / 4") && !std::exchange(pressed, true)) stopTextRun(window);
    };
    EXPECT_EQ(TDirectTextCommand(window, false).createTexts(doc), 2);
    EXPECT_EQ(doc.calls.filter("AddText").size(), 2);
    EXPECT_EQ(doc.puts("Visible").last(), "Visible=true:bool");
    EXPECT_EQ(doc.calls.mid(doc.calls.size() - 2), (QStringList{"EndUndoMark", "Regen"}));
    EXPECT_EQ(window.events, QStringList{"stop off"});
    EXPECT_EQ(window.memoLines, QStringList{QStringLiteral("2 TEXT を作成しました.(0.0sec)")});
}

TEST(DirectRoad, AnErrorClosesTheUndoStepWithoutRegenOrMemo)
{
    WindowDouble window;
    window.addRows({"one", "two", "three"});
    window.running = true;
    RecordingDocument doc;
    doc.failAtAddText = 3;
    EXPECT_THROW(TDirectTextCommand(window, false).createTexts(doc), std::runtime_error);
    EXPECT_EQ(doc.calls.filter("AddText").size(), 2);
    EXPECT_EQ(doc.calls.last(), "EndUndoMark");
    EXPECT_FALSE(doc.calls.contains("Regen"));
    EXPECT_TRUE(window.memoLines.isEmpty());
}

TEST(DirectRoad, BlankRowsStillMakeOneUndoStepAndAMemoLine)
{
    WindowDouble window;
    window.addRows({" ", "", "\t"});
    window.resultLines << QStringLiteral("3: extra");  // the table follows the recognised lines
    window.running = true;
    RecordingDocument doc;
    EXPECT_EQ(TDirectTextCommand(window, false).createTexts(doc), 0);
    EXPECT_EQ(doc.calls, (QStringList{"StartUndoMark", "ModelSpace", "EndUndoMark", "Regen"}));
    EXPECT_EQ(window.table.RowCount(), 5);
    EXPECT_EQ(window.headers.size(), 8);  // messages twice per row
    EXPECT_EQ(window.headers.last(), "4 / 4");
    EXPECT_EQ(window.memoLines, QStringList{QStringLiteral("0 TEXT を作成しました.(0.0sec)")});
}

TEST(DirectRoad, EveryWayOutRestoresTheIdleState)
{
    // No CAD runs under this ProgID: the run ends at once, silently.
    testApplication<QCoreApplication>();
    WindowDouble window;
    window.addRows({"one"});
    window.table.setCell(1, 0, QStringLiteral("1 / 1"));
    TDirectTextCommand(window, false).run();
    EXPECT_EQ(window.events, (QStringList{"running", "idle"}));
    EXPECT_FALSE(window.running);
    EXPECT_EQ(window.table.cell(1, 0), QStringLiteral("文字列"));
    EXPECT_TRUE(window.memoLines.isEmpty());

    // CheckBox8 hands over to the LISP road with the run's sender; its error goes on.
    window.events.clear();
    window.lisp = true;
    bool runningDuringLisp = false;
    window.lispRoad = [&](bool) { runningDuringLisp = window.running; };
    TDirectTextCommand(window, true).run();
    EXPECT_TRUE(runningDuringLisp);
    EXPECT_EQ(window.events, (QStringList{"running", "lisp from crop", "idle"}));
    window.events.clear();
    window.lispRoad = [](bool) { throw std::runtime_error("cannot write"); };
    EXPECT_THROW(TDirectTextCommand(window, false).run(), std::runtime_error);
    EXPECT_EQ(window.events, (QStringList{"running", "lisp from table", "idle"}));
    EXPECT_FALSE(window.running);
}
