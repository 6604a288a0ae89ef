// A recording made during a soak, checked against what the unit said it
// did. The unit numbers every frame it begins on the line (payload positions
// 32-33, the sum of positions 1-33 at 34), so the walk knows each frame
// row's number and can say which numbers are missing between the first row
// and the last, and why:
//
//   cut        truncate or an unplug cut the frame short: it cannot be a row
//   zeroed     the frame carried 34 zero bytes (zeros): a row of zero bytes
//              stands for it, one for each such frame
//   lost       anything else: a frame the tool should have recorded
//
// Rows that are no frame the unit sent are counted apart: a payload whose
// sum does not hold (the scanner put the bytes of a cut frame and of the
// next one together), a number that repeats or goes back, a row of zero
// bytes without a zeroed frame for it.
//
// Numbers are 16 bits on the line and counted on across the word's turn;
// the first row is taken as frame (its number), so a recording must begin
// in the unit's first 65 536 frames (109 minutes at 10 frames a second).
#pragma once

#include "unitevents.h"

#include "core/recording.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace soak {

struct LostFrame {
    qint64 number = 0;
    qint64 elapsedMs = 0; // of the row after the gap
    QString cause;        // what the unit did to the frames before it, for people
};

struct ForeignRow {
    qint64 elapsedMs = 0;
    QByteArray payload;
    qint64 after = 0; // the number of the last good row before it (0 for none)
    QString why;
};

// A row of the link's events (device-lost, device-returned, port-open, ...).
struct LinkEvent {
    qint64 elapsedMs = 0;
    QString name;
};

struct FrameWalk {
    qint64 frameRows = 0;
    qint64 numberedRows = 0;
    qint64 zeroRows = 0;
    qint64 firstNumber = 0; // 0 for no numbered row
    qint64 lastNumber = 0;
    QMap<QString, qint64> cutMissing; // by the fault that cut them
    qint64 zeroedMatched = 0;         // zeroed frames with their row of zero bytes
    QList<LostFrame> lost;
    QList<ForeignRow> foreign;
    QList<zcore::RecordRow> commands;
    QMap<QString, int> events; // link events by name ("device-lost", ...)
    QList<LinkEvent> linkEvents;

    qint64 cutCount() const;
};

// Payload positions 32-33 as a number, and whether position 34 holds the sum
// of positions 1-33.
int frameNumberOf(const QByteArray &payload);
bool sumHolds(const QByteArray &payload);

FrameWalk walkFrames(const zcore::Recording &recording, const UnitEvents &unit);

} // namespace soak
