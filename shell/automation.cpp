#include "automation.h"

#include "appshell.h"
#include "automationinput.h"
#include "automationstate.h"
#include "gestures.h"
#include "telemetry/graphwindow.h"
#include "tuning/assistantwindow.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

QJsonObject failure(const QString &why)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), why}};
}

QJsonObject success() { return {{QStringLiteral("ok"), true}}; }

// The largest wheel turn taken at once, in either direction (a thousand notches).
constexpr int kMostWheel = 120'000;

} // namespace

Automation::Automation(AppShell &shell, bool manualTimers, QObject *parent)
    : QObject(parent), m_shell(shell), m_manualTimers(manualTimers),
      m_input(new AutomationInput(this))
{
    connect(&m_shell, &AppShell::programEnded, this, &Automation::programEnded);
}

const QHash<QString, Automation::Handler> &Automation::handlers()
{
    static const QHash<QString, Handler> table{
        {QStringLiteral("state"), &Automation::state},
        {QStringLiteral("wait"), &Automation::wait},
        {QStringLiteral("screenshot"), &Automation::screenshot},
        {QStringLiteral("quit"), &Automation::quit},
        {QStringLiteral("tick"), &Automation::tick},
        {QStringLiteral("close"), &Automation::close},
        {QStringLiteral("wheel"), &Automation::wheel},
        {QStringLiteral("action"), &Automation::action},
    };
    return table;
}

void Automation::listen()
{
    connect(m_input, &AutomationInput::lineReceived, this, &Automation::enqueue);
    connect(m_input, &AutomationInput::ended, this, [this] {
        m_inputEnded = true;
        enqueue({});
    });
    m_input->start();
}

void Automation::programEnded()
{
    // The end is the end: nothing more is read, and requests already
    // waiting are dropped unanswered.
    m_ended = true;
    m_input->stop();
    m_pending.clear();
}

void Automation::enqueue(const QByteArray &line)
{
    if (!line.trimmed().isEmpty())
        m_pending.append(line);
    if (!m_draining && !m_ended)
        QTimer::singleShot(0, this, &Automation::drain);
}

void Automation::drain()
{
    if (m_draining || m_waiting || m_ended)
        return;
    m_draining = true;
    while (!m_pending.isEmpty() && !m_quitting && !m_ended) {
        // Let what is already pending happen first (bytes waiting at the
        // serial device reach the port's receive buffer).
        QCoreApplication::processEvents();
        if (m_ended)
            break;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(m_pending.takeFirst(), &error);
        const Reply answer = error.error == QJsonParseError::NoError && doc.isObject()
                                 ? handle(doc.object())
                                 : failure(QStringLiteral("malformed request"));
        if (!answer)
            break; // a wait: its timer replies and drains on
        reply(*answer);
    }
    m_draining = false;
    if (!m_waiting && m_inputEnded && m_pending.isEmpty() && !m_quitting && !m_ended) {
        m_quitting = true;
        m_shell.sonla();
    }
}

void Automation::reply(const QJsonObject &answer)
{
    const QByteArray text = QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

const QHash<QString, Automation::Gesture> &Automation::gestureHandlers()
{
    static const QHash<QString, Gesture> table{
        {QStringLiteral("click"), &Automation::click},
        {QStringLiteral("dblclick"), &Automation::doubleClick},
        {QStringLiteral("move"), &Automation::move},
        {QStringLiteral("type"), &Automation::type},
        {QStringLiteral("key"), &Automation::key},
    };
    return table;
}

Automation::Reply Automation::handle(const QJsonObject &request)
{
    const QString op = request.value(QStringLiteral("op")).toString();
    if (const Gesture gesture = gestureHandlers().value(op)) {
        // Every gesture goes to a visible element, found the same way.
        QString why;
        QWidget *target = gestureTarget(request, &why);
        if (!target)
            return failure(why);
        return (this->*gesture)(target, request);
    }
    const Handler handler = handlers().value(op);
    if (!handler)
        return failure(QStringLiteral("unknown op"));
    return (this->*handler)(request);
}

QObject *Automation::elementByName(const QString &name) const
{
    if (QObject *e = m_shell.mainWindow().element(name))
        return e;
    if (QObject *e = m_shell.comPort().elements().find(name))
        return e;
    if (const HelpWindow *help = m_shell.help())
        return help->elements().find(name);
    return nullptr;
}

QWidget *Automation::windowByName(const QString &name) const
{
    if (name == QLatin1String("main"))
        return &m_shell.mainWindow();
    if (name == QLatin1String("ComPort"))
        return &m_shell.comPort();
    if (name == QLatin1String("Help"))
        return m_shell.help();
    if (name == QLatin1String("Graph"))
        return m_shell.recording().graph();
    if (name == QLatin1String("Preview"))
        return m_shell.settings().previewWindow();
    if (name == QLatin1String("Assistant"))
        return m_shell.assistant().window();
    return nullptr;
}

Automation::Reply Automation::state(const QJsonObject &)
{
    QJsonObject answer = automationState(m_shell);
    answer.insert(QStringLiteral("ok"), true);
    return answer;
}

Automation::Reply Automation::wait(const QJsonObject &request)
{
    const int ms = request.value(QStringLiteral("ms")).toInt(0);
    if (ms <= 0)
        return success();
    // The program runs on in its own event loop for the wait, not in a loop
    // nested in this one: a nested loop here runs inside a timer's dispatch,
    // where a device that keeps reporting a hang-up could keep the loop from
    // handling the port's queued close. Requests that arrive meanwhile wait
    // their turn.
    m_waiting = true;
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this] {
        m_waiting = false;
        if (m_ended)
            return;
        reply(success());
        drain();
    });
    return std::nullopt;
}

