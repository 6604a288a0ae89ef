// Pointer movement over the window background: reveals the temperature
// arrows over their spots, picks a row of the band table while the left
// button is held along the strip left of it, and shows the panel hints.
#pragma once

#include "pointer.h"

#include <QObject>

class MainWindow;

class HoverHints : public QObject {
    Q_OBJECT
public:
    HoverHints(MainWindow &window, QObject *parent = nullptr);

    void backgroundMoved(Qt::MouseButtons buttons, TwipsPoint at);

private:
    MainWindow &m_window;
};
