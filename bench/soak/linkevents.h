// The link's events in a soak's recording against what the unit did to its
// cable: one device-lost at each unplug and one device-returned at the
// replug after it, nothing else (the soak never closes the port). An event
// counts as in place from 0.5 s before the unit's line to 2 s after it (the
// unit says "fault unplug" once the line is closed, and the tool's clock and
// the soak's differ by the moment record-start took).
#pragma once

#include "framewalk.h"
#include "unitevents.h"

#include <QList>
#include <QStringList>

namespace soak {

struct LinkEventCheck {
    int inPlace = 0;
    QStringList outOfPlace; // each with its time in the soak and where it fell
};

// recordStartMs: the soak's time when the recording began (its elapsed_ms 0).
LinkEventCheck checkLinkEvents(const QList<LinkEvent> &events,
                               const QList<UnitEvents::CableOut> &cable, double recordStartMs);

} // namespace soak
