// One soak: the simulated unit (zendalite-sim --counter) on a
// pseudo-terminal and the real tool (zendalite --automation, real timers)
// connected to it, recording, with the graph window open. For the minutes
// asked, a step of the plan every 10-30 s: one of the unit's faults, or a
// band level typed on the window. Meanwhile a `state` request every 250 ms
// (each answer timed), the unit's output read as it comes, and the tool's
// memory, descriptors and threads sampled from /proc. At the end the
// recording is stopped and read back with the tool's own reader.
//
// Files in the output folder: soak.log (what the soak did and saw, with
// times), unit-stdout.log and unit-stderr.log (the simulated unit),
// tool-stderr.log, recording.csv, samples.csv (the /proc samples).
#pragma once

#include "faultplan.h"
#include "soakoptions.h"
#include "soakresult.h"

#include "support/automationclient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QString>

#include <array>
#include <optional>

namespace soak {

class SoakRun {
public:
    // The bounds the checks hold the tool to.
    static constexpr double kAnswerBoundMs = 2000;     // each automation request
    static constexpr double kFramesBackBoundMs = 3000; // after a drop-out's end
    static constexpr double kStatusBackBoundMs = 5000; // ... "Connect Ecu!" again
    static constexpr double kGiveUpMs = 30000;         // a drop-out not resumed by then
    static constexpr double kBandReachBoundMs = 5000;  // a band command at the unit
    static constexpr double kCalmAfterMs = 1500;       // after a fault, before calm checks
    static constexpr double kStallMs = 2000;           // calm, and no frame recorded
    static constexpr double kSettleMs = 3000;          // after the last step

    explicit SoakRun(SoakOptions options);

    SoakResult run();

private:
    struct Reading {
        double atMs = 0;
        bool answered = false;
        QString status; // the status line, Con1
        qint64 recorderFrames = -1;
        bool recording = false;
        qint64 graphSamples = 0;
        std::array<QString, 4> bands;
        bool entryOpen = false; // SetBox shown
        QString message;        // the shared statusMessage
    };
    struct Pending {
        QString name;
        double atMs = 0;
    };

    bool prepareOutput();
    bool startUnit();
    bool startTool();
    bool waitForFrames();
    void soak();
    void settle(double ms);
    void finish();

    void tick(double now);
    void perform(const PlannedStep &step);
    void typeBand(const PlannedStep &step);
    void readUnit();
    void takeUnitLine(const QString &line, double now);
    Reading readState();
    void follow(const Reading &r);
    void sample();
    void checkBands(double now);
    bool busy() const;
    bool alive();

    QJsonObject request(const QJsonObject &request);
    bool ok(const QString &op, QJsonObject fields);
    double now() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    void note(const QString &text);
    void problem(const QString &text);
    QString at(double ms) const;

    SoakOptions m_o;
    SoakResult m_r;
    QElapsedTimer m_clock;
    QString m_dir;
    QString m_link;
    QString m_recording;
    QFile m_log;
    QFile m_unitLog;
    QFile m_samples;
    SimulatedUnit m_unit;
    ToolSession m_tool;
    FaultPlan m_plan;

    QList<Pending> m_pending;       // control lines not yet carried out
    std::optional<DropOut> m_open;  // the drop-out under way
    double m_replugAtMs = -1;       // when the cable goes back in
    double m_lastDisturbanceMs = 0; // the last fault carried out or drop-out ended
    double m_calmSinceMs = -1;
    double m_lastFramesMoveMs = 0;
    qint64 m_lastFrames = -1;
    bool m_stalled = false;
    bool m_toldStatus = false;
    bool m_toldRecording = false;
    Reading m_last;
    bool m_dead = false;
};

} // namespace soak
