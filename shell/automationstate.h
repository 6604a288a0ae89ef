// The state reply of the automation channel: the windows, every named
// element of the three windows, the shared state and the band chart's last
// boxes, as one JSON object.
#pragma once

#include <QJsonObject>

class AppShell;

QJsonObject automationState(AppShell &shell);
