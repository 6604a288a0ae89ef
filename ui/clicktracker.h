// Turns a press and a release of the left button inside an element into a click.
#pragma once

class QMouseEvent;
class QWidget;

class ClickTracker {
public:
    void pressed(QMouseEvent *event);
    // Whether this release completes a click on the widget.
    bool released(QMouseEvent *event, const QWidget *widget);

private:
    bool m_pressed = false;
};
