#include "RoundedSwatch.h"

#include <QPainter>
#include <algorithm>

TRoundedSwatch::TRoundedSwatch(QWidget* parent) : QFrame(parent) {
    // The corners outside the curve show the panel behind the swatch.
    setAutoFillBackground(false);
}

void TRoundedSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Window));
    const qreal radius = std::min(width(), height()) / 4.0;
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
}
