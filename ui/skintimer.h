// A timer element: enabled flag and interval; one tick per interval while enabled.
// With manual timers the element never ticks by itself: a script ticks it.
//
// A timer whose next tick would change nothing can be parked: it stays
// enabled, but raises no ticks and so never wakes the program. Unparked, it
// ticks again on the grid it had, every interval counted from when it was
// enabled, so its ticks keep their phase with the other timers.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class SkinTimer : public QObject {
    Q_OBJECT
public:
    SkinTimer(int intervalMs, bool enabled, bool manual, QObject *parent);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }

    bool isParked() const { return m_parked; }
    void setParked(bool parked);

    // Runs one tick now if the timer is enabled; returns whether it ran.
    bool tickNow();

signals:
    void ticked();

private:
    void sync();
    void armNext();
    void fire();

    QTimer m_timer{this};
    QElapsedTimer m_since; // when the timer was last enabled: the grid's origin
    int m_interval = 0;
    bool m_enabled = false;
    bool m_manual = false;
    bool m_parked = false;
};
