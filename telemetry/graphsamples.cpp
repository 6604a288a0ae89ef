#include "graphsamples.h"

#include "core/frame.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNoReading = std::numeric_limits<double>::quiet_NaN();
constexpr double kBandLowerRpm[kSpeedBands] = {0, 1500, 2500, 4000};
constexpr double kBandUpperRpm[kSpeedBands] = {1500, 2500, 4000, 8000};
// A dead head shorter than this is never erased: small vectors are not
// moved for a few dropped samples.
constexpr qsizetype kLeastErase = 1024;
// A recording's rows are told done in steps of this many.
constexpr qsizetype kRowsPerStep = 65536;

double timeMs(int word) { return word == 0 ? kNoReading : (word - 3) / 126.0; }

QString tr(const char *text) { return QCoreApplication::translate("GraphSamples", text); }

// Samples and commands are kept in time order: comparisons with a moment.
constexpr auto kEarlier = [](const auto &item, qint64 ms) { return item.elapsedMs < ms; };
constexpr auto kLater = [](qint64 ms, const auto &item) { return ms < item.elapsedMs; };

// The items from fromMs to toMs, both included.
template <typename T>
std::span<const T> between(std::span<const T> items, qint64 fromMs, qint64 toMs)
{
    const auto begin = std::lower_bound(items.begin(), items.end(), fromMs, kEarlier);
    return {begin, std::upper_bound(begin, items.end(), toMs, kLater)};
}

// Moves the first live item past those older than ms; erases the dead head
// of the vector once it is at least half of it.
template <typename T> void dropBefore(std::vector<T> &items, qsizetype &first, qint64 ms)
{
    while (first < qsizetype(items.size()) && items[size_t(first)].elapsedMs < ms)
        ++first;
    if (first < kLeastErase || 2 * first < qsizetype(items.size()))
        return;
    items.erase(items.begin(), items.begin() + first);
    first = 0;
}

} // namespace

GraphSample graphSample(qint64 elapsedMs, const zcore::LiveFrame &frame)
{
    GraphSample s;
    s.elapsedMs = elapsedMs;
    for (size_t c = 0; c < 4; ++c) {
        s.inMs[c] = timeMs(frame.inWord[c]);
        s.outMs[c] = timeMs(frame.outWord[c]);
        // A channel counts as its speed list would: only with an entry.
        if (zcore::speedEntry(frame.inWord[c], frame.outWord[c])) {
            const double entry = *zcore::channelSpeed(frame.inWord[c], frame.outWord[c]) * 2;
            if (!s.rpm || entry > *s.rpm)
                s.rpm = entry;
        }
    }
    s.coolantC = zcore::degreesFromByte(frame.temperatureByte);
    s.switchOverC = zcore::degreesFromByte(frame.switchOverByte);
    s.tankLevel = frame.sensor;
    s.bands = frame.bands;
    s.mask = frame.mask;
    return s;
}

GraphCommand graphCommand(qint64 elapsedMs, int code, int value)
{
    namespace command = zcore::command;
    static const char *const kPointNames[command::kLevelPoints] = {"Dolu", "3/4", "2/4", "1/4",
                                                                   "Boş"};
    QString text;
    if (code >= command::band(0) && code < command::band(command::kBands))
        text = tr("Kalori %1 → %2").arg(code - command::band(0) + 1).arg(value);
    else if (code == command::kMask)
        text = tr("Yakıt/Silindir → %1").arg(value);
    else if (code == command::kSwitchOver)
        text = tr("Geçiş ısısı → %1 °C").arg(zcore::degreesFromByte(value));
    else if (code >= command::levelPoint(0) && code < command::levelPoint(command::kLevelPoints))
        text = tr("Seviye %1 → %2")
                   .arg(QString::fromUtf8(kPointNames[code - command::levelPoint(0)]))
                   .arg(value);
    else
        text = tr("Komut %1 → %2").arg(code).arg(value);
    return {elapsedMs, code, value, text};
}

bool breaksLines(zcore::RecordEvent event)
{
    return event == zcore::RecordEvent::DeviceLost || event == zcore::RecordEvent::PortClosed;
}

