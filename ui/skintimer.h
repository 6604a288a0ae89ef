// A timer element: enabled flag and interval; one tick per interval while enabled.
// With manual timers the element never ticks by itself: a script ticks it.
#pragma once

#include <QObject>
#include <QTimer>

class SkinTimer : public QObject {
    Q_OBJECT
public:
    SkinTimer(int intervalMs, bool enabled, bool manual, QObject *parent);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }

    // Runs one tick now if the timer is enabled; returns whether it ran.
    bool tickNow();

signals:
    void ticked();

private:
    void sync();

    QTimer m_timer{this};
    int m_interval = 0;
    bool m_enabled = false;
    bool m_manual = false;
};