Automation::Reply Automation::screenshot(const QJsonObject &request)
{
    const QString file = request.value(QStringLiteral("file")).toString();
    if (file.isEmpty())
        return failure(QStringLiteral("no file"));
    if (!m_shell.mainWindow().grab().save(file, "PNG"))
        return failure(QStringLiteral("cannot write %1").arg(file));
    return success();
}

Automation::Reply Automation::quit(const QJsonObject &)
{
    m_quitting = true;
    QTimer::singleShot(0, this, &Automation::quitRequested);
    return success();
}

Automation::Reply Automation::tick(const QJsonObject &request)
{
    if (!m_manualTimers)
        return failure(QStringLiteral("tick needs --manual-timers"));
    auto *timer =
        qobject_cast<SkinTimer *>(elementByName(request.value(QStringLiteral("timer")).toString()));
    if (!timer)
        return failure(QStringLiteral("unknown timer"));
    const int count = request.value(QStringLiteral("count")).toInt(1);
    int fired = 0;
    for (int i = 0; i < count; ++i)
        fired += timer->tickNow() ? 1 : 0;
    QJsonObject answer = success();
    answer.insert(QStringLiteral("fired"), fired);
    return answer;
}

Automation::Reply Automation::close(const QJsonObject &request)
{
    QWidget *window = windowByName(request.value(QStringLiteral("window")).toString());
    if (!window)
        return failure(QStringLiteral("unknown window"));
    if (!window->isVisible())
        return failure(QStringLiteral("window is hidden"));
    window->close();
    return success();
}

Automation::Reply Automation::wheel(const QJsonObject &request)
{
    const QString name = request.value(QStringLiteral("window")).toString();
    if (!windowByName(name))
        return failure(QStringLiteral("unknown window"));
    if (name != QLatin1String("Graph"))
        return failure(QStringLiteral("no wheel over this window"));
    GraphWindow *graph = m_shell.recording().graph();
    if (!graph->isVisible())
        return failure(QStringLiteral("window is hidden"));
    // 120 a notch, negative away from the user: Qt counts the other way.
    const int delta =
        std::clamp(request.value(QStringLiteral("delta")).toInt(0), -kMostWheel, kMostWheel);
    gestures::wheel(graph, graph->firstPlotCentre(), -delta);
    return success();
}

QWidget *Automation::gestureTarget(const QJsonObject &request, QString *why) const
{
    const QString name = request.value(QStringLiteral("target")).toString();
    QWidget *target = nullptr;
    if (request.value(QStringLiteral("op")).toString() == QLatin1String("move") &&
        name == QLatin1String("main"))
        target = &m_shell.mainWindow();
    else
        target = qobject_cast<QWidget *>(elementByName(name));
    if (!target)
        *why = QStringLiteral("unknown element");
    else if (!target->isVisible())
        *why = QStringLiteral("element is hidden");
    return why->isEmpty() ? target : nullptr;
}

Automation::Reply Automation::click(QWidget *target, const QJsonObject &)
{
    gestures::click(target);
    return success();
}

Automation::Reply Automation::doubleClick(QWidget *target, const QJsonObject &)
{
    gestures::doubleClick(target);
    return success();
}

Automation::Reply Automation::move(QWidget *target, const QJsonObject &request)
{
    const double x = request.value(QStringLiteral("x")).toDouble();
    const double y = request.value(QStringLiteral("y")).toDouble();
    const int buttons = request.value(QStringLiteral("buttons")).toInt(0);
    gestures::move(target, QPointF(x / 15.0, y / 15.0), Qt::MouseButtons(buttons & 7));
    return success();
}

Automation::Reply Automation::type(QWidget *target, const QJsonObject &request)
{
    if (!qobject_cast<SkinTextBox *>(target))
        return failure(QStringLiteral("not a text box"));
    gestures::typeText(target, request.value(QStringLiteral("text")).toString());
    return success();
}

Automation::Reply Automation::key(QWidget *target, const QJsonObject &request)
{
    if (!gestures::key(target, request.value(QStringLiteral("code")).toInt(-1)))
        return failure(QStringLiteral("unknown key code"));
    return success();
}

Automation::Reply Automation::action(const QJsonObject &request)
{
    // A script names the file: no dialog waits for a person here.
    static const QStringList needFile = {QStringLiteral("graph-open"),
                                         QStringLiteral("settings-save"),
                                         QStringLiteral("settings-load"), QStringLiteral("export")};
    if (needFile.contains(request.value(QStringLiteral("id")).toString()) &&
        request.value(QStringLiteral("file")).toString().isEmpty())
        return failure(QStringLiteral("no file"));
    // Most actions answer at once; one that answers later (a recording read
    // off the GUI thread) is replied to when it does, while the event loop
    // runs on, and the requests after it wait their turn, as for a wait.
    const auto answered = std::make_shared<std::optional<QJsonObject>>();
    const auto later = std::make_shared<bool>(false);
    m_shell.actions().run(
        request.value(QStringLiteral("id")).toString(),
        request.value(QStringLiteral("file")).toString(),
        [answered, later, guard = QPointer<Automation>(this)](const ToolActions::Result &result) {
            // An empty reason is a choice cancelled, as a person may.
            const QJsonObject answer =
                result.ok
                    ? success()
                    : failure(result.error.isEmpty() ? QStringLiteral("vazgeçildi") : result.error);
            if (!*later) {
                *answered = answer;
                return;
            }
            if (!guard || guard->m_ended)
                return;
            guard->m_waiting = false;
            guard->reply(answer);
            guard->drain();
        });
    if (*answered)
        return **answered;
    *later = true;
    m_waiting = true;
    return std::nullopt;
}
