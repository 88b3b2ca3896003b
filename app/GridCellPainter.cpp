#include "app/GridCellPainter.h"

#include <QPainter>

GridHighlightColors highlightColors(const QPalette& palette) {
    return {palette.color(QPalette::Active, QPalette::Highlight).rgba(),
            palette.color(QPalette::Active, QPalette::HighlightedText).rgba()};
}

void paintGridCell(QPainter& painter, const QRect& r, const GridCellLook& look,
                   const QString& text, const QFont& font, const QPalette& palette) {
    painter.save();
    painter.setClipRect(r);
    painter.fillRect(r, QColor::fromRgba(look.background));
    if (look.fixedEdge) {
        painter.setPen(palette.color(QPalette::Light));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(palette.color(QPalette::Dark));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(look.text));
    painter.drawText(r, int(look.alignment) | Qt::TextSingleLine, text);
    if (look.focusFrame) {
        painter.setPen(QPen(QColor::fromRgba(look.text), 1, Qt::DotLine));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}
