// Core micro-benchmarks of the streaming frame scanner that the recorder and
// the graph window take every frame from: an unbroken stream of the
// benchmarks' frames, fed as a USB adapter hands it over (16-byte pieces)
// and as whole frames, and the same stream with a header's bytes inside
// every payload (coolant 66 degrees, level sensor 192, band 0 at level 0),
// the case in which the scanner must look past a frame before it gives it.
// Each step is one frame's worth of bytes.

#include "benchinputs.h"

#include "core/decode.h"
#include "core/frame.h"
#include "core/framescanner.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace microbench {

namespace {

using namespace zcore;

// The frame set back to back, as the unit sends it.
QByteArray stream(bool headerInEveryPayload)
{
    QByteArray s;
    for (QByteArray p : payloads()) {
        if (headerInEveryPayload) {
            putPayloadByte(p, position::kTemperature, kFrameHeader);
            putPayloadByte(p, position::kSensor, kTelemetryMark1);
            putPayloadByte(p, position::kBand, kTelemetryMark2);
        }
        s += telemetryFrame(p);
    }
    return s;
}

void BM_ScanStream(benchmark::State &state, bool headerInEveryPayload, qsizetype piece)
{
    const QByteArray bytes = stream(headerInEveryPayload);
    const QByteArrayView view(bytes);
    const qsizetype step = piece > 0 ? piece : 3 + kPayloadLength;
    FrameScanner scanner;
    qsizetype at = 0; // where the endless stream goes on
    qint64 frames = 0;
    for (auto _ : state) {
        // One frame's worth of the stream, in pieces of `step`.
        for (qsizetype done = 0; done < 3 + kPayloadLength;) {
            const qsizetype n = std::min(step, 3 + kPayloadLength - done);
            const QList<QByteArray> found = scanner.feed(view.sliced(at, n));
            frames += found.size();
            benchmark::DoNotOptimize(found);
            done += n;
            at = (at + n) % view.size();
        }
    }
    // Every frame but the few still held is given.
    if (frames + 4 < qint64(state.iterations()))
        state.SkipWithError("frames lost");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_ScanStream, whole_frames, false, 0);
BENCHMARK_CAPTURE(BM_ScanStream, pieces_of_16, false, 16);
BENCHMARK_CAPTURE(BM_ScanStream, header_in_every_payload_pieces_of_16, true, 16);

} // namespace

} // namespace microbench
