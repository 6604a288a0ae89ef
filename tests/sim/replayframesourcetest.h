#pragma once

#include <QObject>

class ReplayFrameSourceTest : public QObject {
    Q_OBJECT
private slots:
    void framesComeInRecordedOrderWithTheirSpacingScaled_data();
    void framesComeInRecordedOrderWithTheirSpacingScaled();
    void loopStartsAgainOneAverageSpacingAfterTheLastFrame_data();
    void loopStartsAgainOneAverageSpacingAfterTheLastFrame();
    void commandsAreNotApplied();
    void recordingWithoutFramesHasNothingToSend();
};
