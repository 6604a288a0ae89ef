// What the tuning assistant collects and proposes, without a window: the
// samples that count per speed band and fuel (see SampleFilter), their
// medians, and the proposal of each band (see proposeBand), over rounds.
//
// Frames come from feeds, one per time line: the live frames, and each
// recording opened. A feed has its own steadiness count and settling
// count; the samples go into one collection.
//
// Settling: the petrol ECU adapts to a change slowly, so after the fuel
// changed, or a band's level did, the first kSettleFrames frames the warm
// engine spends in a band on that fuel are not counted there.
//
// Matching: the injection time follows the load, and the load the speed,
// so a band's two fuels are compared at the same speeds: each gas sample
// against the median of the petrol samples within kMatchRpm of its speed
// (taken on a grid of kGridRpm), when there are at least
// kLeastMatchSamples of them; the band's error is the median of those
// comparisons, given at least kLeastMatched of them. A median of the whole
// band would move with the share of time spent at each speed, which no two
// drives keep alike.
//
// Rounds: the gas samples of a band belong to the level they were taken
// with. When frames show the band at another level (two frames in a row
// agree), its gas samples start afresh; the petrol reference is kept. If
// the change went the way the rule says for the error then, that error is
// kept, and the next error must be smaller; where it is not, the band is
// stopped until reset().
#pragma once

#include "core/assistsample.h"
#include "core/bandproposal.h"
#include "core/speedbands.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace zcore {

struct BandReport {
    int band = 0;
    int petrolSamples = 0;
    int gasSamples = 0;
    std::optional<double> petrolMs;
    std::optional<double> gasMs;
    std::optional<int> level;
    BandProposal proposal;
};

class TuningSession {
public:
    static constexpr int kSettleFrames = 150;
    // Samples kept at most (about 6 MiB, more than five hours of steady
    // driving); past it the oldest quarter goes.
    static constexpr qsizetype kMostSamples = 200'000;
    static constexpr int kMatchRpm = 100;
    static constexpr int kGridRpm = 20;
    static constexpr int kLeastMatchSamples = 5;
    static constexpr int kLeastMatched = 30;

    class Feed {
    public:
        friend class TuningSession;
        // Why its last frame did not count (None when it did, or settles).
        SampleSkip lastSkip() const { return m_lastSkip; }
        std::optional<Fuel> fuel() const { return m_fuel; }

    private:
        SampleFilter m_filter;
        std::optional<Fuel> m_fuel;
        std::array<int, kSpeedBandCount> m_settled{}; // frames in the band since a change
        std::optional<std::array<int, 4>> m_lastBands;
        SampleSkip m_lastSkip = SampleSkip::None;
    };

    // Where the technician is, by the live feed and what was collected.
    enum class Step { WarmUp, PetrolDrive, SwitchToGas, GasDrive, Apply, CheckDrive, Done };
    Step step(const Feed &live) const;
    static QString stepText(Step step);
    // Band levels that changed while gas samples were held: rounds applied.
    int rounds() const { return m_rounds; }

    // One frame of a feed, elapsedMs on the feed's time line.
    void take(Feed &feed, qint64 elapsedMs, const LiveFrame &frame);

    // The report of every band now.
    std::array<BandReport, kSpeedBandCount> reports() const;
    // The bands with a proposal, and their proposed levels.
    std::vector<std::pair<int, int>> proposals() const;

    // Why the last frame of the live feed did not count ("Motor soğuk"), or
    // empty; for the step shown to the technician.
    static QString skipText(SampleSkip skip);

    // The samples on each fuel of a band, in the order taken.
    const std::vector<AssistSample> &samples() const { return m_samples; }

    void reset();

private:
    void levelSeen(int band, int level);
    void dropOldest();
    std::optional<double> median(int band, Fuel fuel) const;
    std::optional<double> matchedErrorPct(int band) const;
    int count(int band, Fuel fuel) const;
    BandReport report(int band) const;

    std::vector<AssistSample> m_samples;
    // Per band: the level the gas samples were taken with.
    std::array<std::optional<int>, kSpeedBandCount> m_level{};
    std::array<std::optional<double>, kSpeedBandCount> m_errorBeforeChange{};
    std::array<std::optional<int>, kSpeedBandCount> m_levelBeforeChange{};
    std::array<std::optional<QString>, kSpeedBandCount> m_stopped{};
    std::array<std::array<int, 2>, kSpeedBandCount> m_counts{};
    int m_rounds = 0;
};

} // namespace zcore
