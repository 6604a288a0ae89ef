#include "display.h"

#include "benchframes.h"

#include "ui/mainwindow.h"
#include "ui/skintimer.h"

#include <QCoreApplication>
#include <QMovie>

namespace microbench {

Display::Display()
{
    m_fixture.loadWith("\"Com-1\"\r\n");
    pauseAnimation();
    settle();
    for (int i = 0; i < 60; ++i)
        pollOnce(true);
}

MainWindow &Display::window() { return m_fixture.shell->mainWindow(); }

void Display::settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void Display::pollOnce(bool paint)
{
    for (int f = 0; f < 3; ++f)
        m_fixture.link.receive(benchframes::frame(m_frameNo++, 100));
    window().el().Timer2->tickNow();
    if (paint)
        QCoreApplication::processEvents();
}

void Display::pauseAnimation()
{
    for (QMovie *m : window().findChildren<QMovie *>())
        m->setPaused(true);
}

} // namespace microbench
