// Drives the real programs from outside, for the end-to-end tests and the
// whole-program benchmark: the simulated unit on a pseudo-terminal and the
// tool through its automation channel (a static library of its own,
// zendalite_automationclient, that knows where both programs were built).
#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>

class SimulatedUnit {
public:
    ~SimulatedUnit();
    // Starts zendalite-sim publishing its device at linkPath; waits for "ready".
    bool start(const QString &linkPath, const QStringList &extra = {});
    void stop();
    // Lines the unit printed after "ready" (commands, stray bytes).
    QStringList lines();
    // Asks for a fault ("unplug", "garbage 200", ...) and waits until the
    // unit says it is carried out.
    bool fault(const QString &control, int timeoutMs = 10000);
    // The next line the unit logs that starts with the prefix; empty when
    // none comes in time. Other lines are dropped.
    QString nextLine(const QString &prefix, int timeoutMs = 4000);
    // The next "command <code> <value> gaps <ms> <ms>" line.
    QString nextCommand(int timeoutMs = 4000);

    QProcess process;

private:
    QByteArray m_buffer;
};

class ToolSession {
public:
    ToolSession();
    ~ToolSession();
    // A configuration folder whose port 1 is the given device and whose port file names port 1.
    bool prepareConfig(const QString &device, const QByteArray &portFile = "\"Com-1\"\r\n");
    // Starts the program with --automation and the extra arguments.
    bool start(const QStringList &extra = {"--manual-timers"});
    // Starts the program with exactly these arguments.
    bool startWith(const QStringList &arguments);

    // What start() runs: the tool built beside the tests unless changed
    // (another build, or another program that answers the same requests).
    QString program;
    // A command the program runs under (a profiler), empty for none.
    QStringList wrapper;
    // Every wait for a reply lasts this many times longer (under a profiler).
    int timeoutScale = 1;
    // When set, the program's standard error goes to this file instead of process.
    QString stderrFile;
    // Variables set for the tool on top of this process's environment
    // (a desktop's locale, say); taken by start().
    QProcessEnvironment extraEnvironment;
    // The moment just before the process was started.
    std::chrono::steady_clock::time_point startedAt;

    QJsonObject request(const QJsonObject &request, int timeoutMs = 15000);
    // The next reply line, without sending anything.
    QJsonObject nextReply(int timeoutMs = 15000);
    QJsonObject state();
    // The element's state, its text, a window's visibility and a value of
    // the shared state ("linkStatus", ...), each from a fresh state request.
    QJsonObject element(const QString &name);
    QString text(const QString &element);
    bool windowVisible(const QString &window);
    QJsonValue shared(const QString &key);
    // Whether a request of this op with these fields was answered ok.
    bool ok(const QString &op, QJsonObject fields = {});
    // Empties the entry box, types text into it and presses Enter.
    bool retype(const QString &box, const QString &text);
    int tick(const QString &timer, int count = 1);
    // Waits a poll period and runs the poll cycle, up to `cycles` times, until
    // the element's text passes `done`; returns the last text.
    QString pollUntil(const QString &element, const std::function<bool(const QString &)> &done,
                      int cycles = 10);
    void wait(int ms);
    bool finish(int timeoutMs = 5000); // end of input; true when the program ended cleanly
    // Asks the program to quit and ends its input; kills it when it has not
    // ended in time. True when it ended by itself.
    bool quit(int timeoutMs = 5000);

    QTemporaryDir config;
    QProcess process;

private:
    QByteArray m_buffer;
};
