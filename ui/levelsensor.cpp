#include "levelsensor.h"

#include "core/numbers.h"
#include "mainwindow.h"
#include "shell/sharedstate.h"
#include "skinlabel.h"
#include "skinpicture.h"
#include "skintimer.h"

namespace {
// Marker tops of the rows full, three quarters, half, quarter, empty.
constexpr double kMarkerTops[] = {1980, 2370, 2790, 3190, 3600};
} // namespace

LevelSensor::LevelSensor(SharedState &state, MainWindow &window, QObject *parent)
    : QObject(parent), m_state(state), m_window(window)
{
    connect(window.el().SensorX, &SkinTimer::ticked, this, &LevelSensor::tick);
}

void LevelSensor::tick()
{
    const auto &e = m_window.el();
    if (m_state.sensorLevel == 0)
        return;
    SkinLabel *const rows[] = {e.Sf, e.SSc, e.Sy, e.Sc, e.Se};
    if (m_state.levelCalibStep == 0) {
        // Every matching row moves the marker in turn: the lowest match wins.
        for (size_t r = 0; r < 5; ++r) {
            if (zcore::readLeadingNumber(rows[r]->caption()) == m_state.sensorLevel)
                e.SensC->setTop(kMarkerTops[r]);
        }
        return;
    }
    for (size_t r = 0; r < 5; ++r) {
        if (m_state.levelCalibStep == double(r + 1)) {
            rows[r]->setCaption(zcore::numberText(m_state.sensorLevel));
            e.SensC->setTop(kMarkerTops[r]);
        }
    }
}
