// Keeps the technician informed about the link: the status line (Timer1),
// the message log (Timer4), the no-ECU timeout (kapa), the port and help hot
// spots, and the swap of the engine-speed indicator's faces.
#pragma once

#include <QObject>

struct SharedState;
class MainWindow;

class LinkSupervision : public QObject {
    Q_OBJECT
public:
    // Only the newest lines of the message log are kept (the label shows
    // about eight); the log never needs more to behave as it does.
    static constexpr int kLogLinesKept = 200;

    LinkSupervision(SharedState &state, MainWindow &window, QObject *parent = nullptr);

    void showStatus();   // Timer1
    void showMessage();  // Timer4
    void noEcuTimeout(); // kapa

signals:
    void portChangeRequested(); // ChangePrt click
    void helpRequested();       // kablo click

private:
    SharedState &m_state;
    MainWindow &m_window;
};
