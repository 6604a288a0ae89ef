// The frame rows of a recording the tool wrote, checked against the unit's
// frame counter (payload bytes 32-33, frame k's low 16 bits, little end
// first): rows whose counter moves on by one each time are every frame the
// unit sent between the first row and the last.
#pragma once

#include <QString>
#include <QtGlobal>

namespace programbench {

struct RecordedFrames {
    qint64 rows = 0;     // frame rows
    qint64 commands = 0; // command rows
    qint64 gaps = 0;     // frames missing between two rows
    qint64 repeats = 0;  // rows whose counter did not move on
    int firstCounter = -1;
    int lastCounter = -1;
    qint64 bytes = 0;
    QString refused; // why the file is not a readable recording; empty when it is
};

RecordedFrames readRecordedFrames(const QString &path);

} // namespace programbench
