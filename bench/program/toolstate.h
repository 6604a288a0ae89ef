// Readings from the reply to an automation `state` request.
#pragma once

#include <QJsonObject>
#include <QString>

namespace programbench {

bool mainVisible(const QJsonObject &state);
QString mainTitle(const QJsonObject &state);
bool portOpen(const QJsonObject &state);
QJsonObject element(const QJsonObject &state, const QString &name);
QString textOf(const QJsonObject &state, const QString &name);
QString sharedOf(const QJsonObject &state, const QString &name);
// The additions of the tool's own features: `recorder`, `graph` and the
// graph window's entry of `windows`.
QJsonObject recorderOf(const QJsonObject &state);
QJsonObject graphOf(const QJsonObject &state);
bool graphVisible(const QJsonObject &state);

} // namespace programbench
