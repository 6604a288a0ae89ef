// Telemetry frames for the benchmarks: a small, repeatable engine whose
// values move a little in every frame (speed, injection times), as a running
// engine's do, so the window has real work on every accepted frame. Frame k
// is always the same bytes; band 0's level is given by the caller so that a
// benchmark can change it at a moment it knows.
#pragma once

#include "core/decode.h"
#include "core/frame.h"

#include <QByteArray>
#include <QtGlobal>

#include <cmath>

namespace benchframes {

inline constexpr double kFrameBytes = 37;            // A4 C0 00 + 34 payload bytes
inline constexpr double kLineBytesPerSecond = 960.0; // 9600 baud, 8N1
inline constexpr double kFrameWireMs = kFrameBytes * 1000.0 / kLineBytesPerSecond; // 38.5 ms

// A fixed mixing of k into 0..1 (no state, so frame k never changes).
inline double noise(quint64 k, quint64 salt)
{
    quint64 x = k * 0x9E3779B97F4A7C15ull + salt * 0xBF58476D1CE4E5B9ull;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 29;
    return double(x >> 11) / double(1ull << 53);
}

// The 34 payload bytes of frame k (10 frames a second): the engine idles near
// 800 rpm and revs to about 3000 rpm and back every 8 s; in/out times follow.
// On gas on all four rows, coolant at 85 degrees, switch-over at 35.
inline QByteArray payload(quint64 k, int band0Level)
{
    const double t = double(k) * 0.1;
    const double pi = 3.14159265358979323846;
    const double swing = (1.0 - std::cos(2.0 * pi * t / 8.0)) / 2.0; // 0..1
    const double rpm = 800.0 + 2200.0 * swing * swing + 30.0 * (noise(k, 1) - 0.5);
    const double injectionMs = 2.8 + 4.0 * swing + 0.1 * noise(k, 2);

    zcore::LiveFrame f;
    for (size_t c = 0; c < 4; ++c) {
        const double channelRpm = rpm + 6.0 * double(c);
        const int sum = int(std::lround(15120000.0 / channelRpm + 3));
        const int in = int(std::lround(3 + 126.0 * (injectionMs + 0.05 * double(c))));
        f.inWord[c] = in;
        f.outWord[c] = sum - in;
    }
    f.mask = 32 | 16 | 8 | 4;
    f.temperatureByte = int(zcore::byteFromDegrees(85));
    f.sensor = 180;
    f.bands = {band0Level, 110, 120, 130};
    f.calibration = {200, 150, 110, 60, 15};
    f.switchOverByte = int(zcore::byteFromDegrees(35));
    QByteArray p = zcore::encodePayload(f);

    // The bytes the tool does not read: firmware version, a frame counter
    // and a checksum of the 33 bytes before it.
    zcore::putPayloadByte(p, 10, 3);
    zcore::putPayloadByte(p, 11, 12);
    zcore::putPayloadWord(p, 32, int(k & 0xFFFF));
    int sum = 0;
    for (int i = 0; i < 33; ++i)
        sum += static_cast<unsigned char>(p[i]);
    zcore::putPayloadByte(p, 34, sum);
    return p;
}

inline QByteArray frame(quint64 k, int band0Level)
{
    return zcore::telemetryFrame(payload(k, band0Level));
}

// A 50-character read as the poll cycle takes it: the frame's header at
// `headerAt`, the frame, then the start of the next frame (or filler before).
inline QByteArray read50(quint64 k, int headerAt)
{
    QByteArray r;
    const QByteArray previous = frame(k + 999, 100);
    if (headerAt > 0)
        r.append(previous.right(headerAt));
    r.append(frame(k, 100));
    r.append(frame(k + 1, 100));
    return r.left(zcore::kReadLength);
}

} // namespace benchframes
