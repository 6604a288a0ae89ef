#include "modelframesource.h"

#include "core/frame.h"

namespace zsim {

ModelFrameSource::ModelFrameSource(quint32 seed, const EngineModel::Setup &setup)
    : m_model(seed, setup)
{
}

QByteArray ModelFrameSource::nextFrame(double periodSeconds)
{
    m_model.step(periodSeconds);
    return zcore::telemetryFrame(m_model.payload());
}

bool ModelFrameSource::apply(int code, int value) { return m_model.apply(code, value); }

} // namespace zsim
