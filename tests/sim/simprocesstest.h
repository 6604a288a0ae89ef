#pragma once

#include <QObject>
#include <QTemporaryDir>

class SimProcessTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void unplugHangsUpTheLinkPartWayThroughAFrame();
    void replugTurnsTheLinkToANewDeviceWithFrames();
    void faultOptionsAreCarriedOutOnTheirSchedule();
    void unknownControlLinesAreAnsweredWithAnError();
    void unitRunsOnWhenStandardInputCloses();

private:
    QTemporaryDir m_dir;
    QString m_link;
    QString m_frames;
};
