// Cuts what arrives on standard input into control lines: ended by LF or
// CR LF; an unended last line counts once the input ends.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

namespace zsim {

class ControlLines {
public:
    // A line that runs on longer than this is cut here and taken as it is
    // (it is no control, so it is answered with an error).
    static constexpr qsizetype kLongestLine = 1024;

    // The lines the bytes complete, without their endings.
    QStringList feed(QByteArrayView bytes);

    // At the end of the input: the unended last line, if any.
    QStringList finish();

private:
    void takeLine(QStringList &lines);

    QByteArray m_partial;
};

} // namespace zsim
