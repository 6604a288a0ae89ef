// The unit's receiving side: stamps the bytes the tool sends with their
// arrival time, takes them apart into commands, hands each command to the
// frame source and logs it on stdout.
#pragma once

#include "commandreader.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace zsim {

class FrameSource;

class CommandListener : public QObject {
    Q_OBJECT
public:
    static constexpr int kExpiryCheckMs = 50;

    CommandListener(FrameSource *source, QObject *parent);

    void take(const QByteArray &bytes);

private:
    void expire();
    void report(const QList<CommandReader::Event> &events);
    double nowMs() const;

    FrameSource *m_source = nullptr;
    CommandReader m_reader;
    QElapsedTimer m_clock;
    QTimer *m_expiry = nullptr;
};

} // namespace zsim
