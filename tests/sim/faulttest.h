#pragma once

#include <QObject>

class FaultTest : public QObject {
    Q_OBJECT
private slots:
    void controlLineAsksForAFault_data();
    void controlLineAsksForAFault();
    void controlLineIsRefusedWithItsReason_data();
    void controlLineIsRefusedWithItsReason();
    void faultOptionPlansAFault_data();
    void faultOptionPlansAFault();
    void faultOptionIsRefusedWithItsReason_data();
    void faultOptionIsRefusedWithItsReason();
    void plannedFaultsFallDueInTimeOrderThenOptionOrder();
};
