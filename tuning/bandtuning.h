// Mixture level per engine-speed band: a click on a band label opens the
// entry box over it; Enter sends the typed level for the band the box stands
// over. Pointing at a band label names its speed range.
#pragma once

#include "ui/pointer.h"

#include <QObject>

struct SharedState;
class MainWindow;
class CommandSender;

class BandTuning : public QObject {
    Q_OBJECT
public:
    // decimalPoint: the desktop's decimal separator, for the entry box's text.
    BandTuning(SharedState &state, MainWindow &window, CommandSender &sender, QChar decimalPoint,
               QObject *parent = nullptr);

    void bandClicked(int band); // 0..3
    void entryKeyDown(int keyCode);
    void bandPointerMoved(int band, TwipsPoint at);

private:
    SharedState &m_state;
    MainWindow &m_window;
    CommandSender &m_sender;
    QChar m_decimalPoint = QLatin1Char('.');
};
