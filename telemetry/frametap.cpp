#include "frametap.h"

#include "link/seriallink.h"

FrameTap::FrameTap(SerialLink &link, QObject *parent) : QObject(parent), m_link(link) {}

FrameTap::~FrameTap()
{
    if (isActive())
        m_link.setArrivalObserver({});
}

void FrameTap::setWanted(const QString &watcher, bool wanted)
{
    const bool was = isActive();
    if (wanted)
        m_watchers.insert(watcher);
    else
        m_watchers.remove(watcher);
    if (isActive() == was)
        return;
    if (isActive()) {
        m_scanner = zcore::FrameScanner(); // a new watch starts at the next header
        m_link.setArrivalObserver([this](QByteArrayView bytes) -> qsizetype {
            for (const QByteArray &payload : m_scanner.feed(bytes))
                emit frameSeen(payload);
            // Nothing held can be decided before these have come.
            return m_scanner.neededBytes();
        });
    } else {
        m_link.setArrivalObserver({});
        m_scanner = zcore::FrameScanner(); // what it held is nobody's now
    }
}

void FrameTap::restart()
{
    for (const QByteArray &payload : m_scanner.finish())
        emit frameSeen(payload);
    m_scanner = zcore::FrameScanner();
}
