#include "commandlistener.h"

#include "console.h"
#include "framesource.h"

#include <QTimer>

namespace zsim {

CommandListener::CommandListener(FrameSource *source, QObject *parent)
    : QObject(parent), m_source(source), m_expiry(new QTimer(this))
{
    m_clock.start();
    m_expiry->setInterval(kExpiryCheckMs);
    connect(m_expiry, &QTimer::timeout, this, &CommandListener::expire);
    m_expiry->start();
}

void CommandListener::take(const QByteArray &bytes) { report(m_reader.feed(bytes, nowMs())); }

void CommandListener::expire() { report(m_reader.expire(nowMs())); }

void CommandListener::report(const QList<CommandReader::Event> &events)
{
    for (const CommandReader::Event &event : events) {
        // Applied before the line goes out: whoever reads the line may count
        // on the frames built from then on to show the command.
        const bool applied = event.kind == CommandReader::Event::Kind::Command &&
                             m_source->apply(event.code, event.value);
        printLine(CommandReader::logLine(event));
        if (event.kind == CommandReader::Event::Kind::Command && !applied)
            printNote(QStringLiteral("command %1 %2 not applied").arg(event.code).arg(event.value));
    }
}

double CommandListener::nowMs() const { return double(m_clock.nsecsElapsed()) / 1e6; }

} // namespace zsim
