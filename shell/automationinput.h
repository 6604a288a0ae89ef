// Standard input of the automation channel, cut into request lines. On Unix
// a socket notifier watches the descriptor; on Windows, where standard input
// cannot be watched that way, a reader thread owned by this object blocks on
// it and is stopped and joined before the object goes.
#pragma once

#include "core/inputlines.h"

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
    struct Reader;
    std::unique_ptr<Reader> m_reader;
#endif
};
