// The level marker beside the five calibration points, moved ten times a
// second (SensorX) to the row whose point equals the live sensor reading;
// while a point is being captured, the live reading is copied into it.
//
// A tick depends only on the reading, the point being captured, the five
// captions and the marker; a tick that changed none of them would change
// nothing the next time either. So SensorX is parked after such a tick and
// unparked when one of them changes: after a poll cycle or a click on a point.
#pragma once

#include <QObject>
#include <QString>

struct SharedState;
class MainWindow;

class LevelSensor : public QObject {
    Q_OBJECT
public:
    LevelSensor(SharedState &state, MainWindow &window, QObject *parent = nullptr);

    void tick();

private:
    struct Inputs {
        double reading = 0;
        double step = 0;
        double markerTop = 0;
        QString captions[5];
        bool operator==(const Inputs &) const = default;
    };
    Inputs inputs() const;
    void update();
    void wakeIfChanged();

    SharedState &m_state;
    MainWindow &m_window;
    Inputs m_parkedAt;
};