QString linkEventText(zcore::RecordEvent event)
{
    switch (event) {
    case zcore::RecordEvent::DeviceLost:
        return tr("Cihaz koptu");
    case zcore::RecordEvent::DeviceReturned:
        return tr("Cihaz geri geldi");
    case zcore::RecordEvent::PortClosed:
        return tr("Port kapandı");
    case zcore::RecordEvent::PortOpen:
        return tr("Port açıldı");
    default:
        return QString::fromUtf8(zcore::recordEventName(event));
    }
}

std::optional<int> speedBand(const GraphSample &sample)
{
    if (!sample.rpm)
        return std::nullopt;
    for (int b = kSpeedBands - 1; b > 0; --b)
        if (*sample.rpm >= kBandLowerRpm[b])
            return b;
    return 0;
}

QString speedBandName(int band)
{
    return tr("%1-%2 rpm").arg(kBandLowerRpm[band]).arg(kBandUpperRpm[band]);
}

double speedBandLowerRpm(int band) { return kBandLowerRpm[band]; }

double speedBandUpperRpm(int band) { return kBandUpperRpm[band]; }

std::optional<double> meanInMs(const GraphSample &sample)
{
    double sum = 0;
    int channels = 0;
    for (const double ms : sample.inMs) {
        if (!std::isfinite(ms))
            continue;
        sum += ms;
        ++channels;
    }
    if (channels == 0)
        return std::nullopt;
    return sum / channels;
}

GraphSamples::GraphSamples(qint64 keepMs) : m_keepMs(keepMs) {}

void GraphSamples::add(const GraphSample &sample)
{
    if (isEmpty() || sample.elapsedMs >= m_samples.back().elapsedMs) {
        m_samples.push_back(sample);
    } else {
        m_samples.insert(std::upper_bound(m_samples.begin() + m_first, m_samples.end(),
                                          sample.elapsedMs, kLater),
                         sample);
    }
    if (m_keepMs != kKeepAll)
        dropOlderThan(m_samples.back().elapsedMs - m_keepMs);
}

void GraphSamples::addCommand(const GraphCommand &command)
{
    m_commands.insert(std::upper_bound(m_commands.begin() + m_firstCommand, m_commands.end(),
                                       command.elapsedMs, kLater),
                      command);
    if (m_keepMs != kKeepAll && !isEmpty())
        dropOlderThan(m_samples.back().elapsedMs - m_keepMs);
}

void GraphSamples::addLinkEvent(const GraphLinkEvent &event)
{
    m_linkEvents.insert(std::upper_bound(m_linkEvents.begin() + m_firstLinkEvent,
                                         m_linkEvents.end(), event.elapsedMs, kLater),
                        event);
    if (m_keepMs != kKeepAll && !isEmpty())
        dropOlderThan(m_samples.back().elapsedMs - m_keepMs);
}

void GraphSamples::clear()
{
    m_samples.clear();
    m_first = 0;
    m_commands.clear();
    m_firstCommand = 0;
    m_linkEvents.clear();
    m_firstLinkEvent = 0;
}

void GraphSamples::dropOlderThan(qint64 ms)
{
    dropBefore(m_samples, m_first, ms);
    dropBefore(m_commands, m_firstCommand, ms);
    dropBefore(m_linkEvents, m_firstLinkEvent, ms);
}

std::optional<GraphSample> GraphSamples::newest() const
{
    if (isEmpty())
        return std::nullopt;
    return m_samples.back();
}

std::optional<GraphSample> GraphSamples::oldest() const
{
    if (isEmpty())
        return std::nullopt;
    return m_samples[size_t(m_first)];
}

std::span<const GraphSample> GraphSamples::live() const
{
    return std::span<const GraphSample>(m_samples).subspan(size_t(m_first));
}

std::span<const GraphCommand> GraphSamples::liveCommands() const
{
    return std::span<const GraphCommand>(m_commands).subspan(size_t(m_firstCommand));
}

