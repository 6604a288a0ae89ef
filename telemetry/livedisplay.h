// Writes the live values of one accepted frame into the main window.
#pragma once

#include <QByteArray>
#include <QObject>

struct SharedState;
class MainWindow;

class LiveDisplay : public QObject {
    Q_OBJECT
public:
    LiveDisplay(SharedState &state, MainWindow &window, QObject *parent);

    void show(const QByteArray &payload);

private:
    SharedState &m_state;
    MainWindow &m_window;
};
