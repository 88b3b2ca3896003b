#include "results/nTextTikanUnit.h"

#include "app/MessageBoxes.h"
#include "results/GridKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

const QSize TnTextTikanForm::DesignClientSize(287, 113);

namespace {
template <class W>
W* make(QWidget* parent, const char* name, const QString& text, QPoint at, QSize size = {}) {
    auto* w = new W(text, parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(QRect(at, size.isValid() ? size : w->sizeHint()));
    return w;
}

TnTextTikanForm* g_instance = nullptr;
}

TnTextTikanForm::TnTextTikanForm(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("nTextTikanForm"));
    setWindowTitle(QStringLiteral("部分一致文字列置換"));
    setFixedSize(DesignClientSize);
    QFont boxFont(QStringLiteral("Tahoma"));
    boxFont.setPixelSize(13);
    boxFont.setBold(true);
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("検索文字列"), {8, 13});
    Edit1 = make<QLineEdit>(this, "Edit1", QString(), {74, 8}, {207, 24});
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("置換文字列"), {8, 42});
    Edit2 = make<QLineEdit>(this, "Edit2", QString(), {74, 38}, {207, 24});
    Button1 = make<QPushButton>(this, "Button1", QStringLiteral("実行"), {68, 72});
    Button2 = make<QPushButton>(this, "Button2", QStringLiteral("取り消し"), {148, 72});
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setFont(boxFont);
        e->installEventFilter(this);
    }
    // Enter belongs to the boxes (see Edit1KeyPress, Edit2KeyPress), never to a default button.
    for (QPushButton* b : {Button1, Button2}) b->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    g_instance = this;
}

TnTextTikanForm::~TnTextTikanForm() {
    if (g_instance == this) g_instance = nullptr;
}

TnTextTikanForm* TnTextTikanForm::instance() { return g_instance; }

std::optional<ReplaceRequest> TnTextTikanForm::ask(const QString& searchText) {
    Edit1->setText(searchText);
    MessageBoxes::keepAboveMainWindow(this);
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);
    Edit1->setFocus();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return ReplaceRequest{Edit1->text(), Edit2->text()};
}

bool TnTextTikanForm::Edit1KeyPress(int key) {
    if (!isEnterKey(key)) return false;
    Edit2->setFocus();
    return true;
}

bool TnTextTikanForm::Edit2KeyPress(int key) {
    if (!isEnterKey(key)) return false;
    accept();
    return true;
}

bool TnTextTikanForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == Edit1 && Edit1KeyPress(key)) return true;
        if (watched == Edit2 && Edit2KeyPress(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TnTextTikanForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
