// The recording file: every frame the unit sent and every command the tool
// sent, with the link's events, on one time line. CSV as RFC 4180 has it
// (UTF-8, comma-separated, CR LF line ends, the point as decimal separator
// whatever the desktop uses), the column names on the first line:
//
//   time           local time with milliseconds and UTC offset,
//                  2026-12-07T14:05:31.250+03:00
//   elapsed_ms     whole milliseconds since the recording started; never
//                  decreases from one row to the next
//   event          frame, command, port-open, port-closed, device-lost,
//                  device-returned, recording-stopped; a reader passes over
//                  the rows of an event it does not know (a newer
//                  version's), which must still be well formed: all the
//                  fields, a time, elapsed_ms never decreasing
//   payload        frame rows: the 34 payload bytes as 68 upper-case hex
//                  digits; empty otherwise
//   code, value    command rows: the command's two bytes after A4, in
//                  decimal; empty otherwise
//
// and then, for frame rows only (empty otherwise), the payload's values in
// physical units:
//
//   in1_ms..in4_ms, out1_ms..out4_ms   injection time of channels 1-4, petrol
//                  (in) and gas (out): (word - 3) / 126 ms with three
//                  decimals; empty for a word of 0 (no reading)
//   rpm            engine speed: the highest of the channels' speed list
//                  entries (twice the channel speed, kept only between 200
//                  and 4000), one decimal; empty when no channel has one
//   coolant_c, switch_over_c           degrees Celsius (230 minus the byte)
//   tank_level     the gas level sensor reading, 0-255
//   band1..band4   mixture level of the engine speed bands 0-1500,
//                  1500-2500, 2500-4000 and 4000-8000 rpm, 0-255
//   level_full, level_3_4, level_half, level_1_4, level_empty
//                  level sensor calibration points, 0-255
//   mask           fuel and cylinder mask, 0-255
//   petrol         1 when the mask's petrol bit (128) is set, else 0
//
// The decoded columns follow from the payload alone: a reader takes the
// payload and checks the rest against it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace zcore {

// The events a row records: one list, whose names the event column carries.
enum class RecordEvent {
    Frame,           // "frame": a telemetry frame the unit sent
    Command,         // "command": a command the tool sent
    PortOpen,        // "port-open": the port was opened
    PortClosed,      // "port-closed": the port was closed to choose another
    DeviceLost,      // "device-lost": the device went away under the open port
    DeviceReturned,  // "device-returned": and came back
    RecordingStopped // "recording-stopped": the last row of a recording stopped
};
inline constexpr std::array kRecordEvents{RecordEvent::Frame,           RecordEvent::Command,
                                          RecordEvent::PortOpen,        RecordEvent::PortClosed,
                                          RecordEvent::DeviceLost,      RecordEvent::DeviceReturned,
                                          RecordEvent::RecordingStopped};

// The name of an event in the event column.
const char *recordEventName(RecordEvent event);
// The event of a name; none for a name this version does not know.
std::optional<RecordEvent> recordEventNamed(QByteArrayView name);

// Anything larger is not taken for a recording (an hour is about 8 MiB).
inline constexpr qsizetype kLargestRecording = qsizetype(256) * 1024 * 1024;
// Nor a line longer than this (a frame row is about 200 bytes).
inline constexpr qsizetype kLongestRecordingLine = 4096;

struct RecordRow {
    QDateTime time;
    qint64 elapsedMs = 0;
    RecordEvent event = RecordEvent::Frame;
    QByteArray payload; // frame rows: the 34 payload bytes
    int code = -1;      // command rows: code and value, 0-255
    int value = -1;
    bool operator==(const RecordRow &) const = default;
};

struct Recording {
    QList<RecordRow> rows;
    // What a read left out of a file it took: the bytes of a torn last row
    // (the power went while it was written), and rows of events this
    // version does not know.
    qsizetype droppedBytes = 0;
    qsizetype skippedRows = 0;
};

// Told now and then how far a read has come (bytes taken of all); answers
// false to stop it, and the read then fails.
using RecordingProgress = std::function<bool(qsizetype done, qsizetype total)>;
// How often, in bytes read, at most.
inline constexpr qsizetype kProgressStep = qsizetype(1) << 20;

// The first line: the column names, ended by CR LF.
QByteArray recordingHeaderLine();

// One row as a line ended by CR LF. Only the fields of the row's event are
// written (the payload of a frame row, the code and value of a command row),
// with the decoded columns of a 34-byte payload.
QByteArray recordingLine(const RecordRow &row);

// Reads and checks a whole recording; no value, and the reason in *why, for
// bytes that are not one. A last line without its line end is taken when it
// is whole (every field there and matching its payload). After a power loss
// the last row can be cut short and the end of the file zero bytes: those
// are left out and counted in droppedBytes. Only the tail is forgiven: a
// malformed line ended by its line end is refused, as is a file whose
// column names are not whole. Rows of unknown events are passed over and
// counted in skippedRows.
std::optional<Recording> readRecording(QByteArrayView bytes, QString *why,
                                       const RecordingProgress &progress = {});

} // namespace zcore
