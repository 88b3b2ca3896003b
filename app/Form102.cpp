#include "Form102.h"

#include "AppPaths.h"
#include "IniFile.h"
#include "Settings.h"
#include "imaging/Aci.h"
#include "results/CellNumbers.h"
#include "results/CharChecks.h"
#include "results/ResultExport.h"
#include "results/ResultReader.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace {
const QString kTitle = QStringLiteral("MIRTEX Ver.1.14a (2026/03/02)");

// Shows the grid model in the view; row 0 and column 0 are ordinary cells here.
class GridAdapter : public QAbstractTableModel {
public:
    explicit GridAdapter(TGridModel& g, QObject* parent) : QAbstractTableModel(parent), m_g(g) {}
    int rowCount(const QModelIndex&) const override { return m_g.RowCount(); }
    int columnCount(const QModelIndex&) const override { return m_g.ColCount(); }
    QVariant data(const QModelIndex& i, int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return m_g.cell(i.column(), i.row());
        if (role == Qt::TextAlignmentRole) {
            if (i.row() == 0) return int(Qt::AlignCenter);
            return int((i.column() == 1 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        }
        if (role == Qt::BackgroundRole) return QColor(Qt::black);
        if (role == Qt::ForegroundRole) return QColor(Qt::white);
        return {};
    }
    bool setData(const QModelIndex& i, const QVariant& v, int role) override {
        if (role != Qt::EditRole) return false;
        m_g.setCell(i.column(), i.row(), v.toString());
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (i.row() > 0 && i.column() > 0) f |= Qt::ItemIsEditable;
        return f;
    }
    void refresh() { beginResetModel(); endResetModel(); }
    void cellChanged(int c, int r) { emit dataChanged(index(r, c), index(r, c)); }

private:
    TGridModel& m_g;
};

template <class W>
W* place(QWidget* parent, W* w, int x, int y, int width, int height, const QString& hint = {}) {
    w->setParent(parent);
    w->setGeometry(x, y, width, height);
    if (!hint.isEmpty()) w->setToolTip(hint);
    return w;
}
QPushButton* button(QWidget* p, const QString& text, int x, int y, int w, int h, const QString& hint) {
    return place(p, new QPushButton(text), x, y, w, h, hint);
}
QCheckBox* check(QWidget* p, const QString& text, int x, int y, int w, const QString& hint) {
    return place(p, new QCheckBox(text), x, y, w, 17, hint);
}
QLineEdit* edit(QWidget* p, const QString& text, int x, int y, int w, int h, const QString& hint,
                Qt::Alignment a = Qt::AlignLeft) {
    auto* e = place(p, new QLineEdit(text), x, y, w, h, hint);
    e->setAlignment(a | Qt::AlignVCenter);
    return e;
}
QFrame* shape(QWidget* p, int x, int y, int w, int h, const QString& hint = {}) {
    auto* s = place(p, new QFrame, x, y, w, h, hint);
    s->setAutoFillBackground(true);
    return s;
}
QAction* item(QMenu* m, const char* name, const QString& caption) {
    QAction* a = caption == "-" ? m->addSeparator() : m->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}
}

TForm102::TForm102(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), Grid(5, 5) {
    setObjectName("Form102");
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
    resize(596, 425);
    buildControls();
    FormCreate();
}

TForm102::~TForm102() { FormDestroy(); }

void TForm102::buildControls() {
    Panel2 = place(this, new QFrame, 0, 0, 596, 182);
    Splitter1 = place(this, new QFrame, 0, 182, 596, 7);
    Splitter1->setCursor(Qt::SizeVerCursor);
    Panel1 = place(this, new QFrame, 0, 189, 596, 236);
    QWidget* t = Panel2;
    Button2 = button(t, "切り取り", 4, 1, 63, 43, "CAD 上で切り取り範囲を左上、右下の順で２点を指示");
    CheckBox4 = check(t, "即、TEXT 挿入", 73, 4, 97, "切り取り後、即座に DXF ファイルで TEXT を挿入");
    CheckBox5 = check(t, "即、TEXT 作成", 73, 23, 97, "切り取り後、即座に TEXT を作成");
    CheckBox5->setChecked(true);  // design state; the settings decide
    CheckBox3 = check(t, "二値化", 172, 4, 56, "切り取り時に画像を二値化（GRID はオフにしてください）");
    CheckBox7 = check(t, "作成文字高=", 172, 23, 85, "画像に関係なく、作成 TEXT の高さを入力");
    Edit6 = edit(t, "2.5", 259, 22, 56, 21, "作成する TEXT の文字高さ固定値", Qt::AlignRight);
    Button6 = button(t, "文字枠色=", 230, 0, 70, 21, "画像表示の文字枠色");
    Shape1 = shape(t, 302, 4, 17, 15);
    Button11 = button(t, "文字画層色=", 322, 0, 76, 21, "作成画層 MIRTEX の色");
    Shape3 = shape(t, 400, 4, 17, 15);
    Button16 = button(t, "注意文字色=", 319, 21, 79, 21, "誤認識の可能性がある文字列の色");
    Shape4 = shape(t, 400, 25, 17, 15);
    Edit7 = edit(t, "", 423, 1, 107, 20, "CAD 上の切り取り幅、高さ");
    Button8 = button(t, "画像確認", 419, 21, 56, 21, "画像を確認");
    Button14 = button(t, "フォルダ", 477, 21, 54, 21, "EXE のフォルダを表示");
    Label2 = place(t, new QLabel("注意文字="), 533, 27, 60, 13);
    Edit9 = edit(t, "?", 595, 24, 25, 21, "注意文字");
    QFont bold = Edit9->font();
    bold.setBold(true);
    Edit9->setFont(bold);
    Edit9->setFocusPolicy(Qt::ClickFocus);
    Button4 = button(t, "CAD", 532, 2, 62, 41, "ターゲット CAD を変更");
    Image1 = place(t, new QLabel, 0, 46, 596, 136);
    Image1->setAlignment(Qt::AlignCenter);

    QWidget* b = Panel1;
    Shape2 = shape(b, 3, 6, 35, 12, "CAD 上に表示できない文字があるときは黄色");
    Button13 = button(b, "▼", 3, 22, 35, 19, "CAD 上で表示できない文字を含む行を探す");
    QFont big = font();
    big.setPixelSize(19);
    Edit8 = edit(b, "", 44, 6, 54, 29, "CAD 上で表示できない可能性のある文字");
    Edit8->setReadOnly(true);
    Edit8->setFocusPolicy(Qt::NoFocus);
    Edit8->setFont(big);
    Edit2 = edit(b, "", 102, 5, 472, 29, "OCR 文字編集", Qt::AlignHCenter);
    Edit2->setFont(big);
    Image2 = place(b, new QLabel("▶"), 580, 10, 13, 15);
    Image2->setStyleSheet("color: #00c000");
    Button1 = button(b, "TEXT 挿入", 9, 42, 80, 23, "文字幅 0.5 ～ 1.0 で、CAD 上に TEXT を DXF ファイルで一括挿入");
    CheckBox1 = check(b, "中央", 94, 45, 50, "文字基点を画面中央に表示");
    CheckBox2 = check(b, "矢印", 94, 65, 50, "三角矢印を描画");
    Button9 = button(b, "TEXT 作成", 7, 67, 82, 23, "文字幅自動で、CAD 上に TEXT を１つずつ作成");
    Button3 = button(b, "角度丸め =", 147, 45, 68, 21, "文字角度を丸め");
    Edit1 = edit(b, "5.0", 218, 45, 43, 21, "丸め角度", Qt::AlignRight);
    Button7 = button(b, "座標丸め =", 147, 68, 68, 21, "X, Y 座標値を丸め");
    Edit3 = edit(b, "0.5", 218, 68, 43, 21, "座標丸め", Qt::AlignRight);
    Label1 = place(b, new QLabel("画像文字高係数="), 265, 49, 95, 13);
    Edit4 = edit(b, "0.9", 363, 45, 48, 21, "OCR 画像の文字高さ係数", Qt::AlignRight);
    CheckBox6 = check(b, "作成文字高=", 270, 69, 90, "画像に関係なく、TEXT の高さを入力");
    Edit5 = edit(b, "2.5", 363, 69, 48, 21, "作成する TEXT の文字高さの固定値", Qt::AlignRight);
    Button5 = button(b, "再読み込み", 415, 42, 75, 25, "OCR 結果のファイルを再読み込み");
    Button12 = button(b, "文字列置換", 415, 68, 75, 23, "部分一致で文字列を置換");
    Button17 = button(b, "作成を中止", 495, 42, 75, 25, "TEXT の作成を中止");
    Button17->setEnabled(false);
    CheckBox8 = check(b, "LISP で作成", 492, 69, 90, "");
    Button15 = button(b, "LISP で作成", 571, 64, 75, 25, "");
    Button15->setVisible(false);
    StringGrid1 = place(b, new QTableView, 4, 92, 588, 88, "項目名クリックでソート、マウス右クリックでポップアップメニュー");
    Memo1 = place(b, new QPlainTextEdit, 3, 184, 590, 49);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (auto* e : {Edit1, Edit3, Edit4, Edit5, Edit6, Edit9}) e->setAttribute(Qt::WA_InputMethodEnabled, false);

    auto* adapter = new GridAdapter(Grid, this);
    StringGrid1->setModel(adapter);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(TGridModel::DefaultRowHeight);
    QFont gf(QStringLiteral("ＭＳ ゴシック"));
    gf.setPixelSize(13);
    StringGrid1->setFont(gf);
    TGridModel::Listener l;
    l.cellChanged = [adapter](int c, int r) { adapter->cellChanged(c, r); };
    l.layoutChanged = [this, adapter] {
        adapter->refresh();
        for (int c = 0; c < Grid.ColCount(); ++c) StringGrid1->setColumnWidth(c, Grid.colWidth(c));
    };
    l.currentChanged = [this] { StringGrid1Click(); };
    Grid.setListener(l);
    connect(StringGrid1, &QTableView::clicked, this, [this](const QModelIndex& i) {
        if (i.row() < 1 || i.column() < 1) return;
        if (i.row() == Grid.Row() && i.column() == Grid.Col()) StringGrid1Click();
        else Grid.setCurrent(i.column(), i.row());
    });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    item(PopupMenu1, "N1", "■  CAD からの切り取り画像 (source.png) ");
    item(PopupMenu1, "N3", "-");
    item(PopupMenu1, "OCRsource1png1", "■ OCR 後の字消し画像 (resultLN.png) : 文字枠色でライン描画");
    item(PopupMenu1, "N2", "-");
    item(PopupMenu1, "N2OCR1", "■ OCR 後の字消し画像 (resultBK.png) : 黒色で塗りつぶし");
    item(PopupMenu1, "OCRsource2png1", "■ OCR 後の字消し画像 (resultWH.png) : 白色で塗りつぶし");
    item(PopupMenu1, "N6", "-");
    connect(item(PopupMenu1, "MIRTEXexe1", "■ エクスプローラーで MIRTEX.exe のフォルダを開く"),
            &QAction::triggered, this, &TForm102::MIRTEXexe1Click);
    item(PopupMenu1, "N5", "-");
    item(PopupMenu1, "N4", "取り消し（メニューを閉じる）");
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    item(PopupMenu2, "qvriselsp1", "QVRISE.lsp をロード");
    item(PopupMenu2, "N7", "-");
    item(PopupMenu2, "VRISE1", "■ QVRISE（全体の文字幅はほぼそのままで、文字高さを変更）");
    item(PopupMenu2, "VSWEEP1", "■ QVSWEEP（背景の文字っぽいポリラインを削除）");
    item(PopupMenu2, "VRULE1", "■ QVRULE（ほぼ同じ文字高さの点在した TEXT から罫線を作成）");
    item(PopupMenu2, "VSPAN1", "■ QVSPAN（罫線の幅、高さを変更）");
    item(PopupMenu2, "VALIGN1", "■ QVALIGN（罫線（格子）内の文字位置を変更、整列）");
    item(PopupMenu2, "N8", "-");
    item(PopupMenu2, "VCOPY1", "■ QVCOPY（点在した TEXT の文字列をクリップボードにコピー）");
    item(PopupMenu2, "VDROP1", "■ QVDROP（クリップボードの複数の文字列を CAD に作成）");
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu2->popup(StringGrid1->viewport()->mapToGlobal(p)); });

    const char* names[] = {"Panel1", "Panel2", "Splitter1"};
    QWidget* ws[] = {Panel1, Panel2, Splitter1};
    for (int i = 0; i < 3; ++i) ws[i]->setObjectName(names[i]);

    connect(CheckBox1, &QCheckBox::toggled, this, &TForm102::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm102::CheckBox1Click);
    connect(CheckBox4, &QCheckBox::toggled, this, &TForm102::CheckBox4Click);
    connect(CheckBox5, &QCheckBox::toggled, this, &TForm102::CheckBox5Click);
    connect(Button8, &QPushButton::clicked, this, &TForm102::Button8Click);
    connect(Button14, &QPushButton::clicked, this, &TForm102::Button14Click);
    connect(Button13, &QPushButton::clicked, this, &TForm102::Button13Click);
    connect(Button5, &QPushButton::clicked, this, &TForm102::Button5Click);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm102::Edit2Change);
}

