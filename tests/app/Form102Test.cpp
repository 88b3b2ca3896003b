#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "app/Form102CropWindow.h"
#include "app/GridCellLook.h"
#include "app/ImageControl.h"
#include "app/IniFile.h"
#include "imaging/Aci.h"
#include "tests/support/IgnoredLeaks.h"

#include <QAction>
#include <QHeaderView>
#include <QScrollBar>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QCheckBox>
#include <QScreen>
#include <QTextBlock>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {
class Form102Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "app_window_test";
        static char* argv[] = {name, nullptr};
        static MirtexApplication* app = new MirtexApplication(argc, argv);
        Q_UNUSED(app);
    }
    void SetUp() override { AppPaths::setExecutableForTesting(dir.path()); }
    std::unique_ptr<TForm102> open() { return std::make_unique<TForm102>(); }
    void writeIni(const QByteArray& bytes) {
        QFile f(dir.filePath("MIRTEX.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir;
};

void fillRows(TForm102& w, int n) {
    w.Grid.setRowCount(n + 1);
    for (int r = 1; r <= n; ++r) {
        w.Grid.setCell(0, r, QString::number(r) + " ");
        w.Grid.setCell(1, r, QString("row %1").arg(r));
        w.Grid.setCell(2, r, "2.5");
        w.Grid.setCell(3, r, "0");
    }
}
}

TEST_F(Form102Test, ControlsHaveTheirCaptionsHintsStatesAndGeometry) {
    auto w = open();
    w->show();
    QCoreApplication::processEvents();
    struct Case { const char* name; const char* text; const char* hint; QRect geo; };
    const Case cases[] = {
        {"Button2", "切り取り", "CAD 上で切り取り範囲を左上、右下の順で２点を指示", {4, 1, 63, 43}},
        {"CheckBox4", "即、TEXT 挿入", "切り取り後、即座に DXF ファイルで TEXT を挿入", {73, 4, 0, 0}},
        {"CheckBox5", "即、TEXT 作成", "切り取り後、即座に TEXT を作成", {73, 23, 0, 0}},
        {"CheckBox3", "二値化", "切り取り時に画像を二値化（GRID はオフにしてください）", {172, 4, 0, 0}},
        {"CheckBox7", "作成文字高=", "画像に関係なく、作成 TEXT の高さを入力", {172, 23, 0, 0}},
        {"Edit6", "2.5", "作成する TEXT の文字高さ固定値", {259, 22, 0, 0}},
        {"Button6", "文字枠色=", "画像表示の文字枠色", {230, 0, 0, 0}},
        {"Button11", "文字画層色=", "作成画層 MIRTEX の色", {322, 0, 0, 0}},
        {"Button16", "注意文字色=", "誤認識の可能性がある文字列の色", {319, 21, 0, 0}},
        {"Edit7", "", "CAD 上の切り取り幅、高さ", {423, 1, 0, 0}},
        {"Button8", "画像確認", "画像を確認", {419, 21, 0, 0}},
        {"Button14", "フォルダ", "EXE のフォルダを表示", {477, 21, 0, 0}},
        {"Label2", "注意文字=", "", {533, 27, 0, 0}},
        {"Edit9", "?", "注意文字", {595, 24, 0, 0}},
        {"Button4", "CAD", "ターゲット CAD を変更", {532, 2, 62, 41}},
        {"Shape2", "", "CAD 上に表示できない文字があるときは黄色", {3, 6, 35, 12}},
        {"Button13", "▼", "CAD 上で表示できない文字を含む行を探す", {3, 22, 35, 19}},
        {"Edit8", "", "CAD 上で表示できない可能性のある文字", {44, 6, 0, 0}},
        {"Edit2", "", "OCR 文字編集", {102, 5, 0, 0}},
        {"Button1", "TEXT 挿入", "文字幅 0.5 ～ 1.0 で、CAD 上に TEXT を DXF ファイルで一括挿入", {9, 42, 0, 0}},
        {"CheckBox1", "中央", "文字基点を画面中央に表示", {94, 45, 0, 0}},
        {"CheckBox2", "矢印", "三角矢印を描画", {94, 65, 0, 0}},
        {"Button9", "TEXT 作成", "文字幅自動で、CAD 上に TEXT を１つずつ作成", {7, 67, 0, 0}},
        {"Button3", "角度丸め =", "文字角度を丸め", {147, 45, 0, 0}},
        {"Edit1", "90", "丸め角度", {218, 45, 0, 0}},
        {"Button7", "座標丸め =", "X, Y 座標値を丸め", {147, 68, 0, 0}},
        {"Edit3", "0.5", "座標丸め", {218, 68, 0, 0}},
        {"Label1", "画像文字高係数=", "", {265, 49, 0, 0}},
        {"Edit4", "0.8", "OCR 画像の文字高さ係数", {363, 45, 0, 0}},
        {"CheckBox6", "作成文字高=", "画像に関係なく、TEXT の高さを入力", {270, 69, 0, 0}},
        {"Edit5", "2.5", "作成する TEXT の文字高さの固定値", {363, 69, 0, 0}},
        {"Button5", "再読み込み", "OCR 結果のファイルを再読み込み", {415, 42, 0, 0}},
        {"Button12", "文字列置換", "部分一致で文字列を置換", {415, 68, 0, 0}},
        {"Button17", "作成を中止", "TEXT の作成を中止", {495, 42, 0, 0}},
        {"CheckBox8", "LISP で作成", "", {492, 69, 0, 0}},
        {"Button15", "LISP で作成", "", {571, 64, 0, 0}},
        {"StringGrid1", "", "項目名クリックでソート、マウス右クリックでポップアップメニュー", {4, 92, 0, 0}},
        {"Memo1", "", "", {3, 184, 0, 0}},
    };
    for (const Case& c : cases) {
        auto* ctl = w->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(ctl, nullptr) << c.name;
        EXPECT_EQ(ctl->toolTip(), QString::fromUtf8(c.hint)) << c.name;
        QString text = ctl->property("text").toString();
        if (auto* memo = qobject_cast<QPlainTextEdit*>(ctl)) text = memo->toPlainText();
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(ctl->pos(), c.geo.topLeft()) << c.name;
        if (c.geo.width() > 0) EXPECT_EQ(ctl->size(), c.geo.size()) << c.name;
    }
    EXPECT_EQ(w->Panel2->height(), 182);
    EXPECT_EQ(w->Splitter1->handleWidth(), 7);
    EXPECT_FALSE(w->Button1->isEnabled());
    EXPECT_FALSE(w->Button9->isEnabled());
    EXPECT_FALSE(w->Button17->isEnabled());
    EXPECT_TRUE(w->Button2->isEnabled());
    EXPECT_TRUE(w->Button15->isHidden());
    EXPECT_TRUE(w->Edit8->isReadOnly());
    EXPECT_TRUE(w->Edit9->font().bold());
    EXPECT_EQ(w->Edit2->font().pixelSize(), 19);
    EXPECT_EQ(w->StringGrid1->font().pixelSize(), 13);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    for (QCheckBox* b : {w->CheckBox1, w->CheckBox2, w->CheckBox3, w->CheckBox4, w->CheckBox5,
                         w->CheckBox6, w->CheckBox7, w->CheckBox8})
        EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    EXPECT_TRUE(w->windowTitle().endsWith(" [ BricsCAD ]"));
    EXPECT_TRUE(w->windowTitle().startsWith(kApplicationTitle));
    EXPECT_EQ(w->Shape1->palette().color(QPalette::Window), aciToRgb(3).toQColor());
    EXPECT_EQ(w->Shape3->palette().color(QPalette::Window), aciToRgb(30).toQColor());
    EXPECT_EQ(w->Shape4->palette().color(QPalette::Window), aciToRgb(1).toQColor());
    EXPECT_EQ(w->Grid.ColCount(), 9);
    EXPECT_EQ(w->StringGrid1->model()->headerData(0, Qt::Horizontal).toString(),
              QString::fromUtf8("文字列"));
}

TEST_F(Form102Test, PopupMenusHoldTheirItemsInOrder) {
    auto w = open();
    auto names = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions()) out << a->objectName() + "=" + (a->isSeparator() ? "-" : a->text());
        return out;
    };
    EXPECT_EQ(names(w->PopupMenu1),
              QStringList({QString::fromUtf8("N1=■  CAD からの切り取り画像 (source.png) "), "N3=-",
                           QString::fromUtf8("OCRsource1png1=■ OCR 後の字消し画像 (resultLN.png) : 文字枠色でライン描画"),
                           "N2=-", QString::fromUtf8("N2OCR1=■ OCR 後の字消し画像 (resultBK.png) : 黒色で塗りつぶし"),
                           QString::fromUtf8("OCRsource2png1=■ OCR 後の字消し画像 (resultWH.png) : 白色で塗りつぶし"),
                           "N6=-", QString::fromUtf8("MIRTEXexe1=■ エクスプローラーで MIRTEX.exe のフォルダを開く"),
                           "N5=-", QString::fromUtf8("N4=取り消し（メニューを閉じる）")}));
    const QStringList m2 = names(w->PopupMenu2);
    ASSERT_EQ(m2.size(), 10);
    EXPECT_EQ(m2[0], QString::fromUtf8("qvriselsp1=QVRISE.lsp をロード"));
    EXPECT_EQ(m2[1], "N7=-");
    EXPECT_EQ(m2[7], "N8=-");
    EXPECT_EQ(m2[9], QString::fromUtf8("VDROP1=■ QVDROP（クリップボードの複数の文字列を CAD に作成）"));
}

