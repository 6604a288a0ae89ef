// The soak's plan: what it does to the tool and when, drawn from a seed so
// that a run can be repeated. Each step is one of the unit's faults or a band
// level typed on the window, after a wait drawn between the bounds (10-30 s
// by default). Pure: no clock, no I/O.
#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace soak {

struct PlannedStep {
    enum class Kind { Unplug, Garbage, Truncate, Late, Gap, Zeros, Quiet, Band };

    Kind kind = Kind::Garbage;
    double waitSeconds = 0;   // after the step before has ended
    int argument = 0;         // bytes, frames or ms of a fault
    double replugSeconds = 0; // unplug: the cable goes back in this long after
    int band = 0;             // band: which Kalori label, 1-4 (ca1..ca4)
    int level = 0;            // band: the level typed

    // The unit's control line ("garbage 200", "unplug"); empty for a band.
    QString controlLine() const;
    // For people: "unplug for 4.2 s", "band 2 → 57".
    QString text() const;
    // Unplug, quiet and late: the line goes silent, and the tool must take
    // up the frames again afterwards.
    bool isDropOut() const;

    static QString kindName(Kind kind);
    // The kind of a name; false when there is none.
    static bool kindNamed(const QString &name, Kind *kind);
};

class FaultPlan {
public:
    // The argument ranges of each kind.
    static constexpr int kLeastGarbage = 10, kMostGarbage = 600; // bytes
    static constexpr int kLeastTruncate = 1, kMostTruncate = 5;  // frames
    static constexpr int kLeastLate = 200, kMostLate = 3000;     // ms
    static constexpr int kLeastGap = 20, kMostGap = 1500;        // ms
    static constexpr int kLeastZeros = 1, kMostZeros = 5;        // frames
    static constexpr int kLeastQuiet = 1000, kMostQuiet = 15000; // ms; past 9.3 s the status drops
    static constexpr double kLeastReplug = 2.0, kMostReplug = 12.0; // s
    static constexpr int kLeastLevel = 20, kMostLevel = 230;

    // kinds: the kinds to draw from (all when empty).
    FaultPlan(quint32 seed, double leastWaitSeconds, double mostWaitSeconds,
              QList<PlannedStep::Kind> kinds = {});

    // The next step; the same seed gives the same steps.
    PlannedStep next();

private:
    int between(int least, int most);
    double betweenSeconds(double least, double most);

    QRandomGenerator m_random;
    double m_leastWait = 10;
    double m_mostWait = 30;
    QList<PlannedStep::Kind> m_kinds;
};

} // namespace soak
