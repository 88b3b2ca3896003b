#include "app/AppPaths.h"
#include "app/Form102.h"
#include "imaging/Aci.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
QApplication& app() {
    static int argc = 1;
    static char name[] = "app_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        AppPaths::setExecutableForTesting(dir.path());
    }
    void writeIni(const QByteArray& content) {
        QFile f(dir.filePath("MIRTEX.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QTemporaryDir dir;
};

struct ControlCase {
    const char* name;
    QString caption;
    QString hint;
    QRect rect;  // inside its panel; width/height < 0 when the design leaves it open
};
}

TEST_F(MainWindowTest, ControlsHaveTheirCaptionsHintsAndDesignPlaces) {
    TForm102 f;
    struct C { QAbstractButton* w; ControlCase c; };
    const C buttons[] = {
        {f.Button2, {"Button2", "切り取り", "CAD 上で切り取り範囲を左上、右下の順で２点を指示", {4, 1, 63, 43}}},
        {f.CheckBox4, {"CheckBox4", "即、TEXT 挿入", "切り取り後、即座に DXF ファイルで TEXT を挿入", {73, 4, -1, -1}}},
        {f.CheckBox5, {"CheckBox5", "即、TEXT 作成", "切り取り後、即座に TEXT を作成", {73, 23, -1, -1}}},
        {f.CheckBox3, {"CheckBox3", "二値化", "切り取り時に画像を二値化（GRID はオフにしてください）", {172, 4, -1, -1}}},
        {f.CheckBox7, {"CheckBox7", "作成文字高=", "画像に関係なく、作成 TEXT の高さを入力", {172, 23, -1, -1}}},
        {f.Button6, {"Button6", "文字枠色=", "画像表示の文字枠色", {230, 0, -1, -1}}},
        {f.Button11, {"Button11", "文字画層色=", "作成画層 MIRTEX の色", {322, 0, -1, -1}}},
        {f.Button16, {"Button16", "注意文字色=", "誤認識の可能性がある文字列の色", {319, 21, -1, -1}}},
        {f.Button8, {"Button8", "画像確認", "画像を確認", {419, 21, -1, -1}}},
        {f.Button14, {"Button14", "フォルダ", "EXE のフォルダを表示", {477, 21, -1, -1}}},
        {f.Button4, {"Button4", "CAD", "ターゲット CAD を変更", {532, 2, 62, 41}}},
        {f.Button13, {"Button13", "▼", "CAD 上で表示できない文字を含む行を探す", {3, 22, 35, 19}}},
        {f.Button1, {"Button1", "TEXT 挿入", "文字幅 0.5 ～ 1.0 で、CAD 上に TEXT を DXF ファイルで一括挿入", {9, 42, -1, -1}}},
        {f.CheckBox1, {"CheckBox1", "中央", "文字基点を画面中央に表示", {94, 45, -1, -1}}},
        {f.CheckBox2, {"CheckBox2", "矢印", "三角矢印を描画", {94, 65, -1, -1}}},
        {f.Button9, {"Button9", "TEXT 作成", "文字幅自動で、CAD 上に TEXT を１つずつ作成", {7, 67, -1, -1}}},
        {f.Button3, {"Button3", "角度丸め =", "文字角度を丸め", {147, 45, -1, -1}}},
        {f.Button7, {"Button7", "座標丸め =", "X, Y 座標値を丸め", {147, 68, -1, -1}}},
        {f.CheckBox6, {"CheckBox6", "作成文字高=", "画像に関係なく、TEXT の高さを入力", {270, 69, -1, -1}}},
        {f.Button5, {"Button5", "再読み込み", "OCR 結果のファイルを再読み込み", {415, 42, -1, -1}}},
        {f.Button12, {"Button12", "文字列置換", "部分一致で文字列を置換", {415, 68, -1, -1}}},
        {f.Button17, {"Button17", "作成を中止", "TEXT の作成を中止", {495, 42, -1, -1}}},
        {f.CheckBox8, {"CheckBox8", "LISP で作成", "", {492, 69, -1, -1}}},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.w->text(), b.c.caption) << b.c.name;
        EXPECT_EQ(b.w->toolTip(), b.c.hint) << b.c.name;
        EXPECT_EQ(b.w->pos(), b.c.rect.topLeft()) << b.c.name;
        if (b.c.rect.width() > 0) EXPECT_EQ(b.w->size(), b.c.rect.size()) << b.c.name;
    }
    struct E { QLineEdit* w; const char* name; QString text; QString hint; QPoint pos; };
    const E edits[] = {
        {f.Edit6, "Edit6", "2.5", "作成する TEXT の文字高さ固定値", {259, 22}},
        {f.Edit7, "Edit7", "", "CAD 上の切り取り幅、高さ", {423, 1}},
        {f.Edit9, "Edit9", "?", "注意文字", {595, 24}},
        {f.Edit8, "Edit8", "", "CAD 上で表示できない可能性のある文字", {44, 6}},
        {f.Edit2, "Edit2", "", "OCR 文字編集", {102, 5}},
        {f.Edit1, "Edit1", "90", "丸め角度", {218, 45}},
        {f.Edit3, "Edit3", "0.5", "座標丸め", {218, 68}},
        {f.Edit4, "Edit4", "0.8", "OCR 画像の文字高さ係数", {363, 45}},
        {f.Edit5, "Edit5", "2.5", "作成する TEXT の文字高さの固定値", {363, 69}},
    };
    for (const auto& e : edits) {
        EXPECT_EQ(e.w->text(), e.text) << e.name;
        EXPECT_EQ(e.w->toolTip(), e.hint) << e.name;
        EXPECT_EQ(e.w->pos(), e.pos) << e.name;
    }
    EXPECT_TRUE(f.Edit8->isReadOnly());
    EXPECT_TRUE(f.Edit9->font().bold());
    EXPECT_EQ(f.Edit2->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(f.Edit2->font().pixelSize(), 19);
    EXPECT_EQ(f.StringGrid1->font().pixelSize(), 13);
    EXPECT_EQ(f.Panel2->geometry(), QRect(0, 0, 596, 182));
    EXPECT_EQ(f.Splitter1->geometry(), QRect(0, 182, 596, 7));
    EXPECT_EQ(f.Panel1->geometry(), QRect(0, 189, 596, 236));
    EXPECT_EQ(f.StringGrid1->pos(), QPoint(4, 92));
    EXPECT_EQ(f.Memo1->pos(), QPoint(3, 184));
    EXPECT_EQ(f.Shape2->geometry(), QRect(3, 6, 35, 12));
    EXPECT_FALSE(f.Button1->isEnabled());
    EXPECT_FALSE(f.Button9->isEnabled());
    EXPECT_FALSE(f.Button17->isEnabled());
    EXPECT_TRUE(f.Button2->isEnabled());
    EXPECT_TRUE(f.Button15->isHidden());
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindowTest, FirstStartDefaultsAndCaption) {
    TForm102 f;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(f.pos(), QPoint((screen.width() - 596) / 2, (screen.height() - 425) / 2));
    EXPECT_EQ(f.size(), QSize(596, 425));
    EXPECT_TRUE(f.windowTitle().endsWith(" [ BricsCAD ]"));
    EXPECT_EQ(f.windowTitle(), "MIRTEX Ver.1.14a (2026/03/02) [ BricsCAD ]");
    for (QCheckBox* c : {f.CheckBox1, f.CheckBox2, f.CheckBox3, f.CheckBox4, f.CheckBox5, f.CheckBox6,
                         f.CheckBox7, f.CheckBox8})
        EXPECT_FALSE(c->isChecked()) << c->text().toStdString();
    EXPECT_EQ(f.Shape1->palette().color(QPalette::Window), aciToRgb(3).toQColor());
    EXPECT_EQ(f.Shape3->palette().color(QPalette::Window), aciToRgb(30).toQColor());
    EXPECT_EQ(f.Shape4->palette().color(QPalette::Window), aciToRgb(1).toQColor());
    EXPECT_EQ(f.Grid.ColCount(), 9);
    EXPECT_EQ(f.Grid.cell(1, 0), "文字列");
}

TEST_F(MainWindowTest, BothAutoOptionsStoredLeaveOnlyTheCreationBoxChecked) {
    writeIni("[Draw]\nAutoDraw=1\nAutoDxf=1\n[Color]\nLineAci=abc\n[TargetCAD]\nName=ZWCAD\n");
    TForm102 f;
    EXPECT_TRUE(f.CheckBox5->isChecked());
    EXPECT_FALSE(f.CheckBox4->isChecked());
    EXPECT_EQ(f.LineAci, 3);
    EXPECT_TRUE(f.windowTitle().endsWith(" [ ZWCAD ]"));
}

TEST_F(MainWindowTest, AutoBoxesExcludeEachOther) {
    TForm102 f;
    struct Step { QCheckBox* click; bool four, five; } steps[] = {
        {f.CheckBox4, true, false}, {f.CheckBox5, false, true}, {f.CheckBox4, true, false}, {f.CheckBox4, false, false}};
    for (const auto& s : steps) {
        QTest::mouseClick(s.click, Qt::LeftButton, {}, QPoint(5, s.click->height() / 2));
        EXPECT_EQ(f.CheckBox4->isChecked(), s.four);
        EXPECT_EQ(f.CheckBox5->isChecked(), s.five);
    }
}

TEST_F(MainWindowTest, EverySettingWrittenAtExit) {
    {
        TForm102 f;
        f.CheckBox8->setChecked(true);
        f.Edit9->setText(" # ");
    }
    QFile ini(dir.filePath("MIRTEX.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    for (const char* key : {"Left=", "Top=", "Width=596", "Height=425", "ProgID=BricscadApp.AcadApplication",
                            "Name=BricsCAD", "Center=0", "Arrow=0", "Step=90", "Step=0.5", "LineAci=3",
                            "TextAci=30", "AttnAci=1", "Sleep=300", "Sleep=200", "HScale=0.8", "AutoDraw=0",
                            "AutoDxf=0", "Man2=0", "Man=0", "UseLISP=1", "Attn=#"})
        EXPECT_TRUE(text.contains(key)) << key;
}

TEST_F(MainWindowTest, PopupMenusHoldTheirItemsInOrder) {
    TForm102 f;
    auto names = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions()) out << a->objectName() + "|" + (a->isSeparator() ? "-" : a->text());
        return out;
    };
    EXPECT_EQ(names(f.PopupMenu1), QStringList({
        "N1|■  CAD からの切り取り画像 (source.png) ", "N3|-",
        "OCRsource1png1|■ OCR 後の字消し画像 (resultLN.png) : 文字枠色でライン描画", "N2|-",
        "N2OCR1|■ OCR 後の字消し画像 (resultBK.png) : 黒色で塗りつぶし",
        "OCRsource2png1|■ OCR 後の字消し画像 (resultWH.png) : 白色で塗りつぶし", "N6|-",
        "MIRTEXexe1|■ エクスプローラーで MIRTEX.exe のフォルダを開く", "N5|-", "N4|取り消し（メニューを閉じる）"}));
    EXPECT_EQ(names(f.PopupMenu2), QStringList({
        "qvriselsp1|QVRISE.lsp をロード", "N7|-", "VRISE1|■ QVRISE（全体の文字幅はほぼそのままで、文字高さを変更）",
        "VSWEEP1|■ QVSWEEP（背景の文字っぽいポリラインを削除）",
        "VRULE1|■ QVRULE（ほぼ同じ文字高さの点在した TEXT から罫線を作成）", "VSPAN1|■ QVSPAN（罫線の幅、高さを変更）",
        "VALIGN1|■ QVALIGN（罫線（格子）内の文字位置を変更、整列）", "N8|-",
        "VCOPY1|■ QVCOPY（点在した TEXT の文字列をクリップボードにコピー）",
        "VDROP1|■ QVDROP（クリップボードの複数の文字列を CAD に作成）"}));
}

