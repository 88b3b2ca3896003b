#include "Form102.h"

#include "app/Application.h"
#include "app/AppPaths.h"
#include "app/Form102CropWindow.h"
#include "app/Form102EraseWindow.h"
#include "app/Dialogs.h"
#include "app/Form102DxfWindow.h"
#include "app/Form102TextRoadWindow.h"
#include "capture/CropCommand.h"
#include "app/IniFile.h"
#include "app/MessageBoxes.h"
#include "app/RoundedSwatch.h"
#include "cad/RowDisplay.h"
#include "imaging/Aci.h"
#include "output/CompanionCommand.h"
#include "output/DirectTextCommand.h"
#include "output/LispRoadCommand.h"
#include "results/BulkEdits.h"
#include "results/CharChecks.h"
#include "results/GridKeys.h"
#include "results/GridSort.h"
#include "results/nTextTikanUnit.h"
#include "results/ResultReader.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextBlock>
#include <QUrl>
#include <QVBoxLayout>

const QSize TForm102::DesignClientSize(596, 425);

namespace {
template <class W>
W* make(QWidget* parent, const char* name, const QString& text, const QString& hint, QRect geo) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if constexpr (requires { w->setText(text); }) w->setText(text);
    if (!hint.isEmpty()) w->setToolTip(hint);
    if (geo.width() <= 0) geo.setSize(w->sizeHint());
    w->setGeometry(geo);
    return w;
}
QRect at(int l, int t, int w = 0, int h = 0) { return QRect(l, t, w, h); }

// Right-aligned number box without input method.
QLineEdit* numberEdit(QWidget* p, const char* name, const QString& text, const QString& hint, QRect g) {
    auto* e = make<QLineEdit>(p, name, text, hint, g);
    e->setAlignment(Qt::AlignRight);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

}

TForm102::TForm102(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form102"));
    setFont(QFont(QStringLiteral("Tahoma")));
    resize(DesignClientSize);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(7);
    Splitter1->setChildrenCollapsible(false);
    Panel2 = new QWidget;
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Splitter1->addWidget(Panel2);
    Splitter1->addWidget(Panel1);
    Splitter1->setSizes({182, DesignClientSize.height() - 182 - 7});
    Splitter1->setStretchFactor(1, 1);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(Splitter1);
    Panel2->installEventFilter(this);
    Panel1->installEventFilter(this);

    buildTopPanel();
    buildBottomPanel();
    buildMenus();
    FormCreate();
}

TForm102::~TForm102() {
    FormDestroy();
    // The grid view reads Grid, a member that is gone before QWidget deletes the children.
    delete StringGrid1;
}

