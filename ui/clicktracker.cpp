#include "clicktracker.h"

#include <QMouseEvent>
#include <QWidget>

void ClickTracker::pressed(QMouseEvent *event)
{
    event->accept();
    m_pressed = event->button() == Qt::LeftButton;
}

bool ClickTracker::released(QMouseEvent *event, const QWidget *widget)
{
    event->accept();
    const bool wasPressed = m_pressed;
    m_pressed = false;
    return wasPressed && event->button() == Qt::LeftButton &&
           widget->rect().contains(event->position().toPoint());
}
