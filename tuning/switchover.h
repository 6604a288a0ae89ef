// The switch-over temperature: typed into the entry box that a click on the
// label opens, or stepped one degree with the arrows; each change is sent at
// once as 230 minus the temperature.
#pragma once

#include "ui/pointer.h"

#include <QObject>

struct SharedState;
class MainWindow;
class CommandSender;

class SwitchOver : public QObject {
    Q_OBJECT
public:
    // decimalPoint: the desktop's decimal separator, for the stepped caption.
    SwitchOver(SharedState &state, MainWindow &window, CommandSender &sender, QChar decimalPoint,
               QObject *parent = nullptr);

    void labelClicked();
    void entryKeyDown(int keyCode);
    void step(int degrees); // +1 raise, -1 lower
    void labelPointerMoved(TwipsPoint at);

private:
    SharedState &m_state;
    MainWindow &m_window;
    CommandSender &m_sender;
    QChar m_decimalPoint = QLatin1Char('.');
};