void TForm102::setSwatch(QFrame* s, QColor c) {
    QPalette p = s->palette();
    p.setColor(QPalette::Window, c);
    s->setPalette(p);
}

void TForm102::FormCreate() {
    Edit7->clear();
    TargetProgID = QStringLiteral("BricscadApp.AcadApplication");
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const SettingsValues v = readSettings(IniFile(AppPaths::exePathWith(".ini")),
                                          {screen, size(), TargetProgID, Edit9->text()});
    move(v.Left, v.Top);
    resize(qBound(1, v.Width, 16384), qBound(1, v.Height, 16384));
    TargetProgID = v.ProgID;
    TargetCadName = v.Name;
    CheckBox1->setChecked(v.Center);
    CheckBox2->setChecked(v.Arrow);
    Edit1->setText(v.DegStep);
    Edit3->setText(v.XYStep);
    LineAci = v.LineAci;
    LineColor = aciToRgb(LineAci).toQColor();
    setSwatch(Shape1, LineColor);
    TextAci = v.TextAci;
    TextColor = aciToRgb(TextAci).toQColor();
    setSwatch(Shape3, TextColor);
    AttnAci = v.AttnAci;
    AttnColor = aciToRgb(AttnAci).toQColor();
    setSwatch(Shape4, AttnColor);
    ZcadSleep = v.ZcadSleep;
    AcadSleep = v.AcadSleep;
    Edit4->setText(v.HScale);
    CheckBox4->setChecked(v.AutoDraw);
    CheckBox5->setChecked(v.AutoDxf);
    CheckBox6->setChecked(v.Man2);
    CheckBox7->setChecked(v.Man);
    CheckBox8->setChecked(v.UseLISP);
    Edit9->setText(v.Attn);
    setWindowTitle(kTitle + " [ " + TargetCadName + " ]");
    setupResultHeader(Grid);
    Button1->setEnabled(false);
    Button9->setEnabled(false);
    Edit2->clear();
    setSwatch(Shape2, Qt::black);
    OcrResultLines.clear();
}

