// Tank level sensor calibration: the first click on a point's label arms it
// (the live reading then flows into the label); the second click sends the
// label's value as that point and disarms it.
#pragma once

#include <QObject>

struct SharedState;
class MainWindow;
class CommandSender;

class LevelCalibration : public QObject {
    Q_OBJECT
public:
    LevelCalibration(SharedState &state, MainWindow &window, CommandSender &sender,
                     QObject *parent = nullptr);

    void pointClicked(int point); // 1 full .. 5 empty

private:
    SharedState &m_state;
    MainWindow &m_window;
    CommandSender &m_sender;
};
