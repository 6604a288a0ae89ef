#include "automationclient.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcessEnvironment>

SimulatedUnit::~SimulatedUnit() { stop(); }

QString SimulatedUnit::nextLine(const QString &prefix, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (const QString &line : lines())
            if (line.startsWith(prefix))
                return line;
        process.waitForReadyRead(50);
    }
    return {};
}

QString SimulatedUnit::nextCommand(int timeoutMs)
{
    return nextLine(QStringLiteral("command "), timeoutMs);
}

bool SimulatedUnit::start(const QString &linkPath, const QStringList &extra)
{
    process.setProgram(QStringLiteral(ZENDALITE_SIM_BIN));
    process.setArguments(QStringList{QStringLiteral("--link"), linkPath} + extra);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(5000))
        return false;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        process.waitForReadyRead(100);
        m_buffer.append(process.readAllStandardOutput());
        const qsizetype nl = m_buffer.indexOf('\n');
        if (nl >= 0 && m_buffer.startsWith("ready ")) {
            m_buffer.remove(0, nl + 1);
            return true;
        }
        if (process.state() != QProcess::Running)
            return false;
    }
    return false;
}

void SimulatedUnit::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QStringList SimulatedUnit::lines()
{
    m_buffer.append(process.readAllStandardOutput());
    QStringList out;
    qsizetype nl;
    while ((nl = m_buffer.indexOf('\n')) >= 0) {
        out.append(QString::fromUtf8(m_buffer.left(nl)));
        m_buffer.remove(0, nl + 1);
    }
    return out;
}

bool SimulatedUnit::fault(const QString &control, int timeoutMs)
{
    process.write(control.toUtf8() + '\n');
    return !nextLine(QStringLiteral("fault ") + control.section(QLatin1Char(' '), 0, 0), timeoutMs)
                .isEmpty();
}

ToolSession::ToolSession() : program(QStringLiteral(ZENDALITE_BIN)) {}

ToolSession::~ToolSession()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
}

bool ToolSession::prepareConfig(const QString &device, const QByteArray &portFile)
{
    const QDir dir(config.filePath(QStringLiteral("zendalite")));
    if (!dir.mkpath(QStringLiteral("ports")))
        return false;
    QFile::remove(dir.filePath(QStringLiteral("ports/com1")));
    if (!QFile::link(device, dir.filePath(QStringLiteral("ports/com1"))))
        return false;
    QFile file(dir.filePath(QStringLiteral("Ecu.ini")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(portFile);
    return true;
}

bool ToolSession::start(const QStringList &extra)
{
    return startWith(QStringList{QStringLiteral("--automation")} + extra);
}

bool ToolSession::startWith(const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(extraEnvironment);
    process.setProcessEnvironment(env);
    if (wrapper.isEmpty()) {
        process.setProgram(program);
        process.setArguments(arguments);
    } else {
        process.setProgram(wrapper.first());
        process.setArguments(wrapper.mid(1) + QStringList{program} + arguments);
    }
    process.setProcessChannelMode(QProcess::SeparateChannels);
    if (!stderrFile.isEmpty())
        process.setStandardErrorFile(stderrFile);
    startedAt = std::chrono::steady_clock::now();
    process.start();
    return process.waitForStarted(5000 * timeoutScale);
}

QJsonObject ToolSession::request(const QJsonObject &request, int timeoutMs)
{
    process.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    return nextReply(timeoutMs);
}

QJsonObject ToolSession::nextReply(int timeoutMs)
{
    const QDeadlineTimer deadline(qint64(timeoutMs) * timeoutScale);
    while (!deadline.hasExpired()) {
        const qsizetype nl = m_buffer.indexOf('\n');
        if (nl >= 0) {
            const QByteArray line = m_buffer.left(nl);
            m_buffer.remove(0, nl + 1);
            return QJsonDocument::fromJson(line).object();
        }
        if (process.state() != QProcess::Running)
            break;
        process.waitForReadyRead(50);
        m_buffer.append(process.readAllStandardOutput());
    }
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), QStringLiteral("no reply")}};
}

QJsonObject ToolSession::state()
{
    return request({{QStringLiteral("op"), QStringLiteral("state")}});
}

QJsonObject ToolSession::element(const QString &name)
{
    return state().value(QStringLiteral("elements")).toObject().value(name).toObject();
}

QString ToolSession::text(const QString &element)
{
    return this->element(element).value(QStringLiteral("text")).toString();
}

bool ToolSession::windowVisible(const QString &window)
{
    return state()
        .value(QStringLiteral("windows"))
        .toObject()
        .value(window)
        .toObject()
        .value(QStringLiteral("visible"))
        .toBool();
}

QJsonValue ToolSession::shared(const QString &key)
{
    return state().value(QStringLiteral("shared")).toObject().value(key);
}

bool ToolSession::ok(const QString &op, QJsonObject fields)
{
    fields.insert(QStringLiteral("op"), op);
    return request(fields).value(QStringLiteral("ok")).toBool();
}

bool ToolSession::retype(const QString &box, const QString &text)
{
    const QString target = QStringLiteral("target"), code = QStringLiteral("code");
    for (qsizetype i = this->text(box).size(); i > 0; --i)
        ok(QStringLiteral("key"), {{target, box}, {code, 8}});
    return ok(QStringLiteral("type"), {{target, box}, {QStringLiteral("text"), text}}) &&
           ok(QStringLiteral("key"), {{target, box}, {code, 13}});
}

int ToolSession::tick(const QString &timer, int count)
{
    return request({{QStringLiteral("op"), QStringLiteral("tick")},
                    {QStringLiteral("timer"), timer},
                    {QStringLiteral("count"), count}})
        .value(QStringLiteral("fired"))
        .toInt(-1);
}

QString ToolSession::pollUntil(const QString &element,
                               const std::function<bool(const QString &)> &done, int cycles)
{
    QString text;
    for (int i = 0; i < cycles; ++i) {
        wait(300);
        tick(QStringLiteral("Timer2"));
        text = this->element(element).value(QStringLiteral("text")).toString();
        if (done(text))
            break;
    }
    return text;
}

void ToolSession::wait(int ms)
{
    request({{QStringLiteral("op"), QStringLiteral("wait")}, {QStringLiteral("ms"), ms}},
            ms + 15000);
}

bool ToolSession::finish(int timeoutMs)
{
    process.closeWriteChannel();
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool ToolSession::quit(int timeoutMs)
{
    if (process.state() != QProcess::Running)
        return false;
    request({{QStringLiteral("op"), QStringLiteral("quit")}}, timeoutMs);
    process.closeWriteChannel();
    if (process.waitForFinished(timeoutMs))
        return process.exitStatus() == QProcess::NormalExit;
    process.kill();
    process.waitForFinished(3000);
    return false;
}
