#include "automation.h"

#include "appshell.h"
#include "automationinput.h"
#include "comportwindow.h"
#include "gestures.h"
#include "helpwindow.h"
#include "link/seriallink.h"
#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinbutton.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <cstdio>

namespace {

QJsonObject failure(const QString &why)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), why}};
}

QJsonObject success() { return {{QStringLiteral("ok"), true}}; }

QString colourText(const QColor &c) { return c.name(QColor::HexRgb).toUpper(); }

void putGeometry(QJsonObject &o, const ElementGeometry &g, const QWidget *w)
{
    o.insert(QStringLiteral("visible"), !w->isHidden());
    o.insert(QStringLiteral("left"), g.left());
    o.insert(QStringLiteral("top"), g.top());
    o.insert(QStringLiteral("width"), g.twipsWidth());
    o.insert(QStringLiteral("height"), g.twipsHeight());
}

bool hasFocus(const QWidget *w) { return w->window()->focusWidget() == w && w->isVisible(); }

} // namespace

Automation::Automation(AppShell &shell, bool manualTimers, QObject *parent)
    : QObject(parent), m_shell(shell), m_manualTimers(manualTimers),
      m_input(new AutomationInput(this))
{
    connect(&m_shell, &AppShell::programEnded, this, &Automation::programEnded);
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
        if (error.error != QJsonParseError::NoError || !doc.isObject()) {
            reply(failure(QStringLiteral("malformed request")));
            continue;
        }
        const QJsonObject request = doc.object();
        const bool wait = request.value(QStringLiteral("op")).toString() == QLatin1String("wait");
        if (const int ms = request.value(QStringLiteral("ms")).toInt(0); wait && ms > 0) {
            // The program runs on in its own event loop for the wait, not in
            // a loop nested in this one: a nested loop here runs inside a
            // timer's dispatch, where a device that keeps reporting a hang-up
            // could keep the loop from handling the port's queued close.
            // Requests that arrive meanwhile wait their turn.
            m_waiting = true;
            QTimer::singleShot(ms, Qt::PreciseTimer, this, [this] {
                m_waiting = false;
                if (m_ended)
                    return;
                reply(success());
                drain();
            });
            break;
        }
        reply(handle(request));
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

QObject *Automation::elementByName(const QString &name) const
{
    if (QObject *e = m_shell.mainWindow().element(name))
        return e;
    if (name == QLatin1String("Text1"))
        return m_shell.comPort().Text1();
    if (name == QLatin1String("Label1"))
        return m_shell.comPort().Label1();
    if (name == QLatin1String("WebBrowser1") && m_shell.help())
        return m_shell.help()->WebBrowser1();
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
    return nullptr;
}

QJsonObject Automation::handle(const QJsonObject &request)
{
    const QString op = request.value(QStringLiteral("op")).toString();
    if (op == QLatin1String("state")) {
        QJsonObject answer = state();
        answer.insert(QStringLiteral("ok"), true);
        return answer;
    }
    if (op == QLatin1String("wait")) // a wait of some time is run by drain()
        return success();
    if (op == QLatin1String("screenshot")) {
        const QString file = request.value(QStringLiteral("file")).toString();
        if (file.isEmpty())
            return failure(QStringLiteral("no file"));
        if (!m_shell.mainWindow().grab().save(file, "PNG"))
            return failure(QStringLiteral("cannot write %1").arg(file));
        return success();
    }
    if (op == QLatin1String("quit")) {
        m_quitting = true;
        QTimer::singleShot(0, this, &Automation::quitRequested);
        return success();
    }
    if (op == QLatin1String("tick")) {
        if (!m_manualTimers)
            return failure(QStringLiteral("tick needs --manual-timers"));
        auto *timer = qobject_cast<SkinTimer *>(
            elementByName(request.value(QStringLiteral("timer")).toString()));
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
    if (op == QLatin1String("close")) {
        QWidget *window = windowByName(request.value(QStringLiteral("window")).toString());
        if (!window)
            return failure(QStringLiteral("unknown window"));
        if (!window->isVisible())
            return failure(QStringLiteral("window is hidden"));
        window->close();
        return success();
    }

    const bool gesture = op == QLatin1String("click") || op == QLatin1String("dblclick") ||
                         op == QLatin1String("move") || op == QLatin1String("type") ||
                         op == QLatin1String("key");
    if (!gesture)
        return failure(QStringLiteral("unknown op"));

    const QString name = request.value(QStringLiteral("target")).toString();
    QWidget *target = nullptr;
    if (op == QLatin1String("move") && name == QLatin1String("main"))
        target = &m_shell.mainWindow();
    else
        target = qobject_cast<QWidget *>(elementByName(name));
    if (!target)
        return failure(QStringLiteral("unknown element"));
    if (!target->isVisible())
        return failure(QStringLiteral("element is hidden"));

    if (op == QLatin1String("click")) {
        gestures::click(target);
    } else if (op == QLatin1String("dblclick")) {
        gestures::doubleClick(target);
    } else if (op == QLatin1String("move")) {
        const double x = request.value(QStringLiteral("x")).toDouble();
        const double y = request.value(QStringLiteral("y")).toDouble();
        const int buttons = request.value(QStringLiteral("buttons")).toInt(0);
        gestures::move(target, QPointF(x / 15.0, y / 15.0), Qt::MouseButtons(buttons & 7));
    } else if (op == QLatin1String("type")) {
        if (!qobject_cast<SkinTextBox *>(target))
            return failure(QStringLiteral("not a text box"));
        gestures::typeText(target, request.value(QStringLiteral("text")).toString());
    } else {
        if (!gestures::key(target, request.value(QStringLiteral("code")).toInt(-1)))
            return failure(QStringLiteral("unknown key code"));
    }
    return success();
}

QJsonObject Automation::elementState(const QString &name, const QObject *element) const
{
    QJsonObject o;
    if (!element) {
        // The help window's browser before the window exists.
        if (name == QLatin1String("WebBrowser1")) {
            o.insert(QStringLiteral("kind"), QStringLiteral("browser"));
            o.insert(QStringLiteral("document"), QString());
        }
        return o;
    }
    if (const auto *l = qobject_cast<const SkinLabel *>(element)) {
        o.insert(QStringLiteral("kind"), QStringLiteral("label"));
        putGeometry(o, *l, l);
        o.insert(QStringLiteral("text"), l->caption());
        o.insert(QStringLiteral("fore"), colourText(l->foreColor()));
        o.insert(QStringLiteral("back"), colourText(l->backColor()));
        o.insert(QStringLiteral("focus"), hasFocus(l));
    } else if (const auto *p = qobject_cast<const SkinPicture *>(element)) {
        o.insert(QStringLiteral("kind"), QStringLiteral("picture"));
        putGeometry(o, *p, p);
        o.insert(QStringLiteral("focus"), hasFocus(p));
    } else if (const auto *t = qobject_cast<const SkinTextBox *>(element)) {
        o.insert(QStringLiteral("kind"), QStringLiteral("textbox"));
        putGeometry(o, *t, t);
        o.insert(QStringLiteral("text"), t->text());
        o.insert(QStringLiteral("fore"), colourText(t->palette().color(QPalette::Text)));
        o.insert(QStringLiteral("back"), colourText(t->palette().color(QPalette::Base)));
        o.insert(QStringLiteral("focus"), hasFocus(t));
    } else if (const auto *b = qobject_cast<const SkinButton *>(element)) {
        o.insert(QStringLiteral("kind"), QStringLiteral("button"));
        putGeometry(o, *b, b);
        o.insert(QStringLiteral("text"), b->text());
        o.insert(QStringLiteral("focus"), hasFocus(b));
    } else if (const auto *w = qobject_cast<const SkinBrowser *>(element)) {
        o.insert(QStringLiteral("kind"), QStringLiteral("browser"));
        putGeometry(o, *w, w);
        o.insert(QStringLiteral("document"), w->document());
    } else if (const auto *timer = qobject_cast<const SkinTimer *>(element)) {
        o.insert(QStringLiteral("kind"), QStringLiteral("timer"));
        o.insert(QStringLiteral("enabled"), timer->isEnabled());
        o.insert(QStringLiteral("interval"), timer->interval());
    }
    return o;
}

QJsonObject Automation::state() const
{
    auto windowState = [](const QWidget *w) {
        QJsonObject o;
        o.insert(QStringLiteral("exists"), w != nullptr);
        o.insert(QStringLiteral("visible"), w && w->isVisible());
        o.insert(QStringLiteral("title"), w ? w->windowTitle() : QString());
        o.insert(QStringLiteral("minimized"), w && (w->windowState() & Qt::WindowMinimized));
        return o;
    };
    QJsonObject windows;
    windows.insert(QStringLiteral("main"), windowState(&m_shell.mainWindow()));
    windows.insert(QStringLiteral("ComPort"), windowState(&m_shell.comPort()));
    windows.insert(QStringLiteral("Help"), windowState(m_shell.help()));

    QJsonObject elements;
    for (const auto &[name, element] : m_shell.mainWindow().namedElements())
        elements.insert(name, elementState(name, element));
    QJsonObject serial;
    serial.insert(QStringLiteral("kind"), QStringLiteral("serial"));
    serial.insert(QStringLiteral("open"), m_shell.link().isOpen());
    serial.insert(QStringLiteral("port"), m_shell.link().portNumber());
    elements.insert(QStringLiteral("MSComm1"), serial);
    for (const QString &name :
         {QStringLiteral("Text1"), QStringLiteral("Label1"), QStringLiteral("WebBrowser1")})
        elements.insert(name, elementState(name, elementByName(name)));

    const SharedState &s = m_shell.state();
    QJsonObject shared;
    shared.insert(QStringLiteral("linkStatus"), s.linkStatus);
    shared.insert(QStringLiteral("silentTicks"), s.silentTicks);
    shared.insert(QStringLiteral("sensorLevel"), s.sensorLevel);
    shared.insert(QStringLiteral("levelCalibStep"), s.levelCalibStep);
    shared.insert(QStringLiteral("iniPath"), s.iniPath);
    shared.insert(QStringLiteral("statusMessage"), s.statusMessage);
    shared.insert(QStringLiteral("statusFade"), s.statusFade);

    QJsonObject answer;
    answer.insert(QStringLiteral("windows"), windows);
    answer.insert(QStringLiteral("elements"), elements);
    answer.insert(QStringLiteral("shared"), shared);
    QJsonArray chart;
    if (const auto &boxes = m_shell.mainWindow().chart()) {
        for (const zcore::ChartBox &b : *boxes) {
            chart.append(
                QJsonObject{{QStringLiteral("left"), b.left},
                            {QStringLiteral("top"), b.top},
                            {QStringLiteral("right"), b.right},
                            {QStringLiteral("bottom"), b.bottom},
                            {QStringLiteral("color"), colourText(QColor::fromRgb(b.rgb))}});
        }
    }
    answer.insert(QStringLiteral("chart"), chart);
    return answer;
}