void TForm102::buildTopPanel() {
    QWidget* p = Panel2;
    Button2 = make<QPushButton>(p, "Button2", "切り取り", "CAD 上で切り取り範囲を左上、右下の順で２点を指示", at(4, 1, 63, 43));
    CheckBox4 = make<QCheckBox>(p, "CheckBox4", "即、TEXT 挿入", "切り取り後、即座に DXF ファイルで TEXT を挿入", at(73, 4));
    CheckBox5 = make<QCheckBox>(p, "CheckBox5", "即、TEXT 作成", "切り取り後、即座に TEXT を作成", at(73, 23));
    CheckBox5->setChecked(true);  // design state; the settings decide at start
    CheckBox3 = make<QCheckBox>(p, "CheckBox3", "二値化", "切り取り時に画像を二値化（GRID はオフにしてください）", at(172, 4));
    CheckBox7 = make<QCheckBox>(p, "CheckBox7", "作成文字高=", "画像に関係なく、作成 TEXT の高さを入力", at(172, 23));
    Edit6 = numberEdit(p, "Edit6", "2.5", "作成する TEXT の文字高さ固定値", at(259, 22, 40, 21));
    Button6 = make<QPushButton>(p, "Button6", "文字枠色=", "画像表示の文字枠色", at(230, 0, 70, 21));
    Shape1 = make<TRoundedSwatch>(p, "Shape1", {}, {}, at(302, 4, 16, 14));
    Button11 = make<QPushButton>(p, "Button11", "文字画層色=", "作成画層 MIRTEX の色", at(322, 0, 76, 21));
    Shape3 = make<TRoundedSwatch>(p, "Shape3", {}, {}, at(400, 4, 16, 14));
    Button16 = make<QPushButton>(p, "Button16", "注意文字色=", "誤認識の可能性がある文字列の色", at(319, 21, 79, 21));
    Shape4 = make<TRoundedSwatch>(p, "Shape4", {}, {}, at(400, 25, 16, 14));
    Edit7 = make<QLineEdit>(p, "Edit7", {}, "CAD 上の切り取り幅、高さ", at(423, 1, 105, 20));
    Button8 = make<QPushButton>(p, "Button8", "画像確認", "画像を確認", at(419, 21, 56, 22));
    Button14 = make<QPushButton>(p, "Button14", "フォルダ", "EXE のフォルダを表示", at(477, 21, 54, 22));
    Label2 = make<QLabel>(p, "Label2", "注意文字=", {}, at(533, 27));
    Edit9 = make<QLineEdit>(p, "Edit9", "?", "注意文字", at(595, 24, 20, 20));
    QFont bold = Edit9->font();
    bold.setBold(true);
    Edit9->setFont(bold);
    Edit9->setFocusPolicy(Qt::ClickFocus);
    Edit9->setAttribute(Qt::WA_InputMethodEnabled, false);
    Button4 = make<QPushButton>(p, "Button4", "CAD", "ターゲット CAD を変更", at(532, 2, 62, 41));
    Image1 = make<TImage>(p, "Image1", {}, {}, at(0, 46, 596, 182 - 46));
    m_anchors.push_back({Edit7, true, false, false, Edit7->geometry(), QSize(596, 182)});
    m_anchors.push_back({Button4, false, true, false, Button4->geometry(), QSize(596, 182)});
    m_anchors.push_back({Image1, true, false, true, Image1->geometry(), QSize(596, 182)});
    connect(CheckBox4, &QCheckBox::clicked, this, &TForm102::CheckBox4Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &TForm102::CheckBox5Click);
    connect(Button2, &QPushButton::clicked, this, &TForm102::Button2Click);
    connect(Button8, &QPushButton::clicked, this, &TForm102::Button8Click);
    connect(Button4, &QPushButton::clicked, this, &TForm102::Button4Click);
    connect(Button6, &QPushButton::clicked, this, &TForm102::Button6Click);
    connect(Button11, &QPushButton::clicked, this, &TForm102::Button11Click);
    connect(Button16, &QPushButton::clicked, this, &TForm102::Button11Click);
    connect(Button14, &QPushButton::clicked, this, &TForm102::Button14Click);
}

