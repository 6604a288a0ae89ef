// Control lines on standard input, one fault a line ("unplug", "garbage
// 200"). A line that is no control is answered "error <why>" on stdout.
// Without standard input (closed, /dev/null, at its end) there is simply no
// control; the unit runs on.
#pragma once

#include "core/inputlines.h"
#include "fault.h"

#include <QObject>

class QSocketNotifier;
class QTimer;

namespace zsim {

class ControlInput : public QObject {
    Q_OBJECT
public:
    // While the program runs in the background of a terminal, standard
    // input is looked at again this often instead.
    static constexpr int kBackgroundRetryMs = 500;

    explicit ControlInput(QObject *parent);

    // Starts reading standard input; false when it is not open.
    bool start();

signals:
    void faultAsked(const Fault &fault);

private:
    void readInput();
    void take(const QByteArrayList &lines);
    void stop();

    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_retry = nullptr;
    // A line longer than this is no control; it is cut and answered with an error.
    static constexpr qsizetype kLongestLine = 1024;
    zcore::InputLines m_lines{kLongestLine};
};

} // namespace zsim
