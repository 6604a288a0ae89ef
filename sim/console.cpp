#include "console.h"

#include <cstdio>

namespace zsim {

void printLine(const QString &line)
{
    const QByteArray text = line.toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

void printNote(const QString &note)
{
    const QByteArray text = "zendalite-sim: " + note.toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace zsim
