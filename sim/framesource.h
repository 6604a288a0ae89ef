// Where the unit's outgoing frames come from: the engine model, a fixed list
// of frames read from a file, or a recording replayed with its own timing.
#pragma once

#include <QByteArray>

#include <optional>

namespace zsim {

class FrameSource {
public:
    virtual ~FrameSource() = default;

    // The whole chunk the unit sends next (header included), periodSeconds
    // after the one before.
    virtual QByteArray nextFrame(double periodSeconds) = 0;

    // A command from the tool. False when the source does not act on it.
    virtual bool apply(int code, int value) = 0;

    // For a source with timing of its own (a replayed recording): when its
    // next frame is due, in milliseconds after sending began; infinity once
    // it has no frame left. No value for a source whose frames follow the
    // rate.
    virtual std::optional<double> nextDueMs() const { return std::nullopt; }
};

} // namespace zsim