void TForm102::FormDestroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    OcrResultLines.clear();
    SettingsValues v;
    v.Left = x(); v.Top = y(); v.Width = width(); v.Height = height();
    v.ProgID = TargetProgID; v.Name = TargetCadName;
    v.Center = CheckBox1->isChecked(); v.Arrow = CheckBox2->isChecked();
    v.DegStep = Edit1->text(); v.XYStep = Edit3->text();
    v.LineAci = LineAci; v.TextAci = TextAci; v.AttnAci = AttnAci;
    v.ZcadSleep = ZcadSleep; v.AcadSleep = AcadSleep;
    v.HScale = Edit4->text();
    v.AutoDraw = CheckBox4->isChecked(); v.AutoDxf = CheckBox5->isChecked();
    v.Man2 = CheckBox6->isChecked(); v.Man = CheckBox7->isChecked(); v.UseLISP = CheckBox8->isChecked();
    v.Attn = Edit9->text();
    IniFile ini(AppPaths::exePathWith(".ini"));
    writeSettings(ini, v);
    ini.save();  // like the platform's INI service, a failed write is not reported
}

void TForm102::addLine(const QString& line) { Memo1->appendPlainText(line); }
void TForm102::clear() { Memo1->clear(); }
void TForm102::processMessages() { QCoreApplication::processEvents(); }
void TForm102::information(const QString& text) { QMessageBox::information(nullptr, kTitle, text); }