TEST_F(Form102Test, AutoCheckBoxesAreExclusive) {
    auto w = open();
    w->CheckBox4->click();
    EXPECT_TRUE(w->CheckBox4->isChecked());
    w->CheckBox5->click();
    EXPECT_TRUE(w->CheckBox5->isChecked());
    EXPECT_FALSE(w->CheckBox4->isChecked());
    w->CheckBox5->click();
    EXPECT_FALSE(w->CheckBox5->isChecked());
    EXPECT_FALSE(w->CheckBox4->isChecked());
}

TEST_F(Form102Test, BothAutoSettingsLeaveOnlyTheSecondChecked) {
    writeIni("[Draw]\nAutoDraw=1\nAutoDxf=1\n[TargetCAD]\nName=ZWCAD\n[Color]\nLineAci=zz\n");
    auto w = open();
    EXPECT_TRUE(w->CheckBox5->isChecked());
    EXPECT_FALSE(w->CheckBox4->isChecked());
    EXPECT_TRUE(w->windowTitle().endsWith(" [ ZWCAD ]"));
    EXPECT_EQ(w->LineAci, 3);
}

TEST_F(Form102Test, ExitWritesEverySettingFromTheControls) {
    {
        auto w = open();
        w->Edit1->setText("15");
        w->CheckBox1->setChecked(true);
        w->Edit9->setText(QString::fromUtf8(" ？ "));
    }
    const IniFile ini(dir.filePath("MIRTEX.ini"));
    EXPECT_EQ(ini.readString("Deg", "Step", ""), "15");
    EXPECT_EQ(ini.readString("Zoom", "Center", ""), "1");
    EXPECT_EQ(ini.readString("Draw", "AutoDxf", ""), "0");
    EXPECT_EQ(ini.readString("Text", "Attn", ""), QString::fromUtf8("？"));
    EXPECT_EQ(ini.readString("Form", "Width", ""), QString::number(TForm102::DesignClientSize.width()));
}

