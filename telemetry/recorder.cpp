#include "recorder.h"

#include "core/plainfile.h"
#include "core/recording.h"
#include "filesync.h"
#include "ui/sharedstate.h"

#include <QDateTime>

Recorder::Recorder(SharedState &state, QObject *parent)
    : QObject(parent), m_state(state), m_sync(filesync::syncToDisk)
{
    m_flush.setInterval(kFlushMs);
    connect(&m_flush, &QTimer::timeout, this, [this] {
        if (flushRows() && ++m_flushes >= kSyncEvery)
            syncRows();
    });
}

Recorder::~Recorder() { stop(); }

bool Recorder::start(const QString &path, QString *why, Existing existing)
{
    if (isActive()) {
        *why = tr("kayıt zaten sürüyor");
        return false;
    }
    // Opened for writing, a named pipe would wait for a reader.
    if (const QString notPlain = zcore::notAPlainFile(path); !notPlain.isEmpty()) {
        *why = notPlain;
        return false;
    }
    m_file.setFileName(path);
    // NewOnly leaves it to the system to refuse a file that is there, even
    // one made a moment ago by another copy of the tool.
    const QIODevice::OpenMode mode = existing == Existing::Refuse
                                         ? QIODevice::WriteOnly | QIODevice::NewOnly
                                         : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!m_file.open(mode)) {
        *why = tr("%1 yazılamıyor: %2").arg(path, m_file.errorString());
        return false;
    }
    m_path = path;
    m_frames = 0;
    m_commands = 0;
    m_whole = 0;
    m_elapsed.start();
    // The column names go to the disk at once: a file that takes nothing
    // (a full disk) refuses the recording here, and one cut by a power loss
    // soon after is still a recording.
    if (m_file.write(zcore::recordingHeaderLine()) < 0 || !m_file.flush() || !m_sync(m_file)) {
        *why = tr("%1 yazılamıyor: %2").arg(path, m_file.errorString());
        m_file.close();
        // A file made for this recording alone is not left behind.
        if (existing == Existing::Refuse)
            m_file.remove();
        return false;
    }
    m_whole = m_file.pos();
    m_synced = m_whole;
    m_flushes = 0;
    m_flush.start();
    emit activeChanged(true);
    return true;
}

void Recorder::stop()
{
    if (!isActive())
        return;
    m_flush.stop();
    write(zcore::RecordEvent::RecordingStopped);
    if (!flushRows() || !syncRows())
        return; // fail() closed it
    m_file.close();
    emit activeChanged(false);
}

void Recorder::frame(const QByteArray &payload)
{
    if (!isActive())
        return;
    ++m_frames;
    write(zcore::RecordEvent::Frame, payload);
}

void Recorder::command(int code, int value)
{
    if (!isActive())
        return;
    ++m_commands;
    write(zcore::RecordEvent::Command, {}, code, value);
}

void Recorder::linkEvent(zcore::RecordEvent event)
{
    if (isActive())
        write(event);
}

void Recorder::write(zcore::RecordEvent event, const QByteArray &payload, int code, int value)
{
    zcore::RecordRow row;
    row.time = QDateTime::currentDateTime();
    row.elapsedMs = m_elapsed.elapsed();
    row.event = event;
    row.payload = payload;
    row.code = code;
    row.value = value;
    if (m_file.write(zcore::recordingLine(row)) < 0)
        fail();
}

bool Recorder::flushRows()
{
    if (!m_file.flush()) {
        fail();
        return false;
    }
    m_whole = m_file.pos();
    return true;
}

bool Recorder::syncRows()
{
    m_flushes = 0;
    if (m_synced == m_whole)
        return true; // nothing new since the last sync
    if (!m_sync(m_file)) {
        fail();
        return false;
    }
    m_synced = m_whole;
    return true;
}

void Recorder::fail()
{
    // Only whole rows stay: the file is cut back to what was written whole.
    m_flush.stop();
    m_file.close();
    QFile::resize(m_path, m_whole);
    m_state.statusMessage = kWriteFailed;
    emit activeChanged(false);
}
