#include "inputlines.h"

namespace zcore {

QByteArrayList InputLines::feed(QByteArrayView bytes)
{
    QByteArrayList lines;
    while (!bytes.isEmpty()) {
        const qsizetype room = m_longest - m_partial.size();
        const qsizetype end = bytes.first(std::min(bytes.size(), room)).indexOf('\n');
        if (end >= 0) {
            m_partial.append(bytes.first(end));
            takeLine(lines);
            bytes = bytes.sliced(end + 1);
            continue;
        }
        const qsizetype taken = std::min(bytes.size(), room);
        m_partial.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (m_partial.size() >= m_longest)
            takeLine(lines);
    }
    return lines;
}

QByteArrayList InputLines::finish()
{
    QByteArrayList lines;
    if (!m_partial.isEmpty())
        takeLine(lines);
    return lines;
}

void InputLines::takeLine(QByteArrayList &lines)
{
    if (m_partial.endsWith('\r'))
        m_partial.chop(1);
    lines.append(m_partial);
    m_partial.clear();
}

} // namespace zcore
