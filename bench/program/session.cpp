#include "session.h"

#include "benchclock.h"

#include <QFile>

namespace programbench {

Session::Session(const Options &options, Program program)
    : m_kind(program), m_underProfiler(options.underProfiler())
{
    m_program.extraEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), options.platform);
    m_program.stderrFile = m_program.config.filePath(QStringLiteral("stderr.txt"));
    m_program.timeoutScale = options.timeoutScale;
    if (program == Program::Floor) {
        m_program.program = QStringLiteral(ZENDALITE_FLOOR_BIN);
    } else {
        if (!options.tool.isEmpty())
            m_program.program = options.tool;
        m_program.wrapper = options.wrap;
    }
}

bool Session::connect(const QString &what, QStringList *problems)
{
    const QString link = m_linkDir.filePath(QStringLiteral("unit"));
    if (m_unit.open(link) && m_program.prepareConfig(link))
        return true;
    problems->append(what + QStringLiteral(": cannot make the pseudo-terminal"));
    return false;
}

void Session::connectNowhere()
{
    m_program.prepareConfig(m_linkDir.filePath(QStringLiteral("no-such-device")));
}

bool Session::start(const QStringList &more)
{
    if (m_kind == Program::Floor)
        return m_program.startWith(more);
    return m_program.start(more);
}

bool Session::startTool(const QString &what, QStringList *problems, const QStringList &more)
{
    if (start(more))
        return true;
    problems->append(what + QStringLiteral(": zendalite did not start"));
    return false;
}

bool Session::waitForState(const std::function<bool(const QJsonObject &)> &ready, QJsonObject *last)
{
    for (int i = 0; i < 100; ++i) {
        const QJsonObject s = state();
        if (last)
            *last = s;
        if (ready(s))
            return true;
        sleepMs(50);
    }
    return false;
}

QJsonObject Session::op(const QString &name, QJsonObject fields, int timeoutMs)
{
    fields.insert(QStringLiteral("op"), name);
    return m_program.request(fields, timeoutMs);
}

void Session::quit() { m_program.quit(); }

qint64 Session::startedNs() const { return toNs(m_program.startedAt); }

QString Session::stderrText() const
{
    QFile f(m_program.stderrFile);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void Session::lingerForProfiler() const
{
    if (m_underProfiler)
        sleepMs(3000);
}

} // namespace programbench
