#include "skintextbox.h"

#include <QKeyEvent>

SkinTextBox::SkinTextBox(QWidget *parent) : QLineEdit(parent) { setFrame(true); }

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