void TForm102::buildBottomPanel() {
    QWidget* p = Panel1;
    const QSize panel(596, 425 - 182 - 7);
    Shape2 = make<QFrame>(p, "Shape2", {}, "CAD 上に表示できない文字があるときは黄色", at(3, 6, 35, 12));
    Shape2->setAutoFillBackground(true);
    setSwatch(Shape2, Qt::black);
    Button13 = make<QPushButton>(p, "Button13", "▼", "CAD 上で表示できない文字を含む行を探す", at(3, 22, 35, 19));
    Edit8 = make<QLineEdit>(p, "Edit8", {}, "CAD 上で表示できない可能性のある文字", at(44, 6, 52, 31));
    Edit8->setReadOnly(true);
    Edit8->setFocusPolicy(Qt::ClickFocus);
    Edit2 = make<QLineEdit>(p, "Edit2", {}, "OCR 文字編集", at(102, 5, 474, 33));
    Edit2->setAlignment(Qt::AlignCenter);
    QFont big(QStringLiteral("ＭＳ ゴシック"));
    big.setPixelSize(19);
    Edit2->setFont(big);
    Edit8->setFont(big);
    Image2 = make<TImage>(p, "Image2", {}, {}, at(580, 10, 14, 16));
    Image2->setPicture(rightTriangleImage(Image2->size(), QColor(32, 192, 32)));
    Button1 = make<QPushButton>(p, "Button1", "TEXT 挿入", "文字幅 0.5 ～ 1.0 で、CAD 上に TEXT を DXF ファイルで一括挿入", at(9, 42, 80, 22));
    CheckBox1 = make<QCheckBox>(p, "CheckBox1", "中央", "文字基点を画面中央に表示", at(94, 45));
    CheckBox2 = make<QCheckBox>(p, "CheckBox2", "矢印", "三角矢印を描画", at(94, 65));
    Button9 = make<QPushButton>(p, "Button9", "TEXT 作成", "文字幅自動で、CAD 上に TEXT を１つずつ作成", at(7, 67, 82, 22));
    Button3 = make<QPushButton>(p, "Button3", "角度丸め =", "文字角度を丸め", at(147, 45, 68, 21));
    Edit1 = numberEdit(p, "Edit1", "5.0", "丸め角度", at(218, 45, 40, 21));
    Button7 = make<QPushButton>(p, "Button7", "座標丸め =", "X, Y 座標値を丸め", at(147, 68, 68, 21));
    Edit3 = numberEdit(p, "Edit3", "0.5", "座標丸め", at(218, 68, 40, 21));
    Label1 = make<QLabel>(p, "Label1", "画像文字高係数=", {}, at(265, 49));
    Edit4 = numberEdit(p, "Edit4", "0.9", "OCR 画像の文字高さ係数", at(363, 45, 44, 21));
    CheckBox6 = make<QCheckBox>(p, "CheckBox6", "作成文字高=", "画像に関係なく、TEXT の高さを入力", at(270, 69));
    Edit5 = numberEdit(p, "Edit5", "2.5", "作成する TEXT の文字高さの固定値", at(363, 69, 44, 21));
    Button5 = make<QPushButton>(p, "Button5", "再読み込み", "OCR 結果のファイルを再読み込み", at(415, 42, 75, 22));
    Button12 = make<QPushButton>(p, "Button12", "文字列置換", "部分一致で文字列を置換", at(415, 68, 75, 22));
    Button17 = make<QPushButton>(p, "Button17", "作成を中止", "TEXT の作成を中止", at(495, 42, 75, 22));
    Button17->setEnabled(false);
    CheckBox8 = make<QCheckBox>(p, "CheckBox8", "LISP で作成", {}, at(492, 69));
    Button15 = make<QPushButton>(p, "Button15", "LISP で作成", {}, at(571, 64, 20, 20));
    Button15->setVisible(false);
    StringGrid1 = new TStringGridView(Grid, p);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setToolTip(QStringLiteral("項目名クリックでソート、マウス右クリックでポップアップメニュー"));
    StringGrid1->setGeometry(4, 92, 588, 88);
    Memo1 = make<QPlainTextEdit>(p, "Memo1", {}, {}, at(3, 184, 590, 50));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->viewport()->installEventFilter(this);

    QFont gridFont(QStringLiteral("ＭＳ ゴシック"));
    gridFont.setPixelSize(13);
    StringGrid1->setFont(gridFont);
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);

    m_anchors.push_back({Edit2, true, false, false, Edit2->geometry(), panel});
    m_anchors.push_back({Image2, false, true, false, Image2->geometry(), panel});
    m_anchors.push_back({StringGrid1, true, false, true, StringGrid1->geometry(), panel});
    m_anchors.push_back({Memo1, true, false, false, Memo1->geometry(), panel});

    connect(CheckBox1, &QCheckBox::clicked, this, &TForm102::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm102::CheckBox1Click);
    connect(Edit2, &QLineEdit::textEdited, this, &TForm102::Edit2Change);
    connect(Button13, &QPushButton::clicked, this, &TForm102::Button13Click);
    connect(Button5, &QPushButton::clicked, this, &TForm102::Button5Click);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(Button9); });
    connect(Button15, &QPushButton::clicked, this, [this] { Button15Click(Button15); });
    connect(Button17, &QPushButton::clicked, this, &TForm102::Button17Click);
    for (QLineEdit* e : {Edit1, Edit2, Edit3}) e->installEventFilter(this);
    connect(Button3, &QPushButton::clicked, this, &TForm102::Button3Click);
    connect(Button7, &QPushButton::clicked, this, &TForm102::Button7Click);
    connect(Button12, &QPushButton::clicked, this, &TForm102::Button12Click);
    StringGrid1->setKeyDownHandler([this](int key, Qt::KeyboardModifiers m) { return StringGrid1KeyDown(key, m); });
    StringGrid1->setFixedCellClickHandler([this](int col, int row) { StringGrid1FixedCellClick(col, row); });
    StringGrid1->setCellClickHandler([this] { StringGrid1Click(); });
    connect(StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu2->popup(StringGrid1->viewport()->mapToGlobal(pos)); });

    TGridModel::Listener l;
    l.cellChanged = [this](int c, int r) { StringGrid1->showCell(c, r); };
    l.layoutChanged = [this] { StringGrid1->showGridLayout(); };
    l.currentChanged = [this] {
        StringGrid1->showGridSelection();
        if (!m_rowDisplayHeld) StringGrid1Click();
    };
    l.selectionChanged = [this] { StringGrid1->showGridSelection(); };
    Grid.setListener(std::move(l));
}

