// Inputs of the core micro-benchmarks: a set of different frames from the
// benchmarks' engine (bench/benchframes.h), so no step sees the same input
// twice in a row (the window skips a caption that did not change; the core
// does not care). Each set is made once, on first use, and never changes.
#pragma once

#include "core/decode.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace microbench {

inline constexpr int kFrameSet = 64;

// The payloads of the set.
const std::vector<QByteArray> &payloads();
// The same payloads, decoded.
const std::vector<zcore::LiveFrame> &decodedFrames();
// 50-character reads with the frame's header at headerAt (0 to 14).
const std::vector<QByteArray> &reads(int headerAt);
// 50-character reads that hold no header at all.
const std::vector<QByteArray> &readsWithoutHeader();

// A speed list as the window holds it after a while: 50 lines, newest first.
QString speedListCaption(int k);

} // namespace microbench
