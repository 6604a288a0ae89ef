// The program's two outputs: event lines on stdout (one line each, flushed at
// once, for whoever drives the simulator) and notes for people on stderr.
#pragma once

#include <QString>

namespace zsim {

void printLine(const QString &line);
void printNote(const QString &note);

} // namespace zsim