void TForm102::buildMenus() {
    struct Item { const char* name; const char* caption; };
    auto build = [this](const char* menuName, std::initializer_list<Item> items) {
        auto* m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(menuName));
        for (const Item& it : items) {
            // "-" is a separator line; a separator with a caption would show the caption.
            const QString caption = QString::fromUtf8(it.caption);
            QAction* a = caption == u"-" ? m->addSeparator() : m->addAction(caption);
            a->setObjectName(QString::fromLatin1(it.name));
        }
        return m;
    };
    PopupMenu1 = build("PopupMenu1", {
        {"N1", "■  CAD からの切り取り画像 (source.png) "}, {"N3", "-"},
        {"OCRsource1png1", "■ OCR 後の字消し画像 (resultLN.png) : 文字枠色でライン描画"}, {"N2", "-"},
        {"N2OCR1", "■ OCR 後の字消し画像 (resultBK.png) : 黒色で塗りつぶし"},
        {"OCRsource2png1", "■ OCR 後の字消し画像 (resultWH.png) : 白色で塗りつぶし"}, {"N6", "-"},
        {"MIRTEXexe1", "■ エクスプローラーで MIRTEX.exe のフォルダを開く"}, {"N5", "-"},
        {"N4", "取り消し（メニューを閉じる）"}});
    PopupMenu2 = build("PopupMenu2", {
        {"qvriselsp1", "QVRISE.lsp をロード"}, {"N7", "-"},
        {"VRISE1", "■ QVRISE（全体の文字幅はほぼそのままで、文字高さを変更）"},
        {"VSWEEP1", "■ QVSWEEP（背景の文字っぽいポリラインを削除）"},
        {"VRULE1", "■ QVRULE（ほぼ同じ文字高さの点在した TEXT から罫線を作成）"},
        {"VSPAN1", "■ QVSPAN（罫線の幅、高さを変更）"},
        {"VALIGN1", "■ QVALIGN（罫線（格子）内の文字位置を変更、整列）"}, {"N8", "-"},
        {"VCOPY1", "■ QVCOPY（点在した TEXT の文字列をクリップボードにコピー）"},
        {"VDROP1", "■ QVDROP（クリップボードの複数の文字列を CAD に作成）"}});
    connect(PopupMenu1->findChild<QAction*>(QStringLiteral("MIRTEXexe1")), &QAction::triggered, this,
            &TForm102::MIRTEXexe1Click);
    const std::pair<const char*, void (TForm102::*)()> imageItems[] = {
        {"N1", &TForm102::N1Click}, {"OCRsource1png1", &TForm102::OCRsource1png1Click},
        {"N2OCR1", &TForm102::N2OCR1Click}, {"OCRsource2png1", &TForm102::OCRsource2png1Click}};
    for (const auto& [name, handler] : imageItems)
        connect(PopupMenu1->findChild<QAction*>(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    connect(PopupMenu2->findChild<QAction*>(QStringLiteral("qvriselsp1")), &QAction::triggered, this,
            &TForm102::qvriselsp1Click);
    for (const char* name : {"VRISE1", "VSWEEP1", "VRULE1", "VSPAN1", "VALIGN1", "VCOPY1", "VDROP1"}) {
        QAction* item = PopupMenu2->findChild<QAction*>(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, [this, item] { VRISE1Click(item); });
    }
}

void TForm102::setSwatch(QFrame* shape, const QColor& c) {
    QPalette pal = shape->palette();
    pal.setColor(QPalette::Window, c);
    shape->setPalette(pal);
    shape->update();
}

void TForm102::FormCreate() {
    Edit7->clear();
    TargetProgID = QStringLiteral("BricscadApp.AcadApplication");
    const IniFile ini(AppPaths::exePathWith(QStringLiteral(".ini")));
    const QScreen* screen = QGuiApplication::primaryScreen();
    applySettings(readSettings(ini, {screen ? screen->size() : DesignClientSize, size(),
                                     TargetProgID, Edit9->text()}));
    setWindowTitle(kApplicationTitle + QStringLiteral(" [ ") + TargetCadName +
                   QStringLiteral(" ]"));
    setupResultHeader(Grid);
    Button1->setEnabled(false);
    Button9->setEnabled(false);
    Edit2->clear();
    OcrResultLines.clear();
    m_messageFilter = std::make_shared<TMessageFilter>();
    m_messageFilter->RegisterFilter();
}

void TForm102::applySettings(const SettingsValues& v) {
    setGeometry(v.Left, v.Top, v.Width, v.Height);
    TargetProgID = v.ProgID;
    TargetCadName = v.Name;
    // Set like a user's click so that the exclusive pair stays exclusive.
    auto setBox = [](QCheckBox* box, bool on, auto handler) {
        box->setChecked(on);
        handler();
    };
    CheckBox1->setChecked(v.Center);
    CheckBox2->setChecked(v.Arrow);
    Edit1->setText(v.DegStep);
    Edit3->setText(v.XYStep);
    LineAci = v.LineAci;
    LineColor = aciToRgb(LineAci).toQColor();
    setSwatch(Shape1, LineColor);
    setTextAci(v.TextAci);
    AttnAci = v.AttnAci;
    AttnColor = aciToRgb(AttnAci).toQColor();
    setSwatch(Shape4, AttnColor);
    ZcadSleep = v.ZcadSleep;
    AcadSleep = v.AcadSleep;
    Edit4->setText(v.HScale);
    setBox(CheckBox4, v.AutoDraw, [this] { CheckBox4Click(); });
    setBox(CheckBox5, v.AutoDxf, [this] { CheckBox5Click(); });
    CheckBox6->setChecked(v.Man2);
    CheckBox7->setChecked(v.Man);
    CheckBox8->setChecked(v.UseLISP);
    Edit9->setText(v.Attn);
}

SettingsValues TForm102::collectSettings() const {
    SettingsValues v;
    const QRect g = geometry();
    v.Left = g.left();
    v.Top = g.top();
    v.Width = g.width();
    v.Height = g.height();
    v.ProgID = TargetProgID;
    v.Name = TargetCadName;
    v.Center = CheckBox1->isChecked();
    v.Arrow = CheckBox2->isChecked();
    v.DegStep = Edit1->text();
    v.XYStep = Edit3->text();
    v.LineAci = LineAci;
    v.TextAci = TextAci;
    v.AttnAci = AttnAci;
    v.ZcadSleep = ZcadSleep;
    v.AcadSleep = AcadSleep;
    v.HScale = Edit4->text();
    v.AutoDraw = CheckBox4->isChecked();
    v.AutoDxf = CheckBox5->isChecked();
    v.Man2 = CheckBox6->isChecked();
    v.Man = CheckBox7->isChecked();
    v.UseLISP = CheckBox8->isChecked();
    v.Attn = Edit9->text();
    return v;
}

void TForm102::FormDestroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    OcrResultLines.clear();
    const QString iniPath = AppPaths::exePathWith(QStringLiteral(".ini"));
    IniFile ini(iniPath);
    writeSettings(ini, collectSettings());
    // A folder that cannot be written loses the settings: say so, and end as usual.
    if (!ini.save()) MirtexApplication::showError(iniPath + QStringLiteral(" に設定を保存できません."));
    Grid.setListener({});
    if (m_messageFilter) m_messageFilter->RevokeFilter();
}