void TForm102::CheckBox1Click() {
    if (!CheckBox1->isChecked()) return;
    if (Grid.Col() != 1) Grid.setCol(1);  // the move shows the row
    else StringGrid1Click();
}
void TForm102::CheckBox4Click() { if (CheckBox4->isChecked()) CheckBox5->setChecked(false); }
void TForm102::CheckBox5Click() { if (CheckBox5->isChecked()) CheckBox4->setChecked(false); }
void TForm102::Button8Click() { PopupMenu1->popup(Button8->mapToGlobal(QPoint(0, Button8->height()))); }
void TForm102::Button14Click() { QDesktopServices::openUrl(QUrl::fromLocalFile(AppPaths::exeFolder())); }
void TForm102::MIRTEXexe1Click() { Button14Click(); }
void TForm102::Edit2Change() { Grid.setCell(1, Grid.Row(), Edit2->text()); }

void TForm102::StringGrid1Click() {
    const int r = Grid.Row();
    if (r <= 0) return;
    if (trimControls(Grid.cell(2, r)).isEmpty() || trimControls(Grid.cell(3, r)).isEmpty()) return;
    Edit2->setText(Grid.cell(1, r));
    setSwatch(Shape2, checkSjisText(Edit2->text()) ? QColor(255, 255, 0) : QColor(Qt::black));
}

void TForm102::Button13Click() {
    Edit8->clear();
    setSwatch(Shape2, Qt::black);
    Shape2->repaint();
    const int row = findNextFlaggedRow(Grid);
    if (row <= 0) return;
    const QString chars = offendingSjisChars(Grid.cell(1, row));
    if (!chars.isEmpty()) Edit8->setText(chars);
    if (row != Grid.Row()) Grid.setRow(row);
    else StringGrid1Click();
}

double TForm102::txhscFromEdit4() const { return parseLenientNumber(Edit4->text(), 0.8); }

int TForm102::readResultSL(double txhsc, bool degFix) {
    const QFontMetrics fm(StringGrid1->font());
    const int n = ::readResultSL(OcrResultLines, Crop, txhsc, degFix, Grid,
                                 [fm](const QString& s) { return fm.horizontalAdvance(s); });
    if (n > 0) writeResultExport(AppPaths::exePathWith(".tsv"), Crop, Grid);
    return n;
}

void TForm102::Button5Click() {
    try {
        readResultSL(txhscFromEdit4(), false);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, kTitle, QString::fromUtf8(e.what()));
    }
}
