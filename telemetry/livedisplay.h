// Writes the live values of one accepted frame into the main window, in a
// fixed order. The window is the live state: other parts read these captions
// and faces back.
#pragma once

#include <QByteArray>
#include <QObject>

struct SharedState;
class MainWindow;

class LiveDisplay : public QObject {
    Q_OBJECT
public:
    // Only the newest lines of a speed list are kept; the label shows about
    // six and only the first four characters are ever read back.
    static constexpr int kSpeedLinesKept = 50;

    // decimalPoint: the desktop's decimal separator, for fractions in captions.
    LiveDisplay(SharedState &state, MainWindow &window, QChar decimalPoint,
                QObject *parent = nullptr);

    void show(const QByteArray &payload);

private:
    SharedState &m_state;
    MainWindow &m_window;
    QChar m_decimalPoint = QLatin1Char('.');
};
