// Carries out the faults asked for, from control lines and from the
// --fault schedule (counted from start()), and answers "error <why>" on
// stdout for those that cannot be carried out.
#pragma once

#include "fault.h"
#include "faultschedule.h"

#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace zsim {

class Transmitter;

class FaultSwitch : public QObject {
    Q_OBJECT
public:
    FaultSwitch(Transmitter *transmitter, FaultSchedule schedule, QObject *parent);

    void start();
    void take(const Fault &fault);

private:
    void takeDue();

    Transmitter *m_transmitter = nullptr;
    FaultSchedule m_schedule;
    QElapsedTimer m_clock;
    QTimer *m_timer = nullptr;
};

} // namespace zsim
