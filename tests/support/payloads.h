// Telemetry payloads for tests.
#pragma once

#include "core/decode.h"

#include <QByteArray>

#include <array>

namespace payloads {

// Bytes from a text of hex pairs separated by blanks ("A4 C0 00 ...").
QByteArray fromHex(const char *text);

// The worked frame: 37 bytes, header and a payload of known meaning.
QByteArray workedFrame();

// A frame whose bytes all differ: the header, then payload bytes 01 to 22
// (hex), each the number of its position.
QByteArray countingFrame();

// A 34-byte payload of zeros with the given positions (1-based) set.
QByteArray payload(std::initializer_list<std::pair<int, int>> bytes = {});

// A running engine as the unit reports it: every channel at this engine
// speed (the channel speed twice over, as the speed list takes it) and
// petrol injection time, warm by default, on gas with all four rows.
struct Engine {
    double rpm = 2000;
    double injectionMs = 4;
    int mask = 32 | 16 | 8 | 4;
    int coolantC = 90;
    int switchOverC = 35;
    std::array<int, 4> bands = {100, 110, 120, 130};
    std::array<int, 5> calibration = {200, 150, 110, 60, 15};
};
zcore::LiveFrame engineFrame(const Engine &engine);

} // namespace payloads
