// Every frame the unit sends, seen at the link while someone wants them
// (the recorder, the graph window): all arriving bytes go through a
// streaming frame scanner, also the bytes the window's poll discards. The
// poll keeps exactly its own rules; with nobody watching, the link reads
// as it does without the tap.
#pragma once

#include "core/framescanner.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>

class SerialLink;

class FrameTap : public QObject {
    Q_OBJECT
public:
    explicit FrameTap(SerialLink &link, QObject *parent = nullptr);
    ~FrameTap() override;

    // A watcher ("recorder", "graph") wants frames, or no longer does.
    void setWanted(const QString &watcher, bool wanted);
    bool isActive() const { return !m_watchers.isEmpty(); }
    // The line was cut (port closed, device lost or back): the frames that
    // waited for the bytes after them are decided as if none followed (a
    // frame begun but not finished is dropped), and scanning starts again
    // at the next header.
    void restart();

signals:
    // Each frame's 34 payload bytes, as soon as the scanner has found it a
    // frame: at its last byte, or once the bytes after it have come.
    void frameSeen(const QByteArray &payload);

private:
    SerialLink &m_link;
    QSet<QString> m_watchers;
    zcore::FrameScanner m_scanner;
};
