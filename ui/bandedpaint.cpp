#include "bandedpaint.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace banded {

void drawPixmap(QPainter &painter, const QRect &target, const QPixmap &pixmap,
                const QPoint &sourceTopLeft)
{
    const qreal dpr = pixmap.devicePixelRatio();
    for (int top = target.top(); top <= target.bottom(); top += kLines) {
        const QRect band(target.left(), top, target.width(),
                         std::min(kLines, target.bottom() + 1 - top));
        const QPointF from = QPointF(sourceTopLeft + (band.topLeft() - target.topLeft())) * dpr;
        painter.drawPixmap(band, pixmap, QRectF(from, QSizeF(band.size()) * dpr));
    }
}

void fillRect(QPainter &painter, const QRect &target, const QColor &color)
{
    for (int top = target.top(); top <= target.bottom(); top += kLines)
        painter.fillRect(
            QRect(target.left(), top, target.width(), std::min(kLines, target.bottom() + 1 - top)),
            color);
}

} // namespace banded
