#include "app/TaregetCADUnit.h"

#include "app/AppPaths.h"
#include "app/MessageBoxes.h"
#include "output/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QToolButton>
#include <algorithm>
#include <stdexcept>

namespace {
TTargetCADForm* g_instance = nullptr;

const QString kListFile = QStringLiteral("TargetCAD_APIVersion.txt");

struct Bom {
    ListFileEncoding encoding;
    QByteArray mark;
    QStringConverter::Encoding codec;
};
const Bom kBoms[] = {
    {ListFileEncoding::Utf8Bom, QByteArray("\xEF\xBB\xBF"), QStringConverter::Utf8},
    {ListFileEncoding::Utf16LeBom, QByteArray("\xFF\xFE"), QStringConverter::Utf16LE},
    {ListFileEncoding::Utf16BeBom, QByteArray("\xFE\xFF"), QStringConverter::Utf16BE},
};

bool sortsBefore(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; }
}

ListFileText decodeListFile(const QByteArray& bytes) {
    ListFileText out;
    QString text;
    const auto bom = std::find_if(std::begin(kBoms), std::end(kBoms), [&](const Bom& b) { return bytes.startsWith(b.mark); });
    if (bom != std::end(kBoms)) {
        out.encoding = bom->encoding;
        QStringDecoder decode(bom->codec, QStringConverter::Flag::Stateless);
        text = decode(bytes.mid(bom->mark.size()));
    } else {
        text = fromCp932(bytes);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (text.isEmpty()) return out;
    if (text.endsWith(u'\n')) text.chop(1);
    out.lines = text.split(u'\n');
    return out;
}

QByteArray encodeListFile(const QStringList& lines, ListFileEncoding encoding) {
    QString text;
    for (const QString& line : lines) text += line + QStringLiteral("\r\n");
    if (encoding == ListFileEncoding::Cp932) return toCp932(text);
    const Bom& bom = *std::find_if(std::begin(kBoms), std::end(kBoms), [&](const Bom& b) { return b.encoding == encoding; });
    QStringEncoder encode(bom.codec, QStringConverter::Flag::Stateless);
    return bom.mark + QByteArray(encode(text));
}

QString targetCadRow(const QString& name, const QString& progId) { return name + u'\t' + progId; }

std::pair<QString, QString> splitTargetCadRow(const QString& row) {
    const qsizetype tab = row.indexOf(u'\t');
    if (tab < 0) return {QString(), row};
    return {row.left(tab), row.mid(tab + 1)};
}

void TTargetCadList::show(const QString& preselection) {
    QFile file(m_path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error((m_path + QStringLiteral(" を読めません: ") + file.errorString()).toStdString());
        ListFileText text = decodeListFile(file.readAll());
        rows = std::move(text.lines);
        std::stable_sort(rows.begin(), rows.end(), sortsBefore);
        encoding = text.encoding;
        selected = -1;
    } else {
        encoding = ListFileEncoding::Cp932;  // the file the next change creates
    }
    const QString key = u'\t' + preselection;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].contains(key)) {
            select(i);
            break;
        }
    }
}

void TTargetCadList::select(int row) {
    if (row < 0 || row >= rows.size()) return;
    selected = row;
    std::tie(name, progId) = splitTargetCadRow(rows[row]);
}

void TTargetCadList::add() {
    const QString row = targetCadRow(name, progId);
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row, sortsBefore), row);
    select(int(rows.indexOf(row)));
    save();
}

void TTargetCadList::remove() {
    if (selected < 0 || selected >= rows.size()) return;
    const int i = selected;
    rows.removeAt(i);
    name.clear();
    progId.clear();
    selected = -1;
    if (i < rows.size()) select(i);
    else if (i - 1 >= 0) select(i - 1);
    save();
}

void TTargetCadList::change() {
    if (selected < 0 || selected >= rows.size()) return;
    rows[selected] = targetCadRow(name, progId);
    save();
}

void TTargetCadList::save() const {
    const QByteArray bytes = encodeListFile(rows, encoding);
    QSaveFile file(m_path);
    if (!(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()))
        throw std::runtime_error((m_path + QStringLiteral(" に書き込めません: ") + file.errorString()).toStdString());
}

