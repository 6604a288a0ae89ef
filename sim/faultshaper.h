// Puts the waiting faults on the line: turns the next frame into the steps
// that send it, with whatever the faults do to it, and says when each fault
// has been carried out. Pure: the random bytes and cut points come from a
// seeded generator, so a seed gives the same faults every time.
//
// What one frame can carry, in this order: garbage before it, zeros in its
// payload, a cut (truncate), a hold before it (late), then either the
// cable pulled part way through it (unplug) or a silence inside it (gap).
// Of each kind the earliest waiting fault is taken; a later one of the same
// kind waits for the frames after. A quiet spell is taken between frames.
//
// When the frames are numbered (FrameCounter), each fault's report names
// the frames it touched: "fault truncate 3 frames 120-122", "fault unplug
// frame 130". A quiet spell touches none.
#pragma once

#include "fault.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <optional>

namespace zsim {

class FaultShaper {
public:
    // Bytes before the payload: A4 C0 00.
    static constexpr qsizetype kHeaderLength = 3;

    struct Step {
        enum class Kind {
            Send,    // bytes onto the line, at the line's pace
            Silence, // nothing for `ms`, counted from when the line is free
            Drain,   // wait for the tool to take the bytes sent (not for long)
            HangUp,  // close the terminal; frames stop
            Report,  // an event line on stdout
            Note,    // a note for people on stderr
            Resume,  // frames go on at the next frame time, not at once
        };
        Kind kind = Kind::Send;
        QByteArray bytes;
        double ms = 0.0;
        QString text;

        bool operator==(const Step &other) const = default;
    };

    explicit FaultShaper(quint32 seed);

    // Every fault but replug, which is no matter of the line.
    void add(const Fault &fault);
    bool hasWaiting() const { return !m_waiting.isEmpty(); }

    // Between frames: the steps of a waiting quiet spell, or none.
    QList<Step> takeQuiet();

    // The steps that put the next frame on the line. Without faults waiting
    // that is the frame in one Send. `number` is the frame's number when the
    // frames are numbered.
    QList<Step> shape(QByteArray frame, std::optional<quint32> number = std::nullopt);

    // The pieces, open for tests.
    // Where to cut a frame of `size` bytes: 1 to size - 1 (size when below 2).
    qsizetype cutPoint(qsizetype size);
    QByteArray garbage(int count);
    // The frame's header followed by a payload of 34 zero bytes.
    static QByteArray zeroed(const QByteArray &frame);

private:
    struct Waiting {
        Fault fault;
        int framesLeft = 1;                  // truncate and zeros last several frames
        std::optional<quint32> firstFrame{}; // the number of the first frame it touched
    };

    qsizetype indexOf(Fault::Kind kind) const;
    // Counts the frame numbered `number` off the waiting fault at index; when
    // that was its last, takes it out and adds its report to reports.
    void countFrame(qsizetype index, std::optional<quint32> number, QList<Step> &reports);
    // The fault's report; with the numbers of the first and last frame it
    // touched when the frames are numbered.
    static Step report(const Fault &fault, std::optional<quint32> first = std::nullopt,
                       std::optional<quint32> last = std::nullopt);

    QList<Waiting> m_waiting;
    QRandomGenerator m_random;
};

} // namespace zsim
