// The process-wide variables that the handlers of all windows share: a small
// model the window layer, the features and start-up use. Never saved.
#pragma once

#include <QString>

struct SharedState {
    QString linkStatus;        // connection status line shown by Con1/con2
    double silentTicks = 0;    // poll cycles since the last read that counted as data
    double sensorLevel = 0;    // last gas level sensor reading, 0..255
    double levelCalibStep = 0; // calibration point being captured: 0 none, 1..5
    QString iniPath;           // path of the port file, as the tool names it
    QString statusMessage;     // one pending message for the message log
    double statusFade = 0;     // grey level of the pulsing status colour
};
