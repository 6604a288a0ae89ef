// Standard input of the automation channel, cut into request lines. On Unix
// a socket notifier watches the descriptor; on Windows, where standard input
// (a console or a pipe) cannot be watched that way, a reader thread blocks
// in ReadFile on it (zcore::ReaderThread). stop() cancels that read until
// the thread has left it; nothing the thread reads is handed on after that.
#pragma once

#include "core/inputlines.h"
#include "core/readerthread.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;

class AutomationInput : public QObject {
    Q_OBJECT
public:
    // One request is one line; a line longer than this is cut (and so is no
    // valid request).
    static constexpr qsizetype kLongestLine = 4 * 1024 * 1024;

    explicit AutomationInput(QObject *parent);
    ~AutomationInput() override;

    // Starts reading standard input.
    void start();

    // Stops reading: no further line or end is reported.
    void stop();

signals:
    void lineReceived(const QByteArray &line);
    // The input ended (closed, or it cannot be read).
    void ended();

private:
    void take(QByteArrayView bytes);
    void finish();

    zcore::InputLines m_lines{kLongestLine};
    bool m_stopped = false;
#ifdef Q_OS_UNIX
    QSocketNotifier *m_notifier = nullptr;
#else
    std::unique_ptr<zcore::ReaderThread> m_reader;
#endif
};
