// Fuel and cylinder gas control: a double click on a face shows the other
// face of its indicator and at once sends the state of all five indicators
// as the fuel and cylinder mask.
#pragma once

#include "link/commandsender.h"

#include <QObject>

struct SharedState;
class MainWindow;
class SkinPicture;

class FuelControl : public QObject {
    Q_OBJECT
public:
    FuelControl(SharedState &state, MainWindow &window, CommandSender &sender,
                QObject *parent = nullptr);

    // sendsilindir: the mask from the visible faces, as command 4.
    CommandSender::Result sendMask();
    int maskFromFaces() const;

private:
    void faceDoubleClicked(SkinPicture *clicked, SkinPicture *other, const QString &message);

    SharedState &m_state;
    MainWindow &m_window;
    CommandSender &m_sender;
};