std::span<const GraphSample> GraphSamples::range(qint64 fromMs, qint64 toMs) const
{
    return between(live(), fromMs, toMs);
}

std::optional<GraphSample> GraphSamples::nearest(qint64 ms) const
{
    const auto samples = live();
    if (samples.empty())
        return std::nullopt;
    const auto after = std::lower_bound(samples.begin(), samples.end(), ms, kEarlier);
    if (after == samples.begin())
        return *after;
    const auto before = after - 1;
    if (after == samples.end() || ms - before->elapsedMs <= after->elapsedMs - ms)
        return *before;
    return *after;
}

std::span<const GraphCommand> GraphSamples::commands(qint64 fromMs, qint64 toMs) const
{
    return between(liveCommands(), fromMs, toMs);
}

std::span<const GraphLinkEvent> GraphSamples::liveLinkEvents() const
{
    return std::span<const GraphLinkEvent>(m_linkEvents).subspan(size_t(m_firstLinkEvent));
}

std::span<const GraphLinkEvent> GraphSamples::linkEvents(qint64 fromMs, qint64 toMs) const
{
    return between(liveLinkEvents(), fromMs, toMs);
}

template <typename Found>
void GraphSamples::findBreaks(std::span<const GraphSample> samples, Found found) const
{
    if (samples.size() < 2)
        return;
    // One walk through the samples and the events between them: the events
    // passed over at each step lie from the sample before to the next.
    const auto events = liveLinkEvents();
    auto event =
        std::lower_bound(events.begin(), events.end(), samples.front().elapsedMs, kEarlier);
    for (size_t i = 1; i < samples.size(); ++i) {
        const qint64 next = samples[i].elapsedMs;
        bool broken = next - samples[i - 1].elapsedMs > kLongestFrameGapMs;
        for (; event != events.end() && event->elapsedMs < next; ++event)
            broken = broken || breaksLines(event->event);
        if (broken)
            found(qsizetype(i));
    }
}

std::vector<qsizetype> GraphSamples::breaksIn(std::span<const GraphSample> samples) const
{
    std::vector<qsizetype> breaks;
    findBreaks(samples, [&breaks](qsizetype i) { breaks.push_back(i); });
    return breaks;
}

qsizetype GraphSamples::breakCount() const
{
    qsizetype count = 0;
    findBreaks(live(), [&count](qsizetype) { ++count; });
    return count;
}

std::optional<GraphRecording> graphRecording(const zcore::Recording &recording,
                                             const zcore::RecordingProgress &progress)
{
    GraphRecording out;
    out.droppedBytes = recording.droppedBytes;
    out.skippedRows = recording.skippedRows;
    // Each row has its clock time and its time since the start: the first
    // gives the start's clock time, in the offset the recording was made in.
    if (!recording.rows.isEmpty())
        out.start = recording.rows.first().time.addMSecs(-recording.rows.first().elapsedMs);
    out.samples.reserve(std::count_if(
        recording.rows.begin(), recording.rows.end(),
        [](const zcore::RecordRow &row) { return row.event == zcore::RecordEvent::Frame; }));
    const qsizetype total = recording.rows.size();
    for (qsizetype i = 0; i < total; ++i) {
        if (progress && i > 0 && i % kRowsPerStep == 0 && !progress(i, total))
            return std::nullopt;
        const zcore::RecordRow &row = recording.rows[i];
        switch (row.event) {
        case zcore::RecordEvent::Frame:
            out.samples.add(graphSample(row.elapsedMs, zcore::decodePayload(row.payload)));
            break;
        case zcore::RecordEvent::Command:
            out.samples.addCommand(graphCommand(row.elapsedMs, row.code, row.value));
            break;
        case zcore::RecordEvent::PortOpen:
        case zcore::RecordEvent::PortClosed:
        case zcore::RecordEvent::DeviceLost:
        case zcore::RecordEvent::DeviceReturned:
            out.samples.addLinkEvent({row.elapsedMs, row.event});
            break;
        case zcore::RecordEvent::RecordingStopped:
            break;
        }
    }
    if (progress)
        progress(total, total);
    return out;
}
