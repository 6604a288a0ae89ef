// Painting of large areas in bands of a few dozen lines.
//
// Qt's raster engine hands a blit or fill of more than about 96 lines to its
// GUI thread pool in segments and waits for them. For the areas this window
// repaints (a label, the chart, an animation frame: at most a few hundred
// pixels wide) waking the pool's threads costs far more than the copy itself,
// and it wakes them several times a second. Painted in bands, the same work
// stays on the user-interface thread.
#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class QPixmap;

namespace banded {

// Lines per band: below the engine's threshold with a margin.
inline constexpr int kLines = 64;

// Draws the part of pixmap under target (both in device-independent pixels;
// the pixmap may have any device pixel ratio) at target.
void drawPixmap(QPainter &painter, const QRect &target, const QPixmap &pixmap,
                const QPoint &sourceTopLeft);

void fillRect(QPainter &painter, const QRect &target, const QColor &color);

} // namespace banded
