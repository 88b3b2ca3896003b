#include "app/ImageControl.h"

#include <QPainter>
#include <QPolygon>

QRect fitCentred(const QSize& picture, const QSize& box) {
    if (picture.isEmpty() || box.isEmpty()) return {};
    const QSize fitted = picture.scaled(box, Qt::KeepAspectRatio);
    return QRect(QPoint((box.width() - fitted.width()) / 2, (box.height() - fitted.height()) / 2),
                 fitted);
}

QImage rightTriangleImage(const QSize& size, const QColor& colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const QPolygon tip({QPoint(0, 0), QPoint(size.width(), size.height() / 2), QPoint(0, size.height())});
    p.drawPolygon(tip);
    return image;
}

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    const QRect target = fitCentred(m_picture.size(), size());
    if (target.isEmpty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_picture);
}
