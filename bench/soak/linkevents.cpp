#include "linkevents.h"

namespace soak {

namespace {

constexpr double kEarlyMs = 500;
constexpr double kLateMs = 2000;

QString secondsAt(double ms) { return QString::number(ms / 1000.0, 'f', 2) + QStringLiteral(" s"); }

bool near(double atMs, double lineMs)
{
    return lineMs >= 0 && atMs >= lineMs - kEarlyMs && atMs <= lineMs + kLateMs;
}

QString whereItFell(double atMs, const QList<UnitEvents::CableOut> &cable)
{
    for (const UnitEvents::CableOut &c : cable) {
        if (atMs >= c.unpluggedMs && (c.repluggedMs < 0 || atMs <= c.repluggedMs))
            return QStringLiteral("while the cable was out (unplugged at %1, in again at %2)")
                .arg(secondsAt(c.unpluggedMs),
                     c.repluggedMs < 0 ? QStringLiteral("never") : secondsAt(c.repluggedMs));
    }
    return QStringLiteral("with the cable in");
}

} // namespace

LinkEventCheck checkLinkEvents(const QList<LinkEvent> &events,
                               const QList<UnitEvents::CableOut> &cable, double recordStartMs)
{
    LinkEventCheck check;
    QList<bool> lostSeen(cable.size(), false), returnedSeen(cable.size(), false);
    for (const LinkEvent &e : events) {
        if (e.name == QLatin1String("recording-stopped"))
            continue;
        const double at = recordStartMs + double(e.elapsedMs);
        const bool lost = e.name == QLatin1String("device-lost");
        const bool returned = e.name == QLatin1String("device-returned");
        bool placed = false;
        for (qsizetype i = 0; i < cable.size() && !placed; ++i) {
            if (lost && !lostSeen[i] && near(at, cable[i].unpluggedMs))
                placed = lostSeen[i] = true;
            else if (returned && !returnedSeen[i] && near(at, cable[i].repluggedMs))
                placed = returnedSeen[i] = true;
        }
        if (placed)
            ++check.inPlace;
        else
            check.outOfPlace.append(
                QStringLiteral("%1 at %2, %3").arg(e.name, secondsAt(at), whereItFell(at, cable)));
    }
    for (qsizetype i = 0; i < cable.size(); ++i) {
        if (!lostSeen[i])
            check.outOfPlace.append(QStringLiteral("no device-lost for the unplug at %1")
                                        .arg(secondsAt(cable[i].unpluggedMs)));
        if (!returnedSeen[i] && cable[i].repluggedMs >= 0)
            check.outOfPlace.append(QStringLiteral("no device-returned for the replug at %1")
                                        .arg(secondsAt(cable[i].repluggedMs)));
    }
    return check;
}

} // namespace soak
