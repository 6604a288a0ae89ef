#include "transmitter.h"

#include "console.h"
#include "framesource.h"
#include "ptylink.h"

#include <QTimer>

#include <cmath>

namespace zsim {

Transmitter::Transmitter(FrameSource *source, PtyLink *link, double framesPerSecond,
                         QObject *parent)
    : QObject(parent), m_source(source), m_link(link), m_rate(framesPerSecond),
      m_timer(new QTimer(this))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &Transmitter::tick);
}

void Transmitter::start()
{
    m_clock.start();
    m_timer->start();
    tick();
}

void Transmitter::tick()
{
    const double nowMs = double(m_clock.nsecsElapsed()) / 1e6;
    watchReader();
    queueDueFrame(nowMs);
    releaseBytes(nowMs);
    m_unreadAfterWrite = m_link->unread();
}

void Transmitter::watchReader()
{
    const qsizetype unread = m_link->unread();
    if (unread < m_unreadAfterWrite && m_dropping) {
        printNote(QStringLiteral("the line is being read again"));
        m_dropping = false;
    }
    if (unread > kUnreadLimit) {
        m_link->discardUnread();
        if (!m_dropping)
            printNote(QStringLiteral("nobody reads the line; unread bytes are dropped"));
        m_dropping = true;
    }
}

void Transmitter::queueDueFrame(double nowMs)
{
    const qint64 due = qint64(std::floor(nowMs * m_rate / 1000.0)) + 1;
    if (due <= m_slotsTaken || !m_queue.isEmpty())
        return;
    // Normally one period has passed. When the line was still busy, the
    // engine has run on for the periods missed and the frame goes out late.
    const qint64 periods = due - m_slotsTaken;
    if (periods > 1 && !m_toldLate) {
        printNote(QStringLiteral("frames wait for the line: %1 frames a second do not fit "
                                 "through 9600 baud")
                      .arg(m_rate));
        m_toldLate = true;
    }
    m_slotsTaken = due;
    m_queue = m_source->nextFrame(double(periods) / m_rate);
}

void Transmitter::releaseBytes(double nowMs)
{
    const qsizetype count = std::min(m_queue.size(), m_pacer.allowance(nowMs));
    if (count <= 0)
        return;
    const qsizetype written = m_link->write(QByteArrayView(m_queue).first(count));
    if (written < 0) {
        if (!m_toldWriteError)
            printNote(QStringLiteral("writing to the line fails"));
        m_toldWriteError = true;
        return;
    }
    m_pacer.sent(written, nowMs);
    m_queue.remove(0, written);
}

} // namespace zsim
