// Telemetry payloads for tests.
#pragma once

#include <QByteArray>

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

} // namespace payloads
