// The tool's resident memory, open descriptors and threads, sampled from
// /proc every few seconds of a soak, and whether each stayed flat: the mean
// of the run's last quarter (by time) against the mean of its second
// quarter, which leaves out the start-up's settling. A figure is flat when
// the last quarter's mean exceeds the second's by no more than its bound:
//
//   resident memory   3 MB, plus 0.5 KB for each sample the graph window
//                     took on between the two quarters (it keeps the last
//                     hour of live samples by design: about 0.27 KB each in
//                     the recorded hour, doubled for its vector's growth)
//   descriptors       0.5 (one left open anywhere in the last quarter fails)
//   threads           0.5
//
// The means leave out the samples taken while the line was out or silent
// (an unplugged device's descriptor is closed then); the extremes take
// every sample.
#pragma once

#include <QList>
#include <QString>

namespace soak {

struct ProcSample {
    double atMs = 0;
    qint64 rssKb = -1;
    qint64 descriptors = -1;
    qint64 threads = -1;
    qint64 graphSamples = 0; // the graph window's samples at the time
    bool dropOut = false;    // taken while a drop-out was under way
};

struct Flatness {
    qint64 first = 0, least = 0, most = 0, last = 0;
    double secondQuarterMean = 0;
    double lastQuarterMean = 0;
    double bound = 0;    // how much higher the last quarter's mean may be
    bool judged = false; // enough samples in both quarters
    bool flat = true;

    double rise() const { return lastQuarterMean - secondQuarterMean; }
};

class ProcSeries {
public:
    static constexpr double kRssBaseKb = 3 * 1024;
    static constexpr double kRssPerGraphSampleKb = 0.5;
    static constexpr double kCountBound = 0.5;

    void add(const ProcSample &sample) { m_samples.append(sample); }
    const QList<ProcSample> &samples() const { return m_samples; }

    Flatness rss() const;
    Flatness descriptors() const;
    Flatness threads() const;

private:
    Flatness judge(qint64 ProcSample::*field, double bound) const;
    // The mean of a field over the samples from `from` to `to` of the span
    // (fractions of it), and how many there were.
    double mean(qint64 ProcSample::*field, double from, double to, int *count) const;

    QList<ProcSample> m_samples;
};

} // namespace soak
