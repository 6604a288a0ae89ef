// Records every frame the unit sends, every command the tool sends and the
// link's events into a CSV file (core/recording.h has its columns), rows in
// the order they happen. Rows are written through to the system at least
// once a second, so a crash of the program loses at most the last second,
// and put on the disk itself (synced) at least every 5 s and when the
// recording stops, so a power loss loses at most the last 5 s. A write or
// sync error or a full disk stops the recording with a message in the
// message log, and the file keeps only whole rows.
#pragma once

#include "core/recording.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

struct SharedState;

class Recorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kFlushMs = 1000;
    // Every this many write-throughs the file is synced as well (5 s).
    static constexpr int kSyncEvery = 5;
    // Puts what was written through on the disk; false when it cannot.
    using SyncFile = std::function<bool(QFileDevice &)>;
    static inline const QString kWriteFailed = QStringLiteral("Kayıt Durdu: Yazılamadı!");

    explicit Recorder(SharedState &state, QObject *parent = nullptr);
    ~Recorder() override;

    // What start() does with a file already there.
    enum class Existing {
        Replace, // the file named is created or replaced
        Refuse,  // the file is made only where none is: never another's
    };

    // Creates (or replaces) the file and writes its column names; false,
    // with the reason in *why, when it cannot be written or, with Refuse,
    // is there already.
    bool start(const QString &path, QString *why, Existing existing = Existing::Replace);
    // Writes out what is left and closes the file.
    void stop();

    bool isActive() const { return m_file.isOpen(); }
    // The file of the current or last recording, and the rows it got.
    QString fileName() const { return m_path; }
    qint64 frameRows() const { return m_frames; }
    qint64 commandRows() const { return m_commands; }

    // How the file is synced (filesync::syncToDisk unless changed) and how
    // often it is written through (kFlushMs); for tests.
    void setSyncFile(SyncFile sync) { m_sync = std::move(sync); }
    void setFlushInterval(int ms) { m_flush.setInterval(ms); }

    void frame(const QByteArray &payload);
    void command(int code, int value);
    // A link event: the port opened or closed, the device lost or back.
    void linkEvent(zcore::RecordEvent event);

signals:
    void activeChanged(bool active);

private:
    void write(zcore::RecordEvent event, const QByteArray &payload = {}, int code = -1,
               int value = -1);
    bool flushRows();
    bool syncRows();
    void fail();

    SharedState &m_state;
    QFile m_file;
    QString m_path;
    QTimer m_flush;
    QElapsedTimer m_elapsed;
    SyncFile m_sync;
    qint64 m_whole = 0;  // bytes of the file known written whole
    qint64 m_synced = 0; // of those, bytes synced
    int m_flushes = 0;   // write-throughs since the last sync
    qint64 m_frames = 0;
    qint64 m_commands = 0;
};