TEST_F(MainWindowTest, ShowingARowFillsTheEditorAndFlagsUndisplayableText) {
    TForm102 f;
    f.Grid.setRowCount(4);
    struct Row { int r; QString text, h, a; } rows[] = {{1, "ABC", "2.0", "0.0"}, {2, "caf\u00e9", "2.0", "0.0"}, {3, "skip", "", "0.0"}};
    for (const auto& r : rows) {
        f.Grid.setCell(1, r.r, r.text); f.Grid.setCell(2, r.r, r.h); f.Grid.setCell(3, r.r, r.a);
    }
    f.Grid.setRow(2);
    EXPECT_EQ(f.Edit2->text(), "caf\u00e9");
    EXPECT_EQ(f.Shape2->palette().color(QPalette::Window), QColor(255, 255, 0));
    f.Grid.setRow(1);
    EXPECT_EQ(f.Edit2->text(), "ABC");
    EXPECT_EQ(f.Shape2->palette().color(QPalette::Window), QColor(Qt::black));
    f.Grid.setRow(3);  // no height: not shown
    EXPECT_EQ(f.Edit2->text(), "ABC");
    f.Edit2->setText("edited");  // the editor writes into the current row
    EXPECT_EQ(f.Grid.cell(1, 3), "edited");
    // The search finds the flagged row from the last row and shows its offending character.
    f.Button13->click();
    EXPECT_EQ(f.Grid.Row(), 2);
    EXPECT_EQ(f.Edit8->text(), "\u00e9");
}