void TForm102::addLine(const QString& line) { Memo1->appendPlainText(line); }
void TForm102::clear() { Memo1->clear(); }
void TForm102::processMessages() { QCoreApplication::processEvents(); }
void TForm102::information(const QString& text) {
    MessageBoxes::information(text);
}

double TForm102::txhscFromEdit4() const { return parseLenientNumber(Edit4->text(), 0.8); }

void TForm102::CheckBox1Click() {
    if (!CheckBox1->isChecked()) return;
    Grid.setCol(1);
    StringGrid1Click();
}

void TForm102::CheckBox4Click() {
    if (CheckBox4->isChecked()) CheckBox5->setChecked(false);
}

void TForm102::CheckBox5Click() {
    if (CheckBox5->isChecked()) CheckBox4->setChecked(false);
}

void TForm102::Edit2Change() { Grid.setCell(1, Grid.Row(), Edit2->text()); }

void TForm102::Memo1DblClick() {
    const QString line = Memo1->textCursor().block().text();
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0) return;
    bool ok = false;
    const int row = line.left(colon).trimmed().toInt(&ok);
    if (!ok || row <= 0 || row >= Grid.RowCount()) return;
    Grid.setRow(row);
    StringGrid1Click();
}

void TForm102::StringGrid1Click() {
    const int r = Grid.Row();
    if (r <= 0) return;
    if (Grid.cell(2, r).trimmed().isEmpty() || Grid.cell(3, r).trimmed().isEmpty()) return;
    Edit2->setText(Grid.cell(1, r));
    setSwatch(Shape2, checkSjisText(Edit2->text()) ? QColor(255, 255, 0) : QColor(Qt::black));
    const RowDisplaySettings display{{TargetProgID, ZcadSleep, AcadSleep, {}}, CheckBox1->isChecked(),
                                     CheckBox2->isChecked(), LineColor, AppPaths::inExeFolder(QStringLiteral("source.png"))};
    if (const auto preview = showRowInDrawing(parseLenientNumber(Grid.cell(4, r), 0),
                                              parseLenientNumber(Grid.cell(5, r), 0), Grid.cell(7, r), display))
        Image1->setPicture(*preview);
}

