// Records every frame the unit sends, every command the tool sends and the
// link's events into a CSV file (core/recording.h has its columns), rows in
// the order they happen. Rows are written through to the file at least once
// a second, so a crash loses at most the last second. A write error or a
// full disk stops the recording with a message in the message log, and the
// file keeps only whole rows.
#pragma once

#include "core/recording.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

struct SharedState;

class Recorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kFlushMs = 1000;
    static inline const QString kWriteFailed = QStringLiteral("Kayıt Durdu: Yazılamadı!");

    explicit Recorder(SharedState &state, QObject *parent = nullptr);
    ~Recorder() override;

    // Creates or replaces the file and writes its column names; false, with
    // the reason in *why, when it cannot be written.
    bool start(const QString &path, QString *why);
    // Writes out what is left and closes the file.
    void stop();

    bool isActive() const { return m_file.isOpen(); }
    // The file of the current or last recording, and the rows it got.
    QString fileName() const { return m_path; }
    qint64 frameRows() const { return m_frames; }
    qint64 commandRows() const { return m_commands; }

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
    void fail();

    SharedState &m_state;
    QFile m_file;
    QString m_path;
    QTimer m_flush;
    QElapsedTimer m_elapsed;
    qint64 m_whole = 0; // bytes of the file known written whole
    qint64 m_frames = 0;
    qint64 m_commands = 0;
};
