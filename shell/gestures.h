// Synthesised input, delivered through Qt's event path as real input would be.
#pragma once

#include <QPointF>
#include <QString>

class QWidget;

namespace gestures {

void click(QWidget *target);
void doubleClick(QWidget *target);
// Pointer movement to a point of the target (pixels, fractions kept) with the
// buttons held; it goes to the visible widget under that point.
void move(QWidget *target, QPointF at, Qt::MouseButtons buttons);
// A turn of the mouse wheel at a point of the window (pixels): angleDelta
// in Qt's sense (120 a notch, positive away from the user); it goes to the
// visible widget under that point.
void wheel(QWidget *window, QPointF at, int angleDelta);
// A key press and release; code is a Windows virtual-key code. False when the
// code is not one the tool knows.
bool key(QWidget *target, int code);
void typeText(QWidget *target, const QString &text);

} // namespace gestures
