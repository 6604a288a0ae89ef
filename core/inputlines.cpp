#include "controllines.h"

namespace zsim {

QStringList ControlLines::feed(QByteArrayView bytes)
{
    QStringList lines;
    for (const char byte : bytes) {
        if (byte == '\n') {
            takeLine(lines);
            continue;
        }
        m_partial.append(byte);
        if (m_partial.size() >= kLongestLine)
            takeLine(lines);
    }
    return lines;
}

QStringList ControlLines::finish()
{
    QStringList lines;
    if (!m_partial.isEmpty())
        takeLine(lines);
    return lines;
}

void ControlLines::takeLine(QStringList &lines)
{
    if (m_partial.endsWith('\r'))
        m_partial.chop(1);
    lines.append(QString::fromUtf8(m_partial));
    m_partial.clear();
}

} // namespace zsim