TTargetCADForm::TTargetCADForm(QWidget* parent)
    : QDialog(parent), m_list(AppPaths::inExeFolder(kListFile)) {
    g_instance = this;
    setObjectName(QStringLiteral("TargetCADForm"));
    setWindowTitle(QStringLiteral("ターゲット CAD"));
    setFont(QFont(QStringLiteral("Tahoma")));
    setFixedSize(315, 307);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(9, 8, 297, 137);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(9, 151, 297, 112);
    const auto label = [this](const char* name, const QString& text, int top) {
        auto* l = new QLabel(text, GroupBox1);
        l->setObjectName(QString::fromLatin1(name));
        l->move(8, top);
        return l;
    };
    const auto edit = [this](const char* name, int top) {
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(8, top, 218, 22);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->installEventFilter(this);
        return e;
    };
    const auto speedButton = [this](const char* name, const QString& text, int top) {
        auto* b = new QToolButton(GroupBox1);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setAutoRaise(true);  // flat
        b->setGeometry(232, top, 57, 22);
        return b;
    };
    Label1 = label("Label1", QStringLiteral("名称 （説明）"), 12);
    Edit1 = edit("Edit1", 30);
    SpeedButton1 = speedButton("SpeedButton1", QStringLiteral("追加"), 30);
    SpeedButton2 = speedButton("SpeedButton2", QStringLiteral("削除"), 56);
    Label2 = label("Label2", QStringLiteral("ProgID （クラス文字列）"), 64);
    Edit2 = edit("Edit2", 82);
    SpeedButton3 = speedButton("SpeedButton3", QStringLiteral("変更"), 82);
    const auto button = [this](const char* name, const QString& text, int left) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 272, 80, 27);
        b->setAutoDefault(false);  // Enter in the edit boxes means "変更"
        return b;
    };
    Button1 = button("Button1", QStringLiteral("OK"), 145);
    Button2 = button("Button2", QStringLiteral("取り消し"), 226);

    // A click, also on the selected row, and a move with the keys.
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TTargetCADForm::~TTargetCADForm() {
    if (g_instance == this) g_instance = nullptr;
}

TTargetCADForm* TTargetCADForm::instance() { return g_instance; }

template <class Op>
void TTargetCADForm::apply(Op op) {
    m_list.name = Edit1->text();
    m_list.progId = Edit2->text();
    try {
        op();
    } catch (const std::exception& e) {
        showList();  // the list keeps the change that could not be written
        MessageBoxes::error(QString::fromUtf8(e.what()));
        return;
    }
    showList();
}

void TTargetCADForm::showList() {
    QSignalBlocker quiet(ListBox1);
    QStringList shown;
    for (int i = 0; i < ListBox1->count(); ++i) shown << ListBox1->item(i)->text();
    if (shown != m_list.rows) {  // not rebuilt under a click on one of its rows
        ListBox1->clear();
        ListBox1->addItems(m_list.rows);
    }
    ListBox1->setCurrentRow(m_list.selected);
    Edit1->setText(m_list.name);
    Edit2->setText(m_list.progId);
}

void TTargetCADForm::FormShow() {
    apply([this] { m_list.show(preselection); });
}

void TTargetCADForm::ListBox1Click() {
    apply([this] { m_list.select(ListBox1->currentRow()); });
}

void TTargetCADForm::SpeedButton1Click() {
    apply([this] { m_list.add(); });
}

void TTargetCADForm::SpeedButton2Click() {
    apply([this] { m_list.remove(); });
}

void TTargetCADForm::SpeedButton3Click() {
    apply([this] { m_list.change(); });
}

void TTargetCADForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

bool TTargetCADForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == Edit1 || watched == Edit2)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SpeedButton3Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<TargetCad> chooseTargetCad(TTargetCADForm& form, const QString& progId) {
    form.preselection = progId;
    // Kept above the stay-on-top main window, whose own state stays as it is.
    MessageBoxes::keepAboveMainWindow(&form);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return TargetCad{form.Edit1->text(), form.Edit2->text()};
}
