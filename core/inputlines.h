// Cuts what arrives on a byte stream (standard input) into lines: ended by
// LF or CR LF; an unended last line counts once the input ends. Used by the
// simulated unit's control lines and the tool's automation channel.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

namespace zcore {

class InputLines {
public:
    // A line that runs on longer than `longestLine` bytes is cut there and
    // taken as it is, so that endless input without an ending cannot grow
    // without bound.
    explicit InputLines(qsizetype longestLine) : m_longest(longestLine) {}

    qsizetype longestLine() const { return m_longest; }

    // The lines the bytes complete, without their endings.
    QByteArrayList feed(QByteArrayView bytes);

    // At the end of the input: the unended last line, if any.
    QByteArrayList finish();

private:
    void takeLine(QByteArrayList &lines);

    qsizetype m_longest = 0;
    QByteArray m_partial;
};

} // namespace zcore
