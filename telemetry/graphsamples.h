// The values the graph window plots, one sample per frame the unit sent, and
// the commands the tool sent on the same time line. Qt Core only: the model
// is tested without a window.
#pragma once

#include "core/decode.h"
#include "core/recording.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

// One frame in physical units. Times are in ms, NaN where the word is 0 (no
// reading).
//
// The in time of a channel is the petrol ECU's injection time, as the unit
// reads it on the petrol injector's line. The out time is the rest of that
// injector's period: in + out is one period (two revolutions), from which
// the engine speed comes. It is not the gas injector's time.
struct GraphSample {
    qint64 elapsedMs = 0;          // since the session (or the recording) began
    std::array<double, 4> inMs{};  // the petrol ECU's injection time, channels 1..4
    std::array<double, 4> outMs{}; // the rest of the period, channels 1..4
    std::optional<double> rpm;     // highest speed-list entry of the frame
    double coolantC = 0;
    double switchOverC = 0;
    int tankLevel = 0;          // the level sensor reading
    std::array<int, 4> bands{}; // mixture level of bands 0..3
    int mask = 0;               // fuel and cylinder mask (128: on petrol)

    // The fuel in use: petrol (the mask's top bit), else gas (LPG).
    bool petrol() const { return zcore::maskFaces(mask).petrol; }
};

// A command the tool sent, as a marker on the time axis.
struct GraphCommand {
    qint64 elapsedMs = 0;
    int code = 0;
    int value = 0;
    QString text; // "Kalori 2 → 57"
};

// An event of the link on the same time line: the device lost or back, the
// port closed or opened.
struct GraphLinkEvent {
    qint64 elapsedMs = 0;
    zcore::RecordEvent event = zcore::RecordEvent::PortOpen;
};

// Lines are broken between two samples more than this far apart: the unit
// sends about ten frames a second, so a longer wait means frames are missing
// (the cable out, the graph closed), and a line across it would show a
// change that never happened.
inline constexpr qint64 kLongestFrameGapMs = 1000;

// Whether the event breaks the lines: the device lost, the port closed.
bool breaksLines(zcore::RecordEvent event);

// The text of a link event's marker ("Cihaz koptu").
QString linkEventText(zcore::RecordEvent event);

// The sample of a frame received elapsedMs into the session.
GraphSample graphSample(qint64 elapsedMs, const zcore::LiveFrame &frame);

// The marker of a command sent elapsedMs into the session.
GraphCommand graphCommand(qint64 elapsedMs, int code, int value);

// The engine-speed band of a sample for the map: 0 below 1500 rpm, 1 from
// 1500, 2 from 2500, 3 from 4000; none without a speed.
inline constexpr int kSpeedBands = 4;
std::optional<int> speedBand(const GraphSample &sample);
QString speedBandName(int band); // "0-1500 rpm"
// The lowest and highest engine speed of a band (0..3), in rpm.
double speedBandLowerRpm(int band);
double speedBandUpperRpm(int band);

// The petrol ECU's injection time of a sample: the mean in time of the
// channels with a reading; none when no channel has one.
std::optional<double> meanInMs(const GraphSample &sample);

// Samples, commands and link events in time order. With a keep span,
// samples (commands, link events) older than that span before the newest
// sample are dropped.
//
// The lines are broken between two samples where frames are missing: more
// than kLongestFrameGapMs between them, or an event that breaks the lines
// at or after the first and before the second.
//
// Storage is one vector and the index of its first live element: dropping
// only moves that index, and the dead head is erased in one move once it
// is at least half of the vector, so each sample is moved a bounded number
// of times (O(1) amortised per sample) and the live samples stay contiguous
// for binary searches and spans.
class GraphSamples {
public:
    static constexpr qint64 kLiveKeepMs = 3'600'000; // an hour
    static constexpr qint64 kKeepAll = 0;

    explicit GraphSamples(qint64 keepMs = kLiveKeepMs);

    // A sample older than the newest is put in its place (a linear move,
    // for the rare frame that comes late); normally it is appended.
    void add(const GraphSample &sample);
    void addCommand(const GraphCommand &command);
    void addLinkEvent(const GraphLinkEvent &event);
    void clear();
    // Room for this many samples in all, so that adding them moves none.
    void reserve(qsizetype samples) { m_samples.reserve(size_t(m_first + samples)); }

    qsizetype count() const { return qsizetype(m_samples.size()) - m_first; }
    bool isEmpty() const { return count() == 0; }
    std::optional<GraphSample> newest() const;
    std::optional<GraphSample> oldest() const;

    // The samples with fromMs <= elapsedMs <= toMs, by binary search. Valid
    // until the next change.
    std::span<const GraphSample> range(qint64 fromMs, qint64 toMs) const;
    std::span<const GraphSample> all() const { return live(); }
    // The sample closest in time to ms (the earlier one on a tie).
    std::optional<GraphSample> nearest(qint64 ms) const;

    std::span<const GraphCommand> commands(qint64 fromMs, qint64 toMs) const;
    qsizetype commandCount() const { return qsizetype(m_commands.size()) - m_firstCommand; }
    std::span<const GraphLinkEvent> linkEvents(qint64 fromMs, qint64 toMs) const;

    // Where the lines are broken among these samples (a run of the samples
    // held, as range() gives): the index of each sample that starts a new
    // line, in order.
    std::vector<qsizetype> breaksIn(std::span<const GraphSample> samples) const;
    // The places the lines are broken among all the samples held.
    qsizetype breakCount() const;

private:
    void dropOlderThan(qint64 ms);
    std::span<const GraphSample> live() const;
    std::span<const GraphCommand> liveCommands() const;
    std::span<const GraphLinkEvent> liveLinkEvents() const;
    template <typename Found>
    void findBreaks(std::span<const GraphSample> samples, Found found) const;

    qint64 m_keepMs = kLiveKeepMs;
    std::vector<GraphSample> m_samples;
    qsizetype m_first = 0;
    std::vector<GraphCommand> m_commands;
    qsizetype m_firstCommand = 0;
    std::vector<GraphLinkEvent> m_linkEvents;
    qsizetype m_firstLinkEvent = 0;
};

// A recording as the graph shows it, and what the reading left out.
struct GraphRecording {
    GraphSamples samples{GraphSamples::kKeepAll};
    QDateTime start;            // the clock time at elapsed 0; not valid without rows
    qsizetype droppedBytes = 0; // of a torn last row
    qsizetype skippedRows = 0;  // of events this version does not know
};

// The samples, commands and link events of a recording's rows. The progress
// is told rows done of all now and then, and may stop the work (no value).
std::optional<GraphRecording> graphRecording(const zcore::Recording &recording,
                                             const zcore::RecordingProgress &progress = {});