TEST_F(Form102Test, MemoLineWithRowNumberSelectsThatRow) {
    auto w = open();
    fillRows(*w, 13);
    w->Memo1->setPlainText(QString::fromUtf8("OCR 行数が 0 です.\n12 : 読めない文字\n99: beyond\nx: y"));
    auto dblClickLine = [&](int line) {
        QTextCursor c(w->Memo1->document()->findBlockByNumber(line));
        w->Memo1->setTextCursor(c);
        w->Memo1DblClick();
    };
    w->Grid.setRow(3);
    dblClickLine(0);
    EXPECT_EQ(w->Grid.Row(), 3);
    dblClickLine(1);
    EXPECT_EQ(w->Grid.Row(), 12);
    EXPECT_EQ(w->Edit2->text(), "row 12");
    EXPECT_EQ(GridTableModel::gridRow(w->StringGrid1->currentIndex()), 12);
    dblClickLine(2);
    EXPECT_EQ(w->Grid.Row(), 12);
    dblClickLine(3);
    EXPECT_EQ(w->Grid.Row(), 12);
}

TEST_F(Form102Test, EditTextGoesIntoTheCurrentRowAndFlaggedRowsAreFound) {
    auto w = open();
    fillRows(*w, 4);
    w->Grid.setCell(1, 3, QString::fromUtf8("A\u00e9B"));  // é has no code page 932 form
    w->Grid.setRow(1);
    w->Button13Click();
    EXPECT_EQ(w->Grid.Row(), 3);
    EXPECT_EQ(w->Edit8->text(), QString::fromUtf8("\u00e9"));
    EXPECT_EQ(w->Shape2->palette().color(QPalette::Window), QColor(255, 255, 0));
    w->Grid.setRow(2);
    EXPECT_EQ(w->Shape2->palette().color(QPalette::Window), QColor(Qt::black));
    QTest::keyClicks(w->Edit2, "!");
    EXPECT_EQ(w->Grid.cell(1, 2), "row 2!");
}

