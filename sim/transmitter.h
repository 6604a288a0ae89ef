// The unit's sending side: a frame every 1/rate seconds of engine time (or,
// from a source with timing of its own, whenever its next frame is due), put
// on the line no faster than 9600 baud carries it, each frame's bytes one
// after the other. With a time scale X the engine's clock and the line both
// run X times as fast: rate × X frames a wall second, 960 × X bytes a second
// (faster than any real line; a pseudo-terminal has no baud rate).
//
// The way a frame takes:
//   FrameClock::take()         whether a frame is due, and the engine time
//                              it covers
//   FrameSource::nextFrame()   the frame as the unit means it
//   FrameCounter::stamp()      its number, when frames are numbered (--counter)
//   FaultShaper::shape()       the steps that put it on the line, with the
//                              faults waiting for it (garbage, cuts, holds,
//                              gaps, the cable pulled part way)
//   runStep()                  each step in turn: bytes at the line's pace,
//                              silences, the terminal closed (PtyLink::hangUp)
#pragma once

#include "fault.h"
#include "faultshaper.h"
#include "frameclock.h"
#include "framecounter.h"
#include "wirepacer.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <optional>

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
    // Before the cable is pulled, the bytes sent up to then are left this
    // long at most for the tool to take; the rest is lost with the line.
    static constexpr double kDrainLimitMs = 250.0;
    // A frame of a source with its own timing going out this much after its
    // time is worth a note: the line cannot keep up.
    static constexpr double kLateNoteMs = 100.0;

    // framesPerSecond in engine time; the engine's clock and the line run
    // timeScale times as fast as the wall clock. faultSeed sets the garbage
    // bytes and the cut points of the faults.
    Transmitter(FrameSource *source, PtyLink *link, double framesPerSecond, double timeScale,
                quint32 faultSeed, QObject *parent);

    // Numbers every frame begun on the line from now on (FrameCounter), and
    // names the numbers in the faults' reports.
    void numberFrames() { m_counter.emplace(); }

    void start();

    // Takes a fault to carry out: replug at once (or right after an unplug
    // still waiting), the others with the next frame, or between frames for
    // a quiet spell. Each is reported on stdout once done. False, and why,
    // for unplug while the cable is out and replug while it is in.
    bool inject(const Fault &fault, QString *error);

signals:
    // The link leads to a new device after replug; frames flow again.
    void replugged();
    // A source with its own timing has no frame left, and its last one is
    // on the line.
    void framesEnded();

private:
    void tick();
    void watchReader();
    bool planNext(double nowMs);
    bool planTimed(double nowMs, double dueMs);
    QList<FaultShaper::Step> shapeNext(double periodSeconds);
    bool runStep(double nowMs);
    bool sendBytes(double nowMs);
    void replug();
    void resume(double nowMs);
    double nowMs() const;

    FrameSource *m_source = nullptr;
    PtyLink *m_link = nullptr;
    QTimer *m_timer = nullptr;
    QElapsedTimer m_clock;
    FrameClock m_frameClock;
    WirePacer m_pacer;
    FaultShaper m_shaper;
    std::optional<FrameCounter> m_counter;
    QList<FaultShaper::Step> m_steps; // what is left of putting the current frame out
    double m_silenceEndMs = -1.0;     // while a silence runs, when it ends
    qsizetype m_unreadAfterWrite = 0;
    bool m_cableOut = false;      // unplug taken (done or waiting), no replug since
    bool m_replugWaiting = false; // replug taken while its unplug still waits
    bool m_dropping = false;
    bool m_toldLate = false;
    bool m_toldWriteError = false;
    bool m_toldEnd = false;
};

} // namespace zsim
