#include "toolstate.h"

#include <QVariant>

namespace programbench {

namespace {

QJsonObject window(const QJsonObject &state, const QString &name)
{
    return state.value(QStringLiteral("windows")).toObject().value(name).toObject();
}

QJsonObject mainWindow(const QJsonObject &state) { return window(state, QStringLiteral("main")); }

} // namespace

bool mainVisible(const QJsonObject &state)
{
    return mainWindow(state).value(QStringLiteral("visible")).toBool();
}

QString mainTitle(const QJsonObject &state)
{
    return mainWindow(state).value(QStringLiteral("title")).toString();
}

bool portOpen(const QJsonObject &state)
{
    return element(state, QStringLiteral("MSComm1")).value(QStringLiteral("open")).toBool();
}

QJsonObject element(const QJsonObject &state, const QString &name)
{
    return state.value(QStringLiteral("elements")).toObject().value(name).toObject();
}

QString textOf(const QJsonObject &state, const QString &name)
{
    return element(state, name).value(QStringLiteral("text")).toString();
}

QString sharedOf(const QJsonObject &state, const QString &name)
{
    return state.value(QStringLiteral("shared")).toObject().value(name).toVariant().toString();
}

QJsonObject recorderOf(const QJsonObject &state)
{
    return state.value(QStringLiteral("recorder")).toObject();
}

QJsonObject graphOf(const QJsonObject &state)
{
    return state.value(QStringLiteral("graph")).toObject();
}

bool graphVisible(const QJsonObject &state)
{
    return window(state, QStringLiteral("Graph")).value(QStringLiteral("visible")).toBool();
}

} // namespace programbench
