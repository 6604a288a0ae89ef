#include "framewalk.h"

#include <algorithm>

namespace soak {

namespace {

constexpr int kNumberIndex = 31; // payload position 32, from 0
constexpr int kSumIndex = 33;    // position 34

bool allZero(const QByteArray &payload)
{
    return std::all_of(payload.begin(), payload.end(), [](char c) { return c == 0; });
}

class Walker {
public:
    Walker(const UnitEvents &unit, FrameWalk &walk) : m_unit(unit), m_walk(walk) {}

    void frame(const zcore::RecordRow &row)
    {
        ++m_walk.frameRows;
        const QByteArray &p = row.payload;
        if (allZero(p)) {
            ++m_walk.zeroRows;
            m_zeroRows.append(row.elapsedMs);
            return;
        }
        if (!sumHolds(p)) {
            foreign(row, QStringLiteral("its sum does not hold"));
            return;
        }
        const int number = frameNumberOf(p);
        qint64 n = number;
        if (m_last > 0) {
            const int step = (number - int(m_last & 0xFFFF)) & 0xFFFF;
            if (step == 0 || step > 0x8000) {
                foreign(row, step == 0 ? QStringLiteral("its number repeats")
                                       : QStringLiteral("its number goes back"));
                return;
            }
            n = m_last + step;
        }
        gap(n, row.elapsedMs);
        ++m_walk.numberedRows;
        if (m_walk.firstNumber == 0)
            m_walk.firstNumber = n;
        m_walk.lastNumber = n;
        m_last = n;
    }

    // Zero rows after the last numbered row: frames zeroed after it.
    void end()
    {
        qint64 candidate = m_last + 1;
        for (const qint64 elapsed : m_zeroRows) {
            while (candidate <= m_last + 1000 &&
                   !(m_unit.wasZeroed(candidate) && !m_unit.wasCut(candidate)))
                ++candidate;
            if (candidate > m_last + 1000) {
                zeroWithoutFrame(elapsed);
                continue;
            }
            ++m_walk.zeroedMatched;
            ++candidate;
        }
        m_zeroRows.clear();
    }

private:
    // The numbers between the last numbered row and n, with the zero rows
    // seen between them.
    void gap(qint64 n, qint64 elapsedMs)
    {
        QList<qint64> zeroRows = m_zeroRows;
        m_zeroRows.clear();
        if (m_last == 0) {
            // Before the first numbered row nothing is judged missing; zero
            // rows stand for zeroed frames just before it.
            for (const qint64 elapsed : zeroRows) {
                bool found = false;
                for (qint64 m = n - 1; m > 0 && m >= n - 1000 && !found; --m)
                    found = m_unit.wasZeroed(m) && !m_unit.wasCut(m);
                if (found)
                    ++m_walk.zeroedMatched;
                else
                    zeroWithoutFrame(elapsed);
            }
            return;
        }
        for (qint64 m = m_last + 1; m < n; ++m) {
            if (m_unit.wasCut(m)) {
                ++m_walk.cutMissing[m_unit.cutBy(m)];
                continue;
            }
            if (m_unit.wasZeroed(m) && !zeroRows.isEmpty()) {
                zeroRows.removeFirst();
                ++m_walk.zeroedMatched;
                continue;
            }
            m_walk.lost.append(LostFrame{m, elapsedMs, causeBefore(m)});
        }
        for (const qint64 elapsed : zeroRows)
            zeroWithoutFrame(elapsed);
    }

    QString causeBefore(qint64 m) const
    {
        if (m_unit.wasZeroed(m))
            return QStringLiteral("zeroed (zeros), but no row of zero bytes for it");
        for (qint64 before = m - 1; before >= m - 2 && before > 0; --before) {
            const QString touched = m_unit.touchedBy(before);
            if (!touched.isEmpty())
                return QStringLiteral("frame %1 before it was touched by %2")
                    .arg(before)
                    .arg(touched);
        }
        return QStringLiteral("no fault touched the frames before it");
    }

    void foreign(const zcore::RecordRow &row, const QString &why)
    {
        QString reason = why;
        const QString touched = m_unit.touchedBy(m_last + 1);
        if (!touched.isEmpty())
            reason += QStringLiteral("; frame %1 after the last good row was touched by %2")
                          .arg(m_last + 1)
                          .arg(touched);
        m_walk.foreign.append(ForeignRow{row.elapsedMs, row.payload, m_last, reason});
    }

    void zeroWithoutFrame(qint64 elapsedMs)
    {
        m_walk.foreign.append(ForeignRow{elapsedMs, QByteArray(34, '\0'), m_last,
                                         QStringLiteral("zero bytes, but no zeroed frame for it")});
    }

    const UnitEvents &m_unit;
    FrameWalk &m_walk;
    qint64 m_last = 0; // number of the last numbered row, 0 before the first
    QList<qint64> m_zeroRows;
};

} // namespace

qint64 FrameWalk::cutCount() const
{
    qint64 n = 0;
    for (const qint64 count : cutMissing)
        n += count;
    return n;
}

int frameNumberOf(const QByteArray &payload)
{
    if (payload.size() <= kNumberIndex + 1)
        return -1;
    return static_cast<unsigned char>(payload[kNumberIndex]) |
           static_cast<unsigned char>(payload[kNumberIndex + 1]) << 8;
}

bool sumHolds(const QByteArray &payload)
{
    if (payload.size() <= kSumIndex)
        return false;
    int sum = 0;
    for (int i = 0; i < kSumIndex; ++i)
        sum += static_cast<unsigned char>(payload[i]);
    return (sum & 0xFF) == static_cast<unsigned char>(payload[kSumIndex]);
}

FrameWalk walkFrames(const zcore::Recording &recording, const UnitEvents &unit)
{
    FrameWalk walk;
    Walker walker(unit, walk);
    for (const zcore::RecordRow &row : recording.rows) {
        switch (row.event) {
        case zcore::RecordEvent::Frame:
            walker.frame(row);
            break;
        case zcore::RecordEvent::Command:
            walk.commands.append(row);
            break;
        default: {
            const QString name = QString::fromLatin1(zcore::recordEventName(row.event));
            ++walk.events[name];
            walk.linkEvents.append(LinkEvent{row.elapsedMs, name});
            break;
        }
        }
    }
    walker.end();
    return walk;
}

} // namespace soak
