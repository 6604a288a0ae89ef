// Progress of the whole-program benchmark, one line at a time on stderr.
// "window opens: … (pid N)" and "window closes: …" mark each measuring
// window; bench/profile.sh watches for them. Figures are written with fmt().
#pragma once

#include <QString>

#include <cstdio>

namespace programbench {

inline QString fmt(double v, int decimals = 1) { return QString::number(v, 'f', decimals); }

inline void note(const QString &text)
{
    std::fprintf(stderr, "programbench: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace programbench