TEST_F(Form102Test, EnterInRoundingBoxesIsNotTyped) {
    auto w = open();
    w->Edit1->setText("45");
    QTest::keyClick(w->Edit1, Qt::Key_Return);
    QTest::keyClicks(w->Edit1, "6");
    EXPECT_EQ(w->Edit1->text(), "456");
}

namespace {
class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("Failed to load the engine.");
        return QObject::event(e);
    }
};
}

TEST_F(Form102Test, ErrorEscapingAHandlerIsShownAndTheWindowStays) {
    auto w = open();
    QStringList shown;
    auto saved = MirtexApplication::showError;
    MirtexApplication::showError = [&](const QString& t) { shown << t; };
    Thrower t;
    // A button of the window's own whose handler fails; the real handlers have
    // work of their own (the crop command waits for picks).
    auto* b = new QPushButton(w.get());
    b->show();
    QObject::connect(b, &QPushButton::clicked, &t, [] { throw std::runtime_error("click failed"); });
    {
        const IgnoredLeaks unwindingThroughQt;
        QTest::mouseClick(b, Qt::LeftButton);
        QEvent user(QEvent::User);
        QCoreApplication::sendEvent(&t, &user);
    }
    MirtexApplication::showError = saved;
    EXPECT_EQ(shown, QStringList({"click failed", "Failed to load the engine."}));
    EXPECT_EQ(w->Edit1->text(), "90");
}

TEST_F(Form102Test, FirstStartDefaultsAndCaption) {
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

// Growing the window by (100, 100) from the design size: stretching controls
// take the width, the grid takes the height, the memo keeps its height at the
// bottom, left-anchored controls stay where they are.
TEST_F(Form102Test, ResizingFollowsTheAnchors) {
    TForm102 f;
    f.show();
    f.resize(596, 425);
    QCoreApplication::processEvents();
    const QRect edit7 = f.Edit7->geometry(), edit2 = f.Edit2->geometry(), grid = f.StringGrid1->geometry(),
                memo = f.Memo1->geometry(), button5 = f.Button5->geometry(), image2 = f.Image2->geometry();
    f.resize(696, 525);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Panel2->geometry(), QRect(0, 0, 696, 182));
    EXPECT_EQ(f.Panel1->geometry(), QRect(0, 189, 696, 336));
    EXPECT_EQ(f.Edit7->geometry(), edit7.adjusted(0, 0, 100, 0));
    EXPECT_EQ(f.Edit2->geometry(), edit2.adjusted(0, 0, 100, 0));
    EXPECT_EQ(f.StringGrid1->geometry(), grid.adjusted(0, 0, 100, 100));
    EXPECT_EQ(f.Memo1->geometry(), memo.adjusted(0, 100, 100, 100));
    EXPECT_EQ(f.Button5->geometry(), button5);
    EXPECT_EQ(f.Image2->geometry(), image2.translated(100, 0));
}

