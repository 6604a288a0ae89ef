// Wire formats of the serial line: the telemetry frame the unit sends on its
// own and the three-byte command frame the tool sends.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

namespace zcore {

inline constexpr unsigned char kFrameHeader = 0xA4; // first byte of both frames
inline constexpr unsigned char kTelemetryMark1 = 0xC0;
inline constexpr unsigned char kTelemetryMark2 = 0x00;
inline constexpr int kReadLength = 50;    // characters taken from the port per poll
inline constexpr int kLeastDataRead = 35; // a read this long counts as a sign of life
inline constexpr int kPayloadLength = 34; // least payload after the header
inline constexpr int kDiagnosticBytes = 30;

// The command codes, the second byte of a command frame; the third is the value.
namespace command {
inline constexpr int kFirstBand = 0;       // 0..3: mixture level of bands 0..3
inline constexpr int kMask = 4;            // fuel and cylinder mask
inline constexpr int kSwitchOver = 5;      // switch-over temperature byte (230 - degrees)
inline constexpr int kFirstLevelPoint = 6; // 6..10: level points full, 3/4, half, 1/4, empty
inline constexpr int kBands = 4;
inline constexpr int kLevelPoints = 5;
constexpr int band(int index) { return kFirstBand + index; }             // index 0..3
constexpr int levelPoint(int index) { return kFirstLevelPoint + index; } // index 0..4
} // namespace command

// Index (from 0) of the first A4 C0 00 in the read, or -1.
qsizetype findTelemetryHeader(QByteArrayView read);

// The payload of the frame in one read: everything after the first header to
// the end of the read, when at least 34 characters follow it. A later header
// is never looked for.
std::optional<QByteArray> framePayload(QByteArrayView read);

// Payload positions 1 to 30 as upper-case hex pairs joined by "-" (89 characters).
QString diagnosticLine(QByteArrayView payload);

// A telemetry frame as the unit sends it: header, then the payload.
QByteArray telemetryFrame(QByteArrayView payload);

// The three bytes of a command: A4, code, value. Both numbers are rounded
// halves to even; no frame at all when either lies outside 0..255.
std::optional<std::array<char, 3>> commandFrame(double code, double value);

} // namespace zcore
