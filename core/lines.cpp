#include "lines.h"

namespace zcore {

QString prependLine(const QString &line, const QString &text, int kept)
{
    QString out = line + QLatin1Char('\r') + text;
    qsizetype at = -1;
    for (int n = 0; n < kept; ++n) {
        at = out.indexOf(QLatin1Char('\r'), at + 1);
        if (at < 0)
            return out;
    }
    out.truncate(at + 1);
    return out;
}

} // namespace zcore
