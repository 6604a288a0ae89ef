// The poll cycle: every tick of Timer2 takes what has arrived on the port,
// keeps the link status, and hands one accepted frame to the display.
#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

struct SharedState;
class SerialLink;
class MainWindow;

class PollCycle : public QObject {
    Q_OBJECT
public:
    using FrameHandler = std::function<void(const QByteArray &payload)>;

    PollCycle(SharedState &state, SerialLink &link, MainWindow &window, QObject *parent = nullptr);

    // Decoding and display of an accepted payload (runs before the diagnostic line).
    void setFrameHandler(FrameHandler handler) { m_onFrame = std::move(handler); }

    void tick();

signals:
    // Every frame the cycle accepted, after the window shows it.
    void frameAccepted(const QByteArray &payload);

private:
    SharedState &m_state;
    SerialLink &m_link;
    MainWindow &m_window;
    FrameHandler m_onFrame;
};
