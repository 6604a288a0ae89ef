// The level marker beside the five calibration points, moved ten times a
// second (SensorX) to the row whose point equals the live sensor reading;
// while a point is being captured, the live reading is copied into it.
#pragma once

#include <QObject>

struct SharedState;
class MainWindow;

class LevelSensor : public QObject {
    Q_OBJECT
public:
    LevelSensor(SharedState &state, MainWindow &window, QObject *parent);

    void tick();

private:
    SharedState &m_state;
    MainWindow &m_window;
};
