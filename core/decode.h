// The live quantities in a telemetry payload and the text formats the window
// shows them in. Other parts read these texts back, so the formats are a
// contract, not only a look.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace zcore {

// Where each quantity lies in the payload: positions counted from 1, words
// little-endian (low byte first). Positions 10, 11 and 32 to 34 carry nothing
// the tool reads.
namespace position {
inline constexpr int kInWord = 1;       // channel c (0..3) at 1 + 2c
inline constexpr int kMask = 9;         // fuel and cylinder mask
inline constexpr int kOutWord = 12;     // channel c (0..3) at 12 + 2c
inline constexpr int kTemperature = 20; // 230 minus degrees
inline constexpr int kSensor = 21;      // gas level sensor reading
inline constexpr int kBand = 22;        // band b (0..3) at 22 + b
inline constexpr int kLevelPoint = 26;  // point p (0..4) at 26 + p
inline constexpr int kSwitchOver = 31;  // 230 minus degrees
} // namespace position

// The quantities of one payload, as the unit sends them.
struct LiveFrame {
    std::array<int, 4> inWord{};      // channels 1..4
    std::array<int, 4> outWord{};     // channels 1..4
    int mask = 0;                     // fuel and cylinder mask
    int temperatureByte = 0;          // 230 minus degrees
    int sensor = 0;                   // gas level sensor reading
    std::array<int, 4> bands{};       // mixture level of bands 0..3
    std::array<int, 5> calibration{}; // full, three quarters, half, quarter, empty
    int switchOverByte = 0;           // 230 minus degrees
};

// Decodes a payload of at least 34 bytes.
LiveFrame decodePayload(QByteArrayView payload);

// The 34-byte payload that decodes to the frame (positions that carry
// nothing the tool reads are 0). Values are taken modulo 256 (bytes) and
// 65536 (words).
QByteArray encodePayload(const LiveFrame &frame);

// Sets one byte or one little-endian word of a payload, at a position from 1.
void putPayloadByte(QByteArray &payload, int position, int value);
void putPayloadWord(QByteArray &payload, int position, int value);

// Degrees from a temperature byte, and back.
inline int degreesFromByte(int byte) { return 230 - byte; }
inline double byteFromDegrees(double degrees) { return 230 - degrees; }

// An in or out time: (w - 3) / 126 ms as number text cut to four characters;
// "---" for a word of 0 (no reading).
QString timeCutToFour(int word, QChar decimalPoint = QLatin1Char('.'));

// The channel speed of an in and an out word, read back through its number
// text (with a comma desktop that keeps the whole part only); no speed when
// I + O <= 129 or I = 0.
std::optional<double> channelSpeed(int inWord, int outWord, QChar decimalPoint = QLatin1Char('.'));

// The speed list entry of a channel: the text of twice its speed, only when
// the speed lies strictly between 200 and 4000.
std::optional<QString> speedEntry(int inWord, int outWord, QChar decimalPoint = QLatin1Char('.'));

// The head of a speed list: its first four characters read as a number.
double listHead(QStringView caption);

// The engine speed from the four list heads, and which lists are marked as
// top. List 1 is marked when its head is above any other; lists 2 to 4 when
// above all others; a later match replaces the value of an earlier one.
struct EngineSpeed {
    std::optional<double> value;
    std::array<bool, 4> marked{};
};
EngineSpeed engineSpeed(const std::array<double, 4> &heads);

// High face above 2000 rpm; low otherwise, also without a value.
inline bool powerHigh(const std::optional<double> &speed) { return speed && *speed > 2000; }

// The faces the mask shows: petrol, and the rows on gas by bits 5, 4, 3, 2.
struct MaskFaces {
    bool petrol = false;
    bool bit5 = false; // silin1, second row on the screen
    bool bit4 = false; // silin2, leftmost row
    bool bit3 = false; // silin3
    bool bit2 = false; // silin4
};
MaskFaces maskFaces(int mask);

// Bits 5..2 and 7 of the faces, as the cylinder command sends them.
int maskOf(const MaskFaces &faces);

} // namespace zcore
