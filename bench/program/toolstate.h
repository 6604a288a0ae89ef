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

} // namespace programbench
