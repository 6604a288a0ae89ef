// Where the unit's outgoing frames come from: the engine model, or a fixed
// list of frames read from a file.
#pragma once

#include <QByteArray>

namespace zsim {

class FrameSource {
public:
    virtual ~FrameSource() = default;

    // The whole chunk the unit sends next (header included), periodSeconds
    // after the one before.
    virtual QByteArray nextFrame(double periodSeconds) = 0;

    // A command from the tool. False when the source does not act on it.
    virtual bool apply(int code, int value) = 0;
};

} // namespace zsim
