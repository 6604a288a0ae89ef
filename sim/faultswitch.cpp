#include "faultswitch.h"

#include "console.h"
#include "transmitter.h"

#include <QTimer>

#include <cmath>

namespace zsim {

FaultSwitch::FaultSwitch(Transmitter *transmitter, FaultSchedule schedule, QObject *parent)
    : QObject(parent), m_transmitter(transmitter), m_schedule(std::move(schedule)),
      m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &FaultSwitch::takeDue);
}

void FaultSwitch::start()
{
    m_clock.start();
    takeDue();
}

void FaultSwitch::take(const Fault &fault)
{
    QString error;
    if (!m_transmitter->inject(fault, &error))
        printLine(QStringLiteral("error ") + error);
}

void FaultSwitch::takeDue()
{
    const double nowMs = double(m_clock.nsecsElapsed()) / 1e6;
    for (const Fault &fault : m_schedule.takeDue(nowMs))
        take(fault);
    if (!m_schedule.isEmpty())
        m_timer->start(int(std::ceil(std::max(0.0, m_schedule.nextAtMs() - nowMs))));
}

} // namespace zsim
