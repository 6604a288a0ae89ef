#include "gestures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <utility>

namespace gestures {
namespace {

void mouse(QWidget *w, QEvent::Type type, QPointF local, Qt::MouseButton button,
           Qt::MouseButtons buttons)
{
    const QPointF global = w->mapToGlobal(local);
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void keyPair(QWidget *w, int qtKey, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void focus(QWidget *w)
{
    w->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
}

// The visible widget of the window under a point of the window, and the
// point in its own coordinates.
std::pair<QWidget *, QPointF> under(QWidget *window, QPointF inWindow)
{
    QWidget *receiver = window->childAt(inWindow.toPoint());
    if (!receiver)
        return {window, inWindow};
    return {receiver, inWindow - QPointF(receiver->mapTo(window, QPoint(0, 0)))};
}

} // namespace

void click(QWidget *target)
{
    const QPointF centre = QRectF(target->rect()).center();
    mouse(target, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    mouse(target, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
}

void doubleClick(QWidget *target)
{
    const QPointF centre = QRectF(target->rect()).center();
    mouse(target, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    mouse(target, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
    mouse(target, QEvent::MouseButtonDblClick, centre, Qt::LeftButton, Qt::LeftButton);
    mouse(target, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
}

void move(QWidget *target, QPointF at, Qt::MouseButtons buttons)
{
    QWidget *window = target->window();
    const QPointF inWindow =
        target == window ? at : QPointF(target->mapTo(window, QPoint(0, 0))) + at;
    const auto [receiver, local] = under(window, inWindow);
    mouse(receiver, QEvent::MouseMove, local, Qt::NoButton, buttons);
}

void wheel(QWidget *window, QPointF at, int angleDelta)
{
    const auto [receiver, local] = under(window, at);
    QWheelEvent event(local, receiver->mapToGlobal(local), QPoint(), QPoint(0, angleDelta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(receiver, &event);
}

bool key(QWidget *target, int code)
{
    int qtKey = 0;
    QString text;
    switch (code) {
    case 13:
        qtKey = Qt::Key_Return;
        text = QStringLiteral("\r");
        break;
    case 8:
        qtKey = Qt::Key_Backspace;
        text = QStringLiteral("\b");
        break;
    case 46:
        qtKey = Qt::Key_Delete;
        break;
    case 35:
        qtKey = Qt::Key_End;
        break;
    case 36:
        qtKey = Qt::Key_Home;
        break;
    default:
        if (code >= 48 && code <= 57) {
            qtKey = Qt::Key_0 + (code - 48);
            text = QChar(code);
        } else if (code >= 65 && code <= 90) {
            qtKey = Qt::Key_A + (code - 65);
            text = QChar(code).toLower();
        } else {
            return false;
        }
    }
    focus(target);
    keyPair(target, qtKey, text);
    return true;
}

void typeText(QWidget *target, const QString &text)
{
    focus(target);
    if (auto *edit = qobject_cast<QLineEdit *>(target))
        edit->end(false);
    for (const QChar c : text) {
        // Qt's codes of printable ASCII keys are the characters' upper-case codes.
        int qtKey = Qt::Key_unknown;
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            qtKey = Qt::Key_Return;
        else if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            qtKey = c.toUpper().unicode();
        keyPair(target, qtKey, QString(c));
    }
}

} // namespace gestures
