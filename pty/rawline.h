// A terminal set up as the unit's serial line: raw (no echo, no line
// editing, no translation), 9600 baud, 8 data bits, no parity, one stop
// bit, and a read returns as soon as one byte is there.
#pragma once

#include <QString>

namespace zpty {

// Sets up the terminal behind fd so; false (errno set) when it cannot.
bool makeRawLine(int fd);

// Opens the terminal device at path as the tool does (read and write, not
// as the controlling terminal, without waiting) and sets it up as a raw
// line; the descriptor, or -1 (errno set) when either step fails.
int openRawLine(const QString &path);

} // namespace zpty
