#include "imaging/ColorIndexUnit.h"

#include "app/MessageBoxes.h"
#include "imaging/ColorPalette.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {
TColorIndexForm* g_instance = nullptr;

const QString kCaption = QStringLiteral("■ ColorIndex");

// The palette picture with the form's mouse handlers.
class PaletteImage : public QWidget {
public:
    PaletteImage(TColorIndexForm* form, const QImage& picture) : QWidget(form), m_form(form), m_picture(picture) {
        setObjectName(QStringLiteral("Image1"));
        setMouseTracking(true);
        setFixedSize(picture.size());
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_picture); }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint p = e->position().toPoint();
        m_form->Image1MouseMove(p.x(), p.y());
    }
    void mousePressEvent(QMouseEvent* e) override {
        const QPoint p = e->position().toPoint();
        m_form->Image1MouseDown(p.x(), p.y());
    }

private:
    TColorIndexForm* m_form;
    QImage m_picture;
};

double screenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() / 96.0 : 1.0;
}
}

void TShape::setColors(const QColor& brush, const QColor& pen) {
    brushColor = brush;
    penColor = pen;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(penColor, 0));
    p.setBrush(brushColor);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TColorIndexForm::TColorIndexForm(QWidget* parent, double scale)
    : QDialog(parent), m_scale(scale > 0 ? scale : screenScale()) {
    g_instance = this;
    setObjectName(QStringLiteral("ColorIndexForm"));
    setWindowTitle(kCaption);
    setFont(QFont(QStringLiteral("Tahoma")));
    const auto s = [this](int v) { return AciPalette::roundHalfEven(v * m_scale); };
    const auto scaled = [s](int l, int t, int w, int h) { return QRect(s(l), s(t), s(w), s(h)); };

    const QImage picture = AciPalette::paint(m_scale, palette().color(QPalette::Window));
    Image1 = new PaletteImage(this, picture);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(scaled(164, 174, 123, 22));
    Shape1 = new TShape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(scaled(164, 194, 123, 19));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(scaled(293, 174, 75, 39));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(picture.width() + s(13), s(225));
}

TColorIndexForm::~TColorIndexForm() {
    if (g_instance == this) g_instance = nullptr;
}

TColorIndexForm* TColorIndexForm::instance() { return g_instance; }

void TColorIndexForm::Image1MouseMove(int x, int y) {
    if (x == mvx && y == mvy) return;
    const int n = AciPalette::aciAtPoint(x, y, m_scale);
    setWindowTitle(n ? kCaption + QStringLiteral(" =") + aciChoiceText(n) : kCaption);
    mvx = x;
    mvy = y;
}

void TColorIndexForm::Image1MouseDown(int x, int y) {
    const int n = AciPalette::aciAtPoint(x, y, m_scale);
    if (!n) return;
    Shape1->setColors(aciToRgb(n).toQColor(), Shape1->penColor);
    Edit1->setText(aciChoiceText(n));
}

void TColorIndexForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

std::optional<int> chooseColorIndex(TColorIndexForm& form, int current, int fallback) {
    // Kept above the stay-on-top main window, whose own state stays as it is.
    MessageBoxes::keepAboveMainWindow(&form);
    const Rgb rgb = aciToRgb(current);
    form.Edit1->setText(aciChoiceText(current));
    form.Shape1->setColors(rgb.toQColor(), contrastColor(rgb).toQColor());
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return parseAciChoice(form.Edit1->text(), fallback);
}
