#include "levelsensor.h"

#include "core/numbers.h"
#include "mainwindow.h"
#include "sharedstate.h"
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
    const auto &e = window.el();
    connect(e.SensorX, &SkinTimer::ticked, this, &LevelSensor::tick);
    // Queued, so that the check sees what the poll cycle or the click handler
    // changed, whatever order the handlers were connected in.
    connect(e.Timer2, &SkinTimer::ticked, this, &LevelSensor::wakeIfChanged, Qt::QueuedConnection);
    for (SkinLabel *row : e.levelPoints)
        connect(row, &SkinLabel::clicked, this, &LevelSensor::wakeIfChanged, Qt::QueuedConnection);
}

LevelSensor::Inputs LevelSensor::inputs() const
{
    const auto &e = m_window.el();
    return Inputs{m_state.sensorLevel,
                  m_state.levelCalibStep,
                  e.SensC->top(),
                  {e.levelPoints[0]->caption(), e.levelPoints[1]->caption(),
                   e.levelPoints[2]->caption(), e.levelPoints[3]->caption(),
                   e.levelPoints[4]->caption()}};
}

void LevelSensor::tick()
{
    const Inputs before = inputs();
    update();
    Inputs after = inputs();
    if (after == before) {
        m_parkedAt = std::move(after);
        m_window.el().SensorX->setParked(true);
    }
}

void LevelSensor::wakeIfChanged()
{
    SkinTimer *timer = m_window.el().SensorX;
    if (timer->isParked() && !(inputs() == m_parkedAt))
        timer->setParked(false);
}

void LevelSensor::update()
{
    const auto &e = m_window.el();
    if (m_state.sensorLevel == 0)
        return;
    const auto &rows = e.levelPoints;
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
