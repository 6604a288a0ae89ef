#include "commandreader.h"

#include "core/frame.h"

namespace zsim {

QList<CommandReader::Event> CommandReader::feed(QByteArrayView bytes, double atMs)
{
    QList<Event> events = expire(atMs);
    for (const char byte : bytes)
        take(static_cast<unsigned char>(byte), atMs, events);
    if (!bytes.isEmpty())
        m_lastByteMs = atMs;
    return events;
}

QList<CommandReader::Event> CommandReader::expire(double nowMs)
{
    QList<Event> events;
    const double quiet = nowMs - m_lastByteMs;
    if (!m_partial.isEmpty() && quiet > kPartialTimeoutMs) {
        events.append(Event{Event::Kind::Stray, 0, 0, 0.0, 0.0, m_partial});
        m_partial.clear();
    }
    if (!m_stray.isEmpty() && quiet > kStrayQuietMs)
        flushStray(events);
    return events;
}

void CommandReader::take(unsigned char byte, double atMs, QList<Event> &events)
{
    if (m_partial.isEmpty()) {
        if (byte == zcore::kFrameHeader) {
            flushStray(events);
            m_partial.append(char(byte));
            m_partialTimes[0] = atMs;
            return;
        }
        m_stray.append(char(byte));
        if (m_stray.size() >= kLongestStrayRun)
            flushStray(events);
        return;
    }

    if (m_partial.size() == 1) {
        m_partial.append(char(byte));
        m_partialTimes[1] = atMs;
        return;
    }

    Event command;
    command.kind = Event::Kind::Command;
    command.code = static_cast<unsigned char>(m_partial[1]);
    command.value = byte;
    command.gap1Ms = m_partialTimes[1] - m_partialTimes[0];
    command.gap2Ms = atMs - m_partialTimes[1];
    command.bytes = m_partial + char(byte);
    events.append(command);
    m_partial.clear();
}

void CommandReader::flushStray(QList<Event> &events)
{
    if (m_stray.isEmpty())
        return;
    events.append(Event{Event::Kind::Stray, 0, 0, 0.0, 0.0, m_stray});
    m_stray.clear();
}

QString CommandReader::logLine(const Event &event)
{
    if (event.kind == Event::Kind::Command) {
        return QStringLiteral("command %1 %2 gaps %3 %4")
            .arg(event.code)
            .arg(event.value)
            .arg(event.gap1Ms, 0, 'f', 1)
            .arg(event.gap2Ms, 0, 'f', 1);
    }
    return QStringLiteral("stray ") + QString::fromLatin1(event.bytes.toHex(' '));
}

} // namespace zsim
