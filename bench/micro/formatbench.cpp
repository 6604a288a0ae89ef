// Core micro-benchmarks of the texts the display makes of one frame, each
// step on its own (the 8 in/out times, 4 speed entries, 4 list heads, engine
// speed, the whole-number captions, mask faces, diagnostic line, the speed
// list's text step) and as one total ("decode + format one frame", target:
// under 5 us), with and without the four speed-list steps.

#include "benchinputs.h"

#include "core/decode.h"
#include "core/frame.h"
#include "core/numbers.h"

#include <benchmark/benchmark.h>

#include <array>

namespace microbench {

namespace {

using namespace zcore;

void BM_TimeCutToFour_x8(benchmark::State &state)
{
    const auto &frames = decodedFrames();
    size_t i = 0;
    for (auto _ : state) {
        const LiveFrame &f = frames[i++ % frames.size()];
        for (size_t k = 0; k < 4; ++k) {
            benchmark::DoNotOptimize(timeCutToFour(f.inWord[k]));
            benchmark::DoNotOptimize(timeCutToFour(f.outWord[k]));
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TimeCutToFour_x8);

void BM_SpeedEntry_x4(benchmark::State &state, QChar point)
{
    const auto &frames = decodedFrames();
    size_t i = 0;
    for (auto _ : state) {
        const LiveFrame &f = frames[i++ % frames.size()];
        for (size_t k = 0; k < 4; ++k)
            benchmark::DoNotOptimize(speedEntry(f.inWord[k], f.outWord[k], point));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_SpeedEntry_x4, point, QLatin1Char('.'));
BENCHMARK_CAPTURE(BM_SpeedEntry_x4, comma_desktop, QLatin1Char(','));

void BM_ListHead_x4(benchmark::State &state)
{
    std::vector<QString> lists;
    for (int k = 0; k < 16; ++k)
        lists.push_back(speedListCaption(k));
    size_t i = 0;
    for (auto _ : state) {
        for (size_t k = 0; k < 4; ++k)
            benchmark::DoNotOptimize(listHead(lists[(i + k) % lists.size()]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListHead_x4);

void BM_EngineSpeed(benchmark::State &state)
{
    std::array<double, 4> heads{1612, 1618.4, 1604, 1621.2};
    for (auto _ : state) {
        benchmark::DoNotOptimize(heads);
        const EngineSpeed e = engineSpeed(heads);
        benchmark::DoNotOptimize(e);
        benchmark::DoNotOptimize(e.value ? numberText(*e.value) : QString());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EngineSpeed);

void BM_DiagnosticLine(benchmark::State &state)
{
    const auto &in = payloads();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(diagnosticLine(in[i++ % in.size()]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DiagnosticLine);

// The whole-number captions of one frame: 4 band levels, coolant, switch-over
// temperature and the 5 calibration points.
void BM_WholeNumberTexts_x11(benchmark::State &state)
{
    const auto &frames = decodedFrames();
    size_t i = 0;
    for (auto _ : state) {
        const LiveFrame &f = frames[i++ % frames.size()];
        for (int b : f.bands)
            benchmark::DoNotOptimize(numberText(b));
        benchmark::DoNotOptimize(numberText(degreesFromByte(f.temperatureByte)));
        benchmark::DoNotOptimize(numberText(degreesFromByte(f.switchOverByte)));
        for (int c : f.calibration)
            benchmark::DoNotOptimize(numberText(c));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WholeNumberTexts_x11);

void BM_MaskFaces(benchmark::State &state)
{
    int mask = 60;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mask);
        benchmark::DoNotOptimize(maskFaces(mask));
    }
}
BENCHMARK(BM_MaskFaces);

// The speed list's text step as LiveDisplay::prependSpeed does it (a private
// function of the app, mirrored here line for line): new entry, CR, the old
// caption, cut after the 50th CR; then SkinLabel::setCaption's CR -> LF copy.
QString prependSpeed(const QString &caption, const QString &entry)
{
    QString text = entry + QLatin1Char('\r') + caption;
    qsizetype at = -1;
    for (int line = 0; line < 50; ++line) {
        at = text.indexOf(QLatin1Char('\r'), at + 1);
        if (at < 0)
            break;
    }
    if (at >= 0 && at + 1 < text.size())
        text.truncate(at + 1);
    return text;
}

QString shownText(const QString &caption)
{
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void BM_SpeedListPrepend_x4(benchmark::State &state)
{
    std::array<QString, 4> lists;
    for (int k = 0; k < 4; ++k)
        lists[size_t(k)] = speedListCaption(k);
    int n = 0;
    for (auto _ : state) {
        for (auto &list : lists) {
            list = prependSpeed(list, numberText(1600 + (n++ % 23) * 1.3));
            benchmark::DoNotOptimize(shownText(list));
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpeedListPrepend_x4);

// Everything the poll cycle and the display compute from one 50-character
// read, without widgets: accept, decode, the 8 times, 4 speed entries, 4 list
// heads, engine speed and its text, 4 band texts, mask faces, coolant,
// 5 calibration points, switch-over, diagnostic line. With lists: plus the
// four speed-list text steps above.
void BM_DecodeAndFormatFrame(benchmark::State &state, bool withLists)
{
    const auto &in = reads(0);
    std::array<QString, 4> lists;
    for (int k = 0; k < 4; ++k)
        lists[size_t(k)] = speedListCaption(k);
    size_t i = 0;
    for (auto _ : state) {
        const auto payload = framePayload(in[i++ % in.size()]);
        const LiveFrame f = decodePayload(*payload);
        for (size_t k = 0; k < 4; ++k) {
            benchmark::DoNotOptimize(timeCutToFour(f.inWord[k]));
            benchmark::DoNotOptimize(timeCutToFour(f.outWord[k]));
        }
        std::array<double, 4> heads{};
        for (size_t k = 0; k < 4; ++k) {
            const auto entry = speedEntry(f.inWord[k], f.outWord[k]);
            if (withLists && entry) {
                lists[k] = prependSpeed(lists[k], *entry);
                benchmark::DoNotOptimize(shownText(lists[k]));
            }
            heads[k] = listHead(withLists ? QStringView(lists[k])
                                          : QStringView(entry ? *entry : QString()));
        }
        const EngineSpeed speed = engineSpeed(heads);
        benchmark::DoNotOptimize(speed.value ? numberText(*speed.value) : QString());
        for (int b : f.bands)
            benchmark::DoNotOptimize(numberText(b));
        benchmark::DoNotOptimize(maskFaces(f.mask));
        benchmark::DoNotOptimize(numberText(degreesFromByte(f.temperatureByte)));
        for (int c : f.calibration)
            benchmark::DoNotOptimize(numberText(c));
        benchmark::DoNotOptimize(numberText(degreesFromByte(f.switchOverByte)));
        benchmark::DoNotOptimize(diagnosticLine(*payload));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_DecodeAndFormatFrame, total, false);
BENCHMARK_CAPTURE(BM_DecodeAndFormatFrame, total_with_speed_lists, true);

} // namespace

} // namespace microbench
