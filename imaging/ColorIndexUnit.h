#pragma once
// The ACI palette dialog: the 24 x 12 palette, the choice text and a swatch of
// the chosen colour. The main window's three colour buttons open it through
// chooseColorIndex.
#include <QDialog>
#include <QImage>
#include <optional>

class QLineEdit;
class QPushButton;

// A rectangle filled in one colour and outlined in another.
class TShape : public QWidget {
public:
    explicit TShape(QWidget* parent = nullptr) : QWidget(parent) {}
    QColor brushColor = Qt::white, penColor = Qt::black;
    void setColors(const QColor& brush, const QColor& pen);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TColorIndexForm : public QDialog {
public:
    // scale: the display scale factor; 0 takes the screen's (1.0 at 96 dots per inch).
    explicit TColorIndexForm(QWidget* parent = nullptr, double scale = 0);
    ~TColorIndexForm() override;
    // The dialog created at start-up, null when there is none.
    static TColorIndexForm* instance();

    double scale() const { return m_scale; }
    int mvx = 0, mvy = 0;  // the last mouse position seen over the palette
    QWidget* Image1;
    QLineEdit* Edit1;
    TShape* Shape1;
    QPushButton* Button1;

    void Image1MouseMove(int x, int y);
    void Image1MouseDown(int x, int y);

protected:
    void showEvent(QShowEvent* event) override;

private:
    double m_scale;
};

// Shows the dialog for a colour setting of the number current and returns the
// new number when it was closed with OK and its text holds a "(" (the text
// before it, or fallback when that is not an integer); nothing otherwise.
std::optional<int> chooseColorIndex(TColorIndexForm& form, int current, int fallback);
