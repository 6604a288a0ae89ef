#include "skintextbox.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
// The frame's width: the text sits where it would inside the style's frame.
constexpr int kFrameWidth = 2;
const QColor kOutline(0x9A, 0x9A, 0x9A);
const QColor kInnerShadow(0, 0, 0, 28);
} // namespace

SkinTextBox::SkinTextBox(QWidget *parent) : QLineEdit(parent)
{
    // The box draws its own plain frame. The style's rounded, antialiased one
    // was a quarter of the painting of a poll cycle on the debug line alone,
    // and the debug line repaints with every frame and every blink of its
    // text cursor.
    setFrame(false);
    setTextMargins(kFrameWidth, kFrameWidth, kFrameWidth, kFrameWidth);
}

void SkinTextBox::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter p(this);
    const QRect r = rect();
    // One-pixel outline without its corner pixels, which softens the corners
    // the way a rounded frame does; the highlight colour while focused. Solid
    // rectangles, not lines: the engine rasterises a line pixel by pixel.
    const QColor outline = hasFocus() ? palette().color(QPalette::Highlight) : kOutline;
    p.fillRect(QRect(r.left() + 1, r.top(), r.width() - 2, 1), outline);
    p.fillRect(QRect(r.left() + 1, r.bottom(), r.width() - 2, 1), outline);
    p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), outline);
    p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), outline);
    p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 2, 1), kInnerShadow);
}

int SkinTextBox::virtualKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    default:
        break;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    return 0;
}

void SkinTextBox::keyPressEvent(QKeyEvent *event)
{
    const int code = virtualKeyOf(event->key());
    // The handler runs first; the box's own editing follows unless the
    // handler took the box away (a hidden box edits nothing).
    emit keyDown(code);
    if (code == 13)
        return;
    if (isVisible())
        QLineEdit::keyPressEvent(event);
}