namespace {
// Where a grid cell, fixed ones included, lies in the grid widget.
QRect cellRect(const TStringGridView& v, int col, int row) {
    const QHeaderView* top = v.horizontalHeader();
    const QHeaderView* side = v.verticalHeader();
    const int x = col == 0 ? side->x() : top->x() + top->sectionViewportPosition(col - 1);
    const int w = col == 0 ? side->width() : top->sectionSize(col - 1);
    const int y = row == 0 ? top->y() : side->y() + side->sectionViewportPosition(row - 1);
    const int h = row == 0 ? top->height() : side->sectionSize(row - 1);
    return QRect(x, y, w - 1, h - 1);  // less the grid lines
}

// Colour a few pixels inside a cell's top-left corner, clear of its edges and
// of text that is not left-aligned.
QColor insideCorner(const QImage& shot, const TStringGridView& v, int col, int row) {
    const QRect r = cellRect(v, col, row);
    return shot.pixelColor(r.left() + 3, r.top() + 3);
}

// Horizontal extent of the bright (text) pixels inside a cell.
std::pair<int, int> inkSpan(const QImage& shot, const QRect& r) {
    int left = r.right() + 1, right = r.left() - 1;
    for (int y = r.top() + 2; y < r.bottom() - 1; ++y)
        for (int x = r.left() + 1; x < r.right(); ++x)
            if (qGray(shot.pixel(x, y)) > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

QPoint viewportCentre(const TStringGridView& v, int col, int row) {
    return v.visualRect(v.model()->index(row - 1, col - 1)).center();
}
}

TEST_F(Form102Test, GridPaintsFixedCellsSelectionAndCurrentCell) {
    auto w = open();
    fillRows(*w, 4);
    w->Grid.setCurrent(2, 2);
    w->Grid.setSelection({2, 2, 3, 3});
    w->show();
    w->StringGrid1->setFocus();
    QCoreApplication::processEvents();
    const QImage shot = w->StringGrid1->grab().toImage();
    const TStringGridView& v = *w->StringGrid1;
    const QPalette& pal = v.palette();
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    ASSERT_NE(highlight, QColor(Qt::black));
    EXPECT_EQ(insideCorner(shot, v, 0, 0), QColor(Qt::black));  // corner
    EXPECT_EQ(insideCorner(shot, v, 4, 0), QColor(Qt::black));  // header
    EXPECT_EQ(insideCorner(shot, v, 0, 2), QColor(Qt::black));  // number beside the range
    EXPECT_EQ(insideCorner(shot, v, 4, 1), QColor(Qt::black));  // data outside the range
    EXPECT_EQ(insideCorner(shot, v, 2, 1), QColor(Qt::black));  // above the range
    EXPECT_EQ(insideCorner(shot, v, 2, 2), highlight);           // current cell
    EXPECT_EQ(insideCorner(shot, v, 3, 3), highlight);           // rest of the range
    // Fixed cells carry a raised edge, data cells do not; grid lines between all.
    const QRect header = cellRect(v, 4, 0), data = cellRect(v, 4, 1);
    EXPECT_EQ(shot.pixelColor(header.left() + 5, header.top()), pal.color(QPalette::Light));
    EXPECT_EQ(shot.pixelColor(data.left() + 5, data.top()), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(header.left() + 5, header.bottom() + 1), QColor::fromRgba(kGridLineColor));
    EXPECT_EQ(shot.pixelColor(data.left() + 5, data.bottom() + 1), QColor::fromRgba(kGridLineColor));

    // Header text centred, text column left-aligned, numbers right-aligned.
    for (int col : {1, 4}) {
        const QRect h = cellRect(v, col, 0);
        const auto [l, r] = inkSpan(shot, h);
        ASSERT_LE(l, r) << "no header text in column " << col;
        EXPECT_NEAR((l + r) / 2.0, h.center().x(), 3) << col;
    }
    const QRect t1 = cellRect(v, 1, 1);
    EXPECT_LE(inkSpan(shot, t1).first, t1.left() + 2);
    for (int col : {0, 2}) {
        const QRect n = cellRect(v, col, 1);
        const auto [l, r] = inkSpan(shot, n);
        EXPECT_GE(r, n.right() - (col == 0 ? 10 : 3)) << col;  // the number ends with a blank
        EXPECT_GT(l, n.center().x()) << col;
    }
}

TEST_F(Form102Test, GridSelectionByMouseAndKeysReachesTheModelAndBack) {
    auto w = open();
    fillRows(*w, 4);
    w->show();
    QCoreApplication::processEvents();
    TStringGridView* v = w->StringGrid1;
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, viewportCentre(*v, 2, 1));
    EXPECT_EQ(w->Grid.Col(), 2);
    EXPECT_EQ(w->Grid.Row(), 1);
    QTest::keyClick(v, Qt::Key_Up);  // the header row never becomes current
    EXPECT_EQ(w->Grid.Row(), 1);
    QTest::keyClick(v, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(v, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(v, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w->Grid.selection(), (TGridRect{2, 1, 3, 3}));
    QTest::mouseClick(v->verticalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(5, v->verticalHeader()->sectionViewportPosition(1) + 5));
    QTest::mouseClick(v->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(v->horizontalHeader()->sectionViewportPosition(3) + 20, 5));
    EXPECT_EQ(w->Grid.selection(), (TGridRect{2, 1, 3, 3}));  // fixed cells select nothing
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, viewportCentre(*v, 4, 2));
    EXPECT_EQ(w->Grid.selection(), (TGridRect{2, 1, 4, 2}));  // from the range's anchor

    w->Grid.setCurrent(1, 2);
    w->Grid.setSelection({1, 2, 2, 4});
    QItemSelectionModel* sm = v->selectionModel();
    EXPECT_EQ(v->currentIndex(), v->model()->index(1, 0));
    EXPECT_TRUE(sm->isSelected(v->model()->index(3, 1)));
    EXPECT_FALSE(sm->isSelected(v->model()->index(0, 1)));
    EXPECT_FALSE(sm->isSelected(v->model()->index(2, 2)));
}

TEST_F(Form102Test, GridHeaderKeepsItsPlaceAndColumnWidthsFollowTheModel) {
    auto w = open();
    fillRows(*w, 30);
    w->show();
    QCoreApplication::processEvents();
    TStringGridView* v = w->StringGrid1;
    QHeaderView* top = v->horizontalHeader();
    EXPECT_EQ(top->height(), TGridModel::DefaultRowHeight);
    EXPECT_EQ(v->verticalHeader()->width(), w->Grid.colWidth(0));
    for (int c : {6, 7}) EXPECT_TRUE(v->isColumnHidden(c - 1)) << c;
    EXPECT_EQ(v->columnWidth(0), TGridModel::DefaultColWidth);
    const int headerY = top->y();
    w->Grid.setRow(30);  // scrolls the data to the last row
    QCoreApplication::processEvents();
    EXPECT_GT(v->verticalScrollBar()->value(), 0);
    EXPECT_EQ(top->y(), headerY);
    EXPECT_TRUE(top->isVisible());

    // Widths set by commands reach the view, and a drag on a header edge the model.
    w->Grid.setColWidth(1, 150);
    w->Grid.setColWidth(0, 40);
    EXPECT_EQ(v->columnWidth(0), 150);
    EXPECT_EQ(v->verticalHeader()->width(), 40);
    const int y = top->height() / 2;
    const QPoint edge(top->sectionViewportPosition(1) + top->sectionSize(1) - 1, y);
    QTest::mousePress(top->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(top->viewport(), edge + QPoint(10, 0));
    QTest::mouseMove(top->viewport(), edge + QPoint(20, 0));
    QTest::mouseRelease(top->viewport(), Qt::LeftButton, {}, edge + QPoint(20, 0));
    EXPECT_EQ(w->Grid.colWidth(2), 84);
    EXPECT_EQ(w->Grid.colWidth(6), 0);
    EXPECT_EQ(w->Grid.cell(1, 30), "row 30");  // resizing leaves the cells alone
}

TEST_F(Form102Test, PreviewShowsTheCropImageFittedAndKeepsItWhole) {
    auto w = open();
    w->show();
    QCoreApplication::processEvents();
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::red);
    Form102CropWindow crop(*w);
    crop.setPreview(picture);
    EXPECT_EQ(crop.preview(), picture);  // the recognised image is the full one, not the shown one
    for (QSize size : {TForm102::DesignClientSize, QSize(800, 500)}) {
        w->resize(size);
        QCoreApplication::processEvents();
        const QImage shot = w->Image1->grab().toImage();
        const QRect fit = fitCentred(picture.size(), w->Image1->size());
        SCOPED_TRACE(testing::Message() << "image box " << w->Image1->width() << "x" << w->Image1->height());
        ASSERT_FALSE(fit.isEmpty());
        EXPECT_EQ(fit.height(), w->Image1->height());
        EXPECT_EQ(shot.pixelColor(fit.center()), QColor(Qt::red));
        EXPECT_EQ(shot.pixelColor(fit.left() + 2, fit.center().y()), QColor(Qt::red));
        EXPECT_NE(shot.pixelColor(fit.left() - 3, fit.center().y()), QColor(Qt::red));
        EXPECT_NE(shot.pixelColor(fit.right() + 3, fit.center().y()), QColor(Qt::red));
    }
    // The green triangle beside the row editor points right.
    const QImage tri = w->Image2->grab().toImage();
    EXPECT_GT(tri.pixelColor(2, tri.height() / 2).green(), 150);
    EXPECT_EQ(tri.pixelColor(2, tri.height() / 2).red(), 32);
    EXPECT_NE(tri.pixelColor(tri.width() - 1, 1), tri.pixelColor(2, tri.height() / 2));
}

TEST_F(Form102Test, ColourSwatchesAreRoundedAndTheWarningSwatchIsPlain) {
    auto w = open();
    w->show();
    QCoreApplication::processEvents();
    const QImage shot = w->grab().toImage();
    // Inside, the swatch's colour; at the very corner the panel behind it.
    const auto colourAt = [&](QWidget* shape, QPoint inShape) { return shot.pixelColor(shape->mapTo(w.get(), inShape)); };
    for (QFrame* shape : {w->Shape1, w->Shape3, w->Shape4}) {
        SCOPED_TRACE(shape->objectName().toStdString());
        const QColor fill = shape->palette().color(QPalette::Window);
        const QRect r = shape->rect();
        EXPECT_EQ(colourAt(shape, r.center()), fill);
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            EXPECT_NE(colourAt(shape, corner), fill) << corner.x() << "," << corner.y();
    }
    const QRect r2 = w->Shape2->rect();
    for (QPoint corner : {r2.topLeft(), r2.topRight(), r2.bottomLeft(), r2.bottomRight()})
        EXPECT_EQ(colourAt(w->Shape2, corner), QColor(Qt::black)) << corner.x() << "," << corner.y();
}

TEST_F(Form102Test, CropCanMoveTheCurrentCellWithoutShowingTheRow) {
    auto w = open();
    fillRows(*w, 4);
    w->Grid.setCurrent(1, 3);
    ASSERT_EQ(w->Edit2->text(), "row 3");  // a move shows the row
    w->Edit2->clear();
    Form102CropWindow crop(*w);
    crop.setCurrentCellWithoutShowing(1, 1);
    EXPECT_EQ(w->Grid.Row(), 1);
    EXPECT_EQ(w->Grid.Col(), 1);
    EXPECT_TRUE(w->Edit2->text().isEmpty()) << w->Edit2->text().toStdString();
    w->Grid.setRow(2);
    EXPECT_EQ(w->Edit2->text(), "row 2") << "later moves show their row again";
}

TEST_F(Form102Test, ReloadRebuildsTheRowsAndWritesTheExport) {
    auto w = open();
    w->Crop = {1, 0, 0, 100, 50};
    w->OcrResultLines = {"0: 図面: (0,0),(40,0),(40,10),(0,10)", "1: 表: (0,20),(10,20),(10,30),(0,30)"};
    w->Grid.setRowCount(2);
    w->Grid.setCell(1, 1, "edited");
    w->Button5->click();
    EXPECT_EQ(w->Grid.RowCount(), 3);
    EXPECT_EQ(w->Grid.cell(1, 1), "図面");
    QFile tsv(dir.filePath("MIRTEX.tsv"));
    ASSERT_TRUE(tsv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = tsv.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "1.00000000\t100,50\t0.00000000,0.00000000\r");
    EXPECT_TRUE(lines[2].startsWith("\x95\x5c\t0,20,10,20,10,30,0,30\t")) << lines[2].toStdString();
}
