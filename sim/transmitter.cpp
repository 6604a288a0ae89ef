#include "transmitter.h"

#include "console.h"
#include "framesource.h"
#include "ptylink.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace zsim {

using Step = FaultShaper::Step;

Transmitter::Transmitter(FrameSource *source, PtyLink *link, double framesPerSecond,
                         double timeScale, quint32 faultSeed, QObject *parent)
    : QObject(parent), m_source(source), m_link(link), m_timer(new QTimer(this)),
      m_frameClock(framesPerSecond, timeScale, WirePacer::kLineBytesPerSecond * timeScale),
      m_pacer(WirePacer::kLineBytesPerSecond * timeScale), m_shaper(faultSeed)
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

bool Transmitter::inject(const Fault &fault, QString *error)
{
    switch (fault.kind) {
    case Fault::Kind::Unplug:
        if (m_cableOut) {
            *error = QStringLiteral("unplug: the cable is out already");
            return false;
        }
        m_cableOut = true;
        m_shaper.add(fault);
        return true;
    case Fault::Kind::Replug:
        if (!m_cableOut) {
            *error = QStringLiteral("replug: the cable is in");
            return false;
        }
        m_cableOut = false;
        if (m_link->isOpen())
            m_replugWaiting = true;
        else
            replug();
        return true;
    default:
        m_shaper.add(fault);
        return true;
    }
}

void Transmitter::tick()
{
    const double now = nowMs();
    watchReader();
    // Steps follow one another within a tick until one has to wait.
    while (!m_steps.isEmpty() || planNext(now)) {
        if (!runStep(now))
            break;
    }
    m_unreadAfterWrite = m_link->unread();
}

void Transmitter::watchReader()
{
    if (!m_link->isOpen())
        return;
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

bool Transmitter::planNext(double now)
{
    m_steps = m_shaper.takeQuiet();
    if (!m_steps.isEmpty())
        return true;
    if (!m_link->isOpen())
        return false;
    if (const auto dueMs = m_source->nextDueMs())
        return planTimed(now, *dueMs);

    const std::optional<double> period = m_frameClock.take(now);
    if (!period)
        return false;
    // Normally one period has passed. When the line was still busy, the
    // engine has run on for the periods missed and the frame goes out late.
    if (m_frameClock.lastSkipped() && !m_toldLate) {
        const double scale = m_frameClock.timeScale();
        printNote(
            QStringLiteral("frames wait for the line: %1 frames a second do not fit "
                           "through 9600 baud%2")
                .arg(m_frameClock.framesPerWallSecond())
                .arg(scale == 1.0 ? QString() : QStringLiteral(" (%1 times as fast)").arg(scale)));
        m_toldLate = true;
    }
    m_steps = shapeNext(*period);
    return true;
}

bool Transmitter::planTimed(double now, double dueMs)
{
    if (std::isinf(dueMs)) {
        if (!m_toldEnd)
            emit framesEnded();
        m_toldEnd = true;
        return false;
    }
    if (now < dueMs)
        return false;
    if (now - dueMs > kLateNoteMs && !m_toldLate) {
        printNote(QStringLiteral("frames wait for the line: they are due faster than 9600 baud "
                                 "carries them"));
        m_toldLate = true;
    }
    m_steps = shapeNext(0.0);
    return true;
}

QList<FaultShaper::Step> Transmitter::shapeNext(double periodSeconds)
{
    QByteArray frame = m_source->nextFrame(periodSeconds);
    if (!m_counter)
        return m_shaper.shape(std::move(frame));
    // Every frame shaped goes on the line, at least its first byte.
    frame = m_counter->stamp(std::move(frame));
    return m_shaper.shape(std::move(frame), m_counter->count());
}

bool Transmitter::runStep(double now)
{
    Step &step = m_steps.first();
    switch (step.kind) {
    case Step::Kind::Send:
        if (!sendBytes(now))
            return false;
        break;
    case Step::Kind::Silence:
        if (m_silenceEndMs < 0.0)
            m_silenceEndMs = std::max(now, m_pacer.lineFreeAtMs()) + step.ms;
        if (now < m_silenceEndMs)
            return false;
        m_silenceEndMs = -1.0;
        break;
    case Step::Kind::Drain: {
        const double lineFree = m_pacer.lineFreeAtMs();
        if (m_link->isOpen() &&
            (now < lineFree || (m_link->unread() > 0 && now < lineFree + kDrainLimitMs)))
            return false;
        break;
    }
    case Step::Kind::HangUp:
        m_link->hangUp();
        break;
    case Step::Kind::Report:
        printLine(step.text);
        break;
    case Step::Kind::Note:
        printNote(step.text);
        break;
    case Step::Kind::Resume:
        resume(now);
        break;
    }
    m_steps.removeFirst();
    // A replug asked for while its unplug waited comes once the unplug is
    // done and reported.
    if (m_replugWaiting && !m_link->isOpen() && m_steps.isEmpty()) {
        m_replugWaiting = false;
        replug();
    }
    return true;
}

bool Transmitter::sendBytes(double now)
{
    QByteArray &bytes = m_steps.first().bytes;
    if (!m_link->isOpen())
        return true; // nowhere to go
    const qsizetype count = std::min(bytes.size(), m_pacer.allowance(now));
    if (count > 0) {
        const qsizetype written = m_link->write(QByteArrayView(bytes).first(count));
        if (written < 0) {
            if (!m_toldWriteError)
                printNote(QStringLiteral("writing to the line fails"));
            m_toldWriteError = true;
            return false;
        }
        m_pacer.sent(written, now);
        bytes.remove(0, written);
    }
    return bytes.isEmpty();
}

void Transmitter::replug()
{
    QString error;
    if (!m_link->replug(&error)) {
        m_cableOut = true;
        printLine(QStringLiteral("error replug: ") + error);
        return;
    }
    m_dropping = false;
    m_unreadAfterWrite = 0;
    resume(nowMs());
    printLine(Fault{Fault::Kind::Replug, 0}.doneLine());
    emit replugged();
}

void Transmitter::resume(double now)
{
    m_frameClock.skipTo(now);
    // A source with its own timing loses the frames whose time has passed,
    // as the rate's periods are skipped.
    for (auto due = m_source->nextDueMs(); due && *due < now; due = m_source->nextDueMs())
        m_source->nextFrame(0.0);
}

double Transmitter::nowMs() const { return double(m_clock.nsecsElapsed()) / 1e6; }

} // namespace zsim
