// One measuring session: the unit on its own pseudo-terminal, linked where
// the program's port file points, and the program itself driven through its
// automation channel (support/automationclient.h). The program is the tool
// (--tool picks another build, --wrap runs it under a profiler) or the
// floor window, which answers the same `state` and `quit` requests.
#pragma once

#include "options.h"
#include "ptyunit.h"

#include "support/automationclient.h"

#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace programbench {

class Session {
public:
    enum class Program { Tool, Floor };

    Session(const Options &options, Program program);

    // Makes the pseudo-terminal and the port file; says why not on failure.
    bool connect(const QString &what, QStringList *problems);
    // A port file whose port 1 names a device that does not exist.
    void connectNowhere();
    // Starts the tool with --automation and `more`, or the floor window with `more`.
    bool start(const QStringList &more = {});
    // start(), saying "<what>: zendalite did not start" on failure.
    bool startTool(const QString &what, QStringList *problems, const QStringList &more = {});
    // Asks for the state every 50 ms, 100 times at most, until `ready` says
    // yes; the last state when `last` is given.
    bool waitForState(const std::function<bool(const QJsonObject &)> &ready,
                      QJsonObject *last = nullptr);

    QJsonObject op(const QString &name, QJsonObject fields = {}, int timeoutMs = 20000);
    QJsonObject state() { return op(QStringLiteral("state")); }
    // Asks the program to quit; kills it when it does not.
    void quit();

    PtyUnit &unit() { return m_unit; }
    qint64 pid() const { return m_program.process.processId(); }
    qint64 startedNs() const;
    // What the program wrote on stderr so far.
    QString stderrText() const;
    // Under a profiler, the tool lives on a moment after a window closes, so
    // that a script watching the marks can still ask it for its counters.
    void lingerForProfiler() const;

private:
    Program m_kind;
    bool m_underProfiler = false;
    QTemporaryDir m_linkDir;
    PtyUnit m_unit;
    ToolSession m_program;
};

} // namespace programbench