TEST_F(MainWindowTest, MemoLineDoubleClickSelectsTheLinkedRow) {
    TForm102 f;
    f.Grid.setRowCount(14);
    for (int r = 1; r < 14; ++r) {
        f.Grid.setCell(1, r, QString("row%1").arg(r)); f.Grid.setCell(2, r, "2.0"); f.Grid.setCell(3, r, "0.0");
    }
    f.show();
    struct Case { QString line; int expectedRow; } cases[] = {
        {"12 : ＡＢＣ", 12}, {"OCR 行数が 0 です.", 12}, {"no colon here", 12}, {" 3: x", 3},
        {"99 : beyond", 3}, {"-2 : negative", 3}, {"abc: x", 3}};
    for (const auto& c : cases) {
        f.Memo1->setPlainText("first line\n" + c.line);
        const QRect lineRect = f.Memo1->cursorRect(f.Memo1->document()->lastBlock().isValid()
            ? QTextCursor(f.Memo1->document()->lastBlock()) : QTextCursor());
        QTest::mouseDClick(f.Memo1->viewport(), Qt::LeftButton, {}, lineRect.center() + QPoint(2, 0));
        QCoreApplication::processEvents();
        EXPECT_EQ(f.Grid.Row(), c.expectedRow) << c.line.toStdString();
    }
    EXPECT_EQ(f.Edit2->text(), "row3");
}

