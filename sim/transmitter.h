// The unit's sending side: a frame every 1/rate seconds, put on the line no
// faster than 9600 baud carries it, each frame's bytes one after the other.
//
// The way a frame takes, and where the fault switches to come attach:
//   FrameSource::nextFrame()   the frame as the unit means it
//   queueDueFrame()            frame faults: late frames, truncated frames,
//                              garbage bursts between frames
//   releaseBytes()             byte faults: gaps inside a frame
//   PtyLink                    unplug and replug: close() and open() again
#pragma once

#include "wirepacer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace zsim {

class FrameSource;
class PtyLink;

class Transmitter : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    // Like a receiver nobody services, the line keeps no more than this many
    // unread bytes (about a quarter second of it); the rest falls away, so
    // a tool that opens the port sees fresh frames and not old ones.
    static constexpr qsizetype kUnreadLimit = 256;

    Transmitter(FrameSource *source, PtyLink *link, double framesPerSecond, QObject *parent);

    void start();

private:
    void tick();
    void watchReader();
    void queueDueFrame(double nowMs);
    void releaseBytes(double nowMs);

    FrameSource *m_source = nullptr;
    PtyLink *m_link = nullptr;
    double m_rate = 10.0;
    QTimer *m_timer = nullptr;
    QElapsedTimer m_clock;
    WirePacer m_pacer;
    QByteArray m_queue;      // bytes of the current frame not yet on the line
    qint64 m_slotsTaken = 0; // frame periods used up so far
    qsizetype m_unreadAfterWrite = 0;
    bool m_dropping = false;
    bool m_toldLate = false;
    bool m_toldWriteError = false;
};

} // namespace zsim
