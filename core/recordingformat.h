// The recording file's columns and the writing helpers its reader shares
// (core/recording.h has the format). Not for use outside core/recording*.
#pragma once

#include "recording.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

namespace zcore::recordingformat {

inline constexpr std::array kColumns{
    "time",       "elapsed_ms", "event",       "payload",   "code",          "value",
    "in1_ms",     "in2_ms",     "in3_ms",      "in4_ms",    "out1_ms",       "out2_ms",
    "out3_ms",    "out4_ms",    "rpm",         "coolant_c", "switch_over_c", "tank_level",
    "band1",      "band2",      "band3",       "band4",     "level_full",    "level_3_4",
    "level_half", "level_1_4",  "level_empty", "mask",      "petrol"};
inline constexpr int kColumnCount = int(kColumns.size());
inline constexpr int kRequiredColumns = 6; // time .. value
inline constexpr int kDecodedColumns = kColumnCount - kRequiredColumns;
inline constexpr int kTimeColumn = 0;
inline constexpr int kElapsedColumn = 1;
inline constexpr int kEventColumn = 2;
inline constexpr int kPayloadColumn = 3;
inline constexpr int kCodeColumn = 4;
inline constexpr int kValueColumn = 5;
inline constexpr int kLongestElapsed = 15; // digits: over 30000 years of milliseconds

// The decoded columns of a payload, each followed by a comma but the last.
void appendDecoded(QByteArray &out, QByteArrayView payload);

} // namespace zcore::recordingformat