TEST_F(MainWindowTest, EnterIsSwallowedByTheRoundingBoxes) {
    TForm102 f;
    f.show();
    for (QLineEdit* e : {f.Edit1, f.Edit3}) {
        QSignalSpy spy(e, &QLineEdit::returnPressed);
        QTest::keyClick(e, Qt::Key_Return);
        EXPECT_EQ(spy.count(), 0);
        QTest::keyClick(e, Qt::Key_7);
        EXPECT_TRUE(e->text().endsWith('7'));
    }
}

TEST_F(MainWindowTest, ResizingFollowsTheAnchors) {
    TForm102 f;
    f.resize(696, 525);
    EXPECT_EQ(f.Panel2->geometry(), QRect(0, 0, 696, 182));
    EXPECT_EQ(f.Panel1->geometry(), QRect(0, 189, 696, 336));
    EXPECT_EQ(f.Edit7->width(), 207);
    EXPECT_EQ(f.Button4->pos(), QPoint(632, 2));
    EXPECT_EQ(f.Edit2->width(), 572);
    EXPECT_EQ(f.StringGrid1->geometry(), QRect(4, 92, 688, 188));
    EXPECT_EQ(f.Memo1->geometry(), QRect(3, 284, 690, 49));
    EXPECT_EQ(f.Button5->pos(), QPoint(415, 42));  // anchored left and top
}
