// Reads a recording for the graph window on a thread of its own: the file
// read, its rows checked and turned into samples there, so that the event
// loop goes on meanwhile (the serial port is read, frames are recorded and
// drawn). Reading the largest file a recording may be (256 MiB) takes
// seconds, longer than the unit's frames can wait in the driver.
//
// One read at a time. The thread only reads and computes; everything it
// hands over is taken on the GUI thread once it has ended.
#pragma once

#include "telemetry/graphsamples.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

class GraphRecordingReader : public QObject {
    Q_OBJECT
public:
    explicit GraphRecordingReader(QObject *parent = nullptr);
    // Stops a read that runs and waits for its thread (at most the time of
    // one step of the reader, about a mebibyte's work).
    ~GraphRecordingReader() override;

    // Starts reading the file; false while another read runs.
    bool start(const QString &path);
    // Stops the read that runs; finished() follows with cancelled set.
    void cancel();
    bool isReading() const { return m_thread != nullptr; }
    QString path() const { return m_path; }

    // The recording of the last read that succeeded, taken once.
    std::unique_ptr<GraphRecording> take() { return std::move(m_result); }

signals:
    // How far the read has come, 0-100, now and then.
    void progressed(int percent);
    // Once per start: why is empty when the recording can be taken; a read
    // stopped by cancel() has cancelled set and no reason.
    void finished(const QString &why, bool cancelled);

private:
    void run(); // on the thread
    void ended();
    void tell(int percent); // from the thread

    QString m_path;
    QThread *m_thread = nullptr; // owned while a read runs
    std::atomic<bool> m_cancel = false;
    int m_told = -1; // the thread's last percent
    // Written by the thread, read after it has ended.
    std::unique_ptr<GraphRecording> m_result;
    QString m_why;
};
