// Drives the real programs for end-to-end tests: the simulated unit on a
// pseudo-terminal and the tool through its automation channel.
#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

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
    // The next "command <code> <value> gaps <ms> <ms>" line the unit logs;
    // empty when none comes in time. Other lines are dropped.
    QString nextCommand(int timeoutMs = 4000);

    QProcess process;

private:
    QByteArray m_buffer;
};

class ToolSession {
public:
    ~ToolSession();
    // A configuration folder whose port 1 is the given device and whose port file names port 1.
    bool prepareConfig(const QString &device, const QByteArray &portFile = "\"Com-1\"\r\n");
    bool start(const QStringList &extra = {"--manual-timers"});
    // Variables set for the tool on top of this process's environment
    // (a desktop's locale, say); taken by start().
    QProcessEnvironment extraEnvironment;
    QJsonObject request(const QJsonObject &request, int timeoutMs = 15000);
    // The next reply line, without sending anything.
    QJsonObject nextReply(int timeoutMs = 15000);
    QJsonObject state();
    // The element's state from a fresh state request.
    QJsonObject element(const QString &name);
    int tick(const QString &timer, int count = 1);
    // Waits a poll period and runs the poll cycle, up to `cycles` times, until
    // the element's text passes `done`; returns the last text.
    QString pollUntil(const QString &element, const std::function<bool(const QString &)> &done,
                      int cycles = 10);
    void wait(int ms);
    bool finish(int timeoutMs = 5000); // end of input; true when the program ended cleanly

    QTemporaryDir config;
    QProcess process;

private:
    QByteArray m_buffer;
};
