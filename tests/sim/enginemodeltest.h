#pragma once

#include <QObject>

class EngineModelTest : public QObject {
    Q_OBJECT
private slots:
    void freshUnitSendsFactoryState_data();
    void freshUnitSendsFactoryState();
    void commandShowsInNextPayload_data();
    void commandShowsInNextPayload();
    void unknownCommandChangesNothing_data();
    void unknownCommandChangesNothing();
    void coolantWarmsToThermostatInAboutThreeMinutes_data();
    void coolantWarmsToThermostatInAboutThreeMinutes();
    void maskFollowsSwitchOverTemperature_data();
    void maskFollowsSwitchOverTemperature();
    void technicianMaskWinsOverSwitchOver_data();
    void technicianMaskWinsOverSwitchOver();
    void channelWordsGiveEngineSpeedInCountedRange_data();
    void channelWordsGiveEngineSpeedInCountedRange();
    void engineIdlesAndRevsBelievably_data();
    void engineIdlesAndRevsBelievably();
    void injectionFollowsLoad();
    void tankLevelFallsOneCountPerHalfMinuteOnGas();
    void seedDecidesTheFrames();
};