void TForm102::StringGrid1FixedCellClick(int ACol, int ARow) {
    if (ARow == 0 && sortGridByHeader(Grid, ACol) && ACol == 2) addLine(averageHeightStatusLine(Grid));
}

bool TForm102::StringGrid1KeyDown(int Key, Qt::KeyboardModifiers Shift) {
    SystemClipboardText clipboard;
    GridKeyContext context{Grid, FUndoCells, sgUndoCnt, clipboard, MessageBoxes::error, [this] { StringGrid1Click(); }};
    return runGridKey(context, Key, Shift);
}

bool TForm102::Edit2KeyDown(int Key, Qt::KeyboardModifiers Shift) {
    if (!isEnterKey(Key)) return false;
    moveRowWrapping(Grid, Shift.testFlag(Qt::ShiftModifier), [this] { StringGrid1Click(); });
    return true;
}

void TForm102::Button3Click() { roundAngles(Grid, Edit1->text()); }

void TForm102::Button7Click() { roundCoordinates(Grid, Edit3->text()); }

void TForm102::Button12Click() {
    TnTextTikanForm* form = TnTextTikanForm::instance();
    if (!form) return;
    partialReplace(Grid, FUndoCells, sgUndoCnt, [form](const QString& search) { return form->ask(search); },
                   [this](const QString& line) { addLine(line); });
}

void TForm102::Button13Click() {
    Edit8->clear();
    setSwatch(Shape2, Qt::black);
    Shape2->repaint();
    const int row = findNextFlaggedRow(Grid);
    if (row < 0) return;
    const QString chars = offendingSjisChars(Grid.cell(1, row));
    if (!chars.isEmpty()) Edit8->setText(chars);
    if (Grid.Row() == row) StringGrid1Click();  // no move, so no notification
    else Grid.setRow(row);
}

TextWidthFn TForm102::gridTextWidth() const {
    const QFontMetrics fm(StringGrid1->font());
    return [fm](const QString& s) { return fm.horizontalAdvance(s); };
}

void TForm102::setTextAci(int aci) {
    TextAci = aci;
    TextColor = aciToRgb(TextAci).toQColor();
    setSwatch(Shape3, TextColor);
}

void TForm102::Button1Click(QObject* Sender) {
    Form102DxfWindow window(*this);
    try {
        TDxfInsertCommand(window).run(Sender == Button2);
    } catch (const std::exception& e) {
        MirtexApplication::showError(QString::fromUtf8(e.what()));
    }
}

void TForm102::Button9Click(QObject* Sender) {
    Form102TextRoadWindow window(*this);
    try {
        TDirectTextCommand(window, Sender == Button2).run();
    } catch (const std::exception& e) {
        MirtexApplication::showError(QString::fromUtf8(e.what()));
    }
}

void TForm102::Button15Click(QObject* Sender) {
    Form102TextRoadWindow window(*this);
    runLispRoad(window, Sender == Button2);
}

void TForm102::Button17Click() {
    Form102TextRoadWindow window(*this);
    stopTextRun(window);
}

void TForm102::Button2Click() {
    Form102CropWindow window(*this);
    TCropCommand(window, {[this] { Button1Click(Button2); }, [this] { Button9Click(Button2); }}).run();
}

