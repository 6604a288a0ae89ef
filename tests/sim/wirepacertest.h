#pragma once

#include <QObject>

class WirePacerTest : public QObject {
    Q_OBJECT
private slots:
    void busyLineCarriesNoMoreThan960BytesASecond_data();
    void busyLineCarriesNoMoreThan960BytesASecond();
    void idleLineSavesNoCreditForABurst();
    void frameTakesItsTimeOnTheLine();
};
