// Takes apart the bytes the tool sends: three-byte commands A4, code, value.
// Pure: every byte comes with its arrival time, so the reader never looks at
// a clock of its own.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace zsim {

class CommandReader {
public:
    // A started command that stays unfinished this long is given up.
    static constexpr double kPartialTimeoutMs = 2000.0;
    // Bytes outside a command are reported once the line has been quiet this
    // long, when an A4 follows them, or when this many have gathered.
    static constexpr double kStrayQuietMs = 250.0;
    static constexpr int kLongestStrayRun = 32;

    struct Event {
        enum class Kind { Command, Stray };
        Kind kind = Kind::Stray;
        int code = 0;
        int value = 0;
        double gap1Ms = 0.0; // between A4 and the code
        double gap2Ms = 0.0; // between the code and the value
        QByteArray bytes;    // everything this event stands for, as received
    };

    // Bytes that arrived together at atMs (times never go back). Silences
    // up to atMs are judged first, then the bytes are taken in order.
    QList<Event> feed(QByteArrayView bytes, double atMs);

    // What a silence up to nowMs has settled.
    QList<Event> expire(double nowMs);

    // True while a command is started but not complete.
    bool midCommand() const { return !m_partial.isEmpty(); }

    // The log line of an event: "command <code> <value> gaps <g1> <g2>"
    // (gaps in ms, one decimal) or "stray <hex bytes>".
    static QString logLine(const Event &event);

private:
    void take(unsigned char byte, double atMs, QList<Event> &events);
    void flushStray(QList<Event> &events);

    QByteArray m_partial; // A4 and possibly the code
    double m_partialTimes[2] = {0.0, 0.0};
    QByteArray m_stray;
    double m_lastByteMs = 0.0;
};

} // namespace zsim
