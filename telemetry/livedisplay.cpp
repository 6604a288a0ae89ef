#include "livedisplay.h"

#include "shell/sharedstate.h"
#include "ui/mainwindow.h"

LiveDisplay::LiveDisplay(SharedState &state, MainWindow &window, QObject *parent)
    : QObject(parent), m_state(state), m_window(window)
{
}

void LiveDisplay::show(const QByteArray &payload)
{
    Q_UNUSED(payload);
}
