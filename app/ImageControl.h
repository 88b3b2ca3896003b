#pragma once
// An image control: shows its picture scaled to fit, proportions kept, centred.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

// Where a picture of the given size lands in a box: as large as fits, centred.
QRect fitCentred(const QSize& picture, const QSize& box);

// A triangle pointing right that fills the image, on a transparent ground.
QImage rightTriangleImage(const QSize& size, const QColor& colour);

class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
