#include "faultplan.h"

#include <array>
#include <utility>

namespace soak {

namespace {

using Kind = PlannedStep::Kind;

constexpr std::array<std::pair<Kind, const char *>, 8> kNames{{
    {Kind::Unplug, "unplug"},
    {Kind::Garbage, "garbage"},
    {Kind::Truncate, "truncate"},
    {Kind::Late, "late"},
    {Kind::Gap, "gap"},
    {Kind::Zeros, "zeros"},
    {Kind::Quiet, "quiet"},
    {Kind::Band, "band"},
}};

} // namespace

QString PlannedStep::kindName(Kind kind)
{
    for (const auto &[k, name] : kNames)
        if (k == kind)
            return QString::fromLatin1(name);
    return {};
}

bool PlannedStep::kindNamed(const QString &name, Kind *kind)
{
    for (const auto &[k, n] : kNames) {
        if (name == QLatin1String(n)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

QString PlannedStep::controlLine() const
{
    switch (kind) {
    case Kind::Unplug:
        return QStringLiteral("unplug");
    case Kind::Band:
        return {};
    default:
        return QStringLiteral("%1 %2").arg(kindName(kind)).arg(argument);
    }
}

QString PlannedStep::text() const
{
    switch (kind) {
    case Kind::Unplug:
        return QStringLiteral("unplug for %1 s").arg(replugSeconds, 0, 'f', 1);
    case Kind::Band:
        return QStringLiteral("band %1 → %2").arg(band).arg(level);
    default:
        return controlLine();
    }
}

bool PlannedStep::isDropOut() const
{
    return kind == Kind::Unplug || kind == Kind::Quiet || kind == Kind::Late;
}

FaultPlan::FaultPlan(quint32 seed, double leastWaitSeconds, double mostWaitSeconds,
                     QList<PlannedStep::Kind> kinds)
    : m_random(seed), m_leastWait(leastWaitSeconds), m_mostWait(mostWaitSeconds),
      m_kinds(std::move(kinds))
{
    if (m_kinds.isEmpty())
        for (const auto &[kind, name] : kNames)
            m_kinds.append(kind);
}

PlannedStep FaultPlan::next()
{
    PlannedStep step;
    step.waitSeconds = betweenSeconds(m_leastWait, m_mostWait);
    step.kind = m_kinds[between(0, int(m_kinds.size()) - 1)];
    switch (step.kind) {
    case Kind::Unplug:
        step.replugSeconds = betweenSeconds(kLeastReplug, kMostReplug);
        break;
    case Kind::Garbage:
        step.argument = between(kLeastGarbage, kMostGarbage);
        break;
    case Kind::Truncate:
        step.argument = between(kLeastTruncate, kMostTruncate);
        break;
    case Kind::Late:
        step.argument = between(kLeastLate, kMostLate);
        break;
    case Kind::Gap:
        step.argument = between(kLeastGap, kMostGap);
        break;
    case Kind::Zeros:
        step.argument = between(kLeastZeros, kMostZeros);
        break;
    case Kind::Quiet:
        step.argument = between(kLeastQuiet, kMostQuiet);
        break;
    case Kind::Band:
        step.band = between(1, 4);
        step.level = between(kLeastLevel, kMostLevel);
        break;
    }
    return step;
}

int FaultPlan::between(int least, int most)
{
    return least + int(m_random.bounded(quint32(most - least + 1)));
}

double FaultPlan::betweenSeconds(double least, double most)
{
    // Tenths of a second, so that a plan prints as it runs.
    return double(between(int(least * 10), int(most * 10))) / 10.0;
}

} // namespace soak
