#include "automationstate.h"

#include "appshell.h"
#include "link/seriallink.h"
#include "telemetry/graphwindow.h"
#include "tuning/assistantwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinbutton.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QJsonArray>

#include <cmath>

namespace {

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

QJsonObject elementState(const QObject *element)
{
    QJsonObject o;
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

QJsonObject windowState(const QWidget *w)
{
    QJsonObject o;
    o.insert(QStringLiteral("exists"), w != nullptr);
    o.insert(QStringLiteral("visible"), w && w->isVisible());
    o.insert(QStringLiteral("title"), w ? w->windowTitle() : QString());
    o.insert(QStringLiteral("minimized"), w && (w->windowState() & Qt::WindowMinimized));
    return o;
}

QJsonObject sharedState(const SharedState &s)
{
    return {{QStringLiteral("linkStatus"), s.linkStatus},
            {QStringLiteral("silentTicks"), s.silentTicks},
            {QStringLiteral("sensorLevel"), s.sensorLevel},
            {QStringLiteral("levelCalibStep"), s.levelCalibStep},
            {QStringLiteral("iniPath"), s.iniPath},
            {QStringLiteral("statusMessage"), s.statusMessage},
            {QStringLiteral("statusFade"), s.statusFade}};
}

QJsonArray chartState(const MainWindow &main)
{
    QJsonArray chart;
    if (const auto &boxes = main.chart()) {
        for (const zcore::ChartBox &b : *boxes)
            chart.append(
                QJsonObject{{QStringLiteral("left"), b.left},
                            {QStringLiteral("top"), b.top},
                            {QStringLiteral("right"), b.right},
                            {QStringLiteral("bottom"), b.bottom},
                            {QStringLiteral("color"), colourText(QColor::fromRgb(b.rgb))}});
    }
    return chart;
}

QJsonObject restoreState(const SettingsRestore &restore)
{
    QJsonArray items;
    for (const SettingsRestore::Item &item : restore.items())
        items.append(
            QJsonObject{{QStringLiteral("setting"), item.setting.name},
                        {QStringLiteral("code"), item.setting.code},
                        {QStringLiteral("wanted"), item.setting.value},
                        {QStringLiteral("got"), item.got ? QJsonValue(*item.got) : QJsonValue()},
                        {QStringLiteral("ok"), item.ok},
                        {QStringLiteral("sent"), item.sent}});
    return {{QStringLiteral("state"), SettingsRestore::stateName(restore.state())},
            {QStringLiteral("items"), items}};
}

QJsonObject recorderState(const Recorder &recorder)
{
    return {{QStringLiteral("active"), recorder.isActive()},
            {QStringLiteral("file"), recorder.fileName()},
            {QStringLiteral("frames"), recorder.frameRows()},
            {QStringLiteral("commands"), recorder.commandRows()}};
}

QJsonArray numbers(const std::array<double, 4> &values)
{
    QJsonArray a;
    for (double v : values)
        a.append(std::isfinite(v) ? QJsonValue(v) : QJsonValue());
    return a;
}

QJsonObject graphState(const GraphWindow *graph)
{
    QJsonValue last;
    if (const auto newest = graph ? graph->newest() : std::nullopt)
        last = QJsonObject{
            {QStringLiteral("elapsed_ms"), newest->elapsedMs},
            {QStringLiteral("in"), numbers(newest->inMs)},
            {QStringLiteral("out"), numbers(newest->outMs)},
            {QStringLiteral("rpm"), newest->rpm ? QJsonValue(*newest->rpm) : QJsonValue()}};
    return {{QStringLiteral("samples"), graph ? graph->sampleCount() : 0},
            {QStringLiteral("last"), last},
            {QStringLiteral("breaks"), graph ? graph->breakCount() : 0}};
}

QJsonValue orNull(const std::optional<double> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue orNull(const std::optional<int> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject assistantState(const AssistantActions &assistant)
{
    QJsonArray bands;
    for (const zcore::BandReport &r : assistant.session().reports())
        bands.append(QJsonObject{
            {QStringLiteral("band"), r.band},
            {QStringLiteral("petrol"), QJsonObject{{QStringLiteral("samples"), r.petrolSamples},
                                                   {QStringLiteral("in_ms"), orNull(r.petrolMs)}}},
            {QStringLiteral("gas"), QJsonObject{{QStringLiteral("samples"), r.gasSamples},
                                                {QStringLiteral("in_ms"), orNull(r.gasMs)}}},
            {QStringLiteral("error_pct"), orNull(r.proposal.errorPct)},
            {QStringLiteral("level"), orNull(r.level)},
            {QStringLiteral("proposed"), orNull(r.proposal.level)},
            {QStringLiteral("why"), r.proposal.why}});
    return {{QStringLiteral("active"), assistant.isActive()}, {QStringLiteral("bands"), bands}};
}

} // namespace

QJsonObject automationState(AppShell &shell)
{
    QJsonObject windows;
    windows.insert(QStringLiteral("main"), windowState(&shell.mainWindow()));
    windows.insert(QStringLiteral("ComPort"), windowState(&shell.comPort()));
    windows.insert(QStringLiteral("Help"), windowState(shell.help()));
    windows.insert(QStringLiteral("Graph"), windowState(shell.recording().graph()));
    windows.insert(QStringLiteral("Preview"), windowState(shell.settings().previewWindow()));
    windows.insert(QStringLiteral("Assistant"), windowState(shell.assistant().window()));

    QJsonObject elements;
    for (const auto &[name, element] : shell.mainWindow().namedElements())
        elements.insert(name, elementState(element));
    elements.insert(QStringLiteral("MSComm1"),
                    QJsonObject{{QStringLiteral("kind"), QStringLiteral("serial")},
                                {QStringLiteral("open"), shell.link().isOpen()},
                                {QStringLiteral("port"), shell.link().portNumber()}});
    for (const auto &[name, element] : shell.comPort().elements().entries())
        elements.insert(name, elementState(element));
    if (const HelpWindow *help = shell.help()) {
        for (const auto &[name, element] : help->elements().entries())
            elements.insert(name, elementState(element));
    } else {
        // The help window's browser while the window does not exist.
        for (const QString &name : HelpWindow::elementNames())
            elements.insert(name, QJsonObject{{QStringLiteral("kind"), QStringLiteral("browser")},
                                              {QStringLiteral("document"), QString()}});
    }

    return {{QStringLiteral("windows"), windows},
            {QStringLiteral("elements"), elements},
            {QStringLiteral("shared"), sharedState(shell.state())},
            {QStringLiteral("chart"), chartState(shell.mainWindow())},
            {QStringLiteral("restore"), restoreState(shell.settings().restore())},
            {QStringLiteral("recorder"), recorderState(shell.recording().recorder())},
            {QStringLiteral("graph"), graphState(shell.recording().graph())},
            {QStringLiteral("assistant"), assistantState(shell.assistant())}};
}
