#pragma once

#include <QObject>

class FrameSourceTest : public QObject {
    Q_OBJECT
private slots:
    void modelFramesCarryHeaderAndPayload();
    void modelSourceAppliesCommands();
    void frameFileReads_data();
    void frameFileReads();
    void frameFileRefuses_data();
    void frameFileRefuses();
    void fileFramesLoopAndIgnoreCommands();
};
