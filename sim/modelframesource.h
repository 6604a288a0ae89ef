// Frames from the engine model: each frame lets the engine run one frame
// period and then sends the unit's state.
#pragma once

#include "enginemodel.h"
#include "framesource.h"

namespace zsim {

class ModelFrameSource : public FrameSource {
public:
    explicit ModelFrameSource(quint32 seed, const EngineModel::Setup &setup = {});

    QByteArray nextFrame(double periodSeconds) override;
    bool apply(int code, int value) override;

    const EngineModel &model() const { return m_model; }

private:
    EngineModel m_model;
};

} // namespace zsim
