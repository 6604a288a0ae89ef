#pragma once

#include <QObject>

class FaultShaperTest : public QObject {
    Q_OBJECT
private slots:
    void frameWithoutFaultsGoesOutWhole();
    void truncatedFramesAreCutBetweenOneAnd36Bytes();
    void seedDecidesCutsAndGarbage();
    void truncateIsReportedAfterItsLastFrame();
    void gapSplitsTheFrameInsideWithASilence();
    void zerosFramesKeepTheHeaderAndCarry34ZeroBytes();
    void garbageComesBeforeTheFrame_data();
    void garbageComesBeforeTheFrame();
    void lateFrameIsHeldBackThenFramesResume();
    void unplugSendsPartOfTheFrameThenHangsUp();
    void quietSpellIsTakenBetweenFrames();
    void faultsOfOneKindTakeTurns();
    void faultsOfDifferentKindsShareAFrame();
};
