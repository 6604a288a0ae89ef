// The level proposed for one speed band, from the error of the petrol ECU's
// injection time there on gas against on petrol (see TuningSession for how
// it is matched by engine speed).
//
// The petrol ECU keeps its mixture
// control running on gas: a lean gas mixture makes it inject longer
// (error above 0), so the level is raised; a rich one shorter, so it is
// lowered. Step = level × error, rounded, at most kMostStep of the level
// (rounded down), at least 1; the level stays within 0..255.
//
// None is proposed with fewer than kLeastSamples samples on either fuel,
// under kLeastErrorPct of error, or once the band is stopped: the
// direction is an assumption about the unit, so after a round that moved
// the level the way the rule says, the error must move towards 0 (or past
// it) by at least kLeastShrinkShare of what the step should have moved it:
// a step s (a share of the old level) turns an error e into
// (1 + e) ÷ (1 + s) − 1 on a unit that works as assumed. A quarter, not
// more: an error read at the petrol ECU's limit may have been larger, and
// then it moves less than its reading says (read −24.8 %, was −30 %: it
// moved 6.2 points where 12.9 were expected). Where it did not,
// the unit may work the other way and the band is stopped. A band whose
// error is now under kLeastErrorPct is never stopped. (A petrol ECU whose
// correction is at its limit before and after the round reads the same
// error both times: so it is stopped too, rightly, as nothing then tells
// the way.)
#pragma once

#include <QString>

#include <optional>

namespace zcore {

struct BandEvidence {
    int petrolSamples = 0;
    int gasSamples = 0;
    // (gas − petrol) ÷ petrol in percent; none where the two fuels' samples
    // do not share engine speeds enough to compare.
    std::optional<double> errorPct;
    std::optional<int> level; // the level the unit holds
    // The error (percent) before the last change of this band's level,
    // when that change went the way the rule says for that error.
    std::optional<double> errorBeforeChangePct;
    std::optional<int> levelBeforeChange; // the level that error was taken at
};

struct BandProposal {
    std::optional<double> errorPct;
    std::optional<int> level; // the level proposed
    bool stop = false;        // the error did not shrink after a round
    QString why;              // Turkish: the reason there is none, or why this one
};

inline constexpr int kLeastSamples = 100;
inline constexpr double kLeastErrorPct = 2.0;
inline constexpr double kMostStep = 0.15;
inline constexpr double kLeastShrinkShare = 0.25;

BandProposal proposeBand(const BandEvidence &evidence);

// The step from level for an error in percent, within the limits above;
// 0 when the error is under kLeastErrorPct.
int proposalStep(int level, double errorPct);

} // namespace zcore