void TForm102::Button5Click() {
    readResultSL(OcrResultLines, Crop, txhscFromEdit4(), false, Grid, gridTextWidth(),
                 AppPaths::exePathWith(QStringLiteral(".tsv")));
}

void TForm102::setCurrentCellWithoutShowing(int col, int row) {
    const QScopedValueRollback held(m_rowDisplayHeld, true);
    Grid.setCurrent(col, row);
}

void TForm102::Button8Click() {
    const QPoint corner = Button8->mapTo(this, QPoint(0, Button8->height()));
    PopupMenu1->popup(mapToGlobal(corner));
}

void TForm102::Button14Click() { QDesktopServices::openUrl(QUrl::fromLocalFile(AppPaths::exeFolder())); }

void TForm102::MIRTEXexe1Click() { Button14Click(); }

void TForm102::qvriselsp1Click() {
    TCompanionCommand::loadCompanionFile(TargetProgID, [](const QString& text) { MessageBoxes::information(text); });
}

void TForm102::VRISE1Click(QObject* Sender) { TCompanionCommand::startCommand(TargetProgID, Sender->objectName()); }

void TForm102::Button4Click() {
    TTargetCADForm* form = TTargetCADForm::instance();
    if (!form) return;
    if (const auto chosen = chooseTargetCad(*form, TargetProgID)) {
        setWindowTitle(kApplicationTitle + QStringLiteral(" [ ") + chosen->name + QStringLiteral(" ]"));
        TargetCadName = chosen->name;
        TargetProgID = chosen->progId;
    }
}

void TForm102::Button6Click() {
    TColorIndexForm* form = TColorIndexForm::instance();
    if (!form) return;
    if (const auto aci = chooseColorIndex(*form, LineAci, 3)) {
        LineAci = *aci;
        LineColor = aciToRgb(LineAci).toQColor();
        setSwatch(Shape1, LineColor);
    }
}

void TForm102::Button11Click() {
    TColorIndexForm* form = TColorIndexForm::instance();
    if (!form) return;
    if (sender() != Button16) {
        if (const auto aci = chooseColorIndex(*form, TextAci, 30)) setTextAci(*aci);
    } else if (const auto aci = chooseColorIndex(*form, AttnAci, 1)) {
        AttnAci = *aci;
        AttnColor = aciToRgb(AttnAci).toQColor();
        setSwatch(Shape4, AttnColor);
    }
}

void TForm102::N1Click() {
    Form102EraseWindow window(*this);
    openSourceImage(window, AppPaths::exeFolder());
}

void TForm102::OCRsource1png1Click() {
    Form102EraseWindow window(*this);
    makeEraseImage(window, AppPaths::exeFolder(), LineColor, true, QStringLiteral("LN"), LineColor);
}

void TForm102::N2OCR1Click() {
    Form102EraseWindow window(*this);
    makeEraseImage(window, AppPaths::exeFolder(), Qt::black, false, QStringLiteral("BK"), LineColor);
}

void TForm102::OCRsource2png1Click() {
    Form102EraseWindow window(*this);
    makeEraseImage(window, AppPaths::exeFolder(), Qt::white, false, QStringLiteral("WH"), LineColor);
}

bool TForm102::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == Panel1 || watched == Panel2)) {
        const QSize now = static_cast<QWidget*>(watched)->size();
        for (const Anchor& a : m_anchors) {
            if (a.w->parent() != watched) continue;
            QRect g = a.design;
            const int dx = now.width() - a.panel.width(), dy = now.height() - a.panel.height();
            if (a.stretchX) g.setWidth(std::max(0, g.width() + dx));
            if (a.right) g.moveLeft(g.left() + dx);
            if (a.stretchY) g.setHeight(std::max(0, g.height() + dy));
            else if (a.w == Memo1) g.moveTop(g.top() + dy);
            a.w->setGeometry(g);
        }
    } else if (event->type() == QEvent::KeyPress && (watched == Edit1 || watched == Edit3)) {
        // Enter runs the box's rounding command and is not typed.
        if (!isEnterKey(static_cast<QKeyEvent*>(event)->key())) return QWidget::eventFilter(watched, event);
        if (watched == Edit1) Button3Click();
        else Button7Click();
        return true;
    } else if (event->type() == QEvent::KeyPress && watched == Edit2) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (Edit2KeyDown(key->key(), key->modifiers())) return true;
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == Memo1->viewport()) {
        QMetaObject::invokeMethod(this, &TForm102::Memo1DblClick, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}
