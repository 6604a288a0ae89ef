// Micro-benchmarks (Google Benchmark).
//
// Core (Qt Core only, no window): what the poll cycle does with one 50-character
// read - find and accept the frame, decode the payload - and the texts the
// display makes of one frame, each step on its own and as one total
// ("decode + format one frame"). Target: one frame in under 5 us.
//
// Display (a real MainWindow on the offscreen platform, through AppShell on an
// in-memory link, manual timers): one Timer2 tick with a frame waiting, with
// and without the repaint that follows, the painting of single labels, and
// one frame of the window's GIF animation. These say where a poll cycle's
// time goes once the core work is done.
//
//   zendalite-microbench [--benchmark_filter=REGEX] [--benchmark_min_time=0.2]

#include "benchframes.h"

#include "core/decode.h"
#include "core/frame.h"
#include "core/numbers.h"
#include "link/seriallink.h"
#include "shell/appshell.h"
#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinfonts.h"
#include "ui/skinlabel.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMovie>
#include <QPainter>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace zcore;

// A set of different frames, so no step sees the same input twice in a row
// (the window skips a caption that did not change; the core does not care).
constexpr int kFrameSet = 64;

const std::vector<QByteArray> &payloads()
{
    static const std::vector<QByteArray> all = [] {
        std::vector<QByteArray> v;
        for (int k = 0; k < kFrameSet; ++k)
            v.push_back(benchframes::payload(quint64(k) * 7, 100 + k % 3));
        return v;
    }();
    return all;
}

const std::vector<QByteArray> &reads(int headerAt)
{
    static std::array<std::vector<QByteArray>, 64> byOffset;
    auto &v = byOffset[size_t(headerAt)];
    if (v.empty())
        for (int k = 0; k < kFrameSet; ++k)
            v.push_back(benchframes::read50(quint64(k) * 7, headerAt));
    return v;
}

const std::vector<QByteArray> &readsWithoutHeader()
{
    static const std::vector<QByteArray> all = [] {
        std::vector<QByteArray> v;
        for (int k = 0; k < kFrameSet; ++k) {
            QByteArray r =
                benchframes::payload(quint64(k), 100) + benchframes::payload(quint64(k) + 1, 100);
            r.truncate(kReadLength);
            if (findTelemetryHeader(r) >= 0) {
                std::fprintf(stderr, "microbench: a header-free read holds a header\n");
                std::abort();
            }
            v.push_back(r);
        }
        return v;
    }();
    return all;
}

// A speed list as the window holds it after a while: 50 lines, newest first.
QString speedListCaption(int k)
{
    QString s;
    for (int line = 0; line < 50; ++line)
        s += numberText(1600 + ((k + line) % 17) * 3.7) + QLatin1Char('\r');
    return s;
}

// ---------------------------------------------------------------- frame search

void BM_FramePayload(benchmark::State &state, int headerAt, bool accepted)
{
    const auto &in = headerAt < 0 ? readsWithoutHeader() : reads(headerAt);
    size_t i = 0;
    for (auto _ : state) {
        auto p = framePayload(in[i++ % in.size()]);
        if (p.has_value() != accepted)
            state.SkipWithError("unexpected acceptance");
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_FramePayload, header_first_accepted, 0, true);
BENCHMARK_CAPTURE(BM_FramePayload, header_at_13_accepted, 13, true);
BENCHMARK_CAPTURE(BM_FramePayload, header_at_14_too_short, 14, false);
BENCHMARK_CAPTURE(BM_FramePayload, no_header, -1, false);

// --------------------------------------------------------------------- decoding

void BM_DecodePayload(benchmark::State &state)
{
    const auto &in = payloads();
    size_t i = 0;
    for (auto _ : state) {
        LiveFrame f = decodePayload(in[i++ % in.size()]);
        benchmark::DoNotOptimize(f);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodePayload);

// ------------------------------------------------------------ display formatting

std::vector<LiveFrame> decodedFrames()
{
    std::vector<LiveFrame> v;
    for (const QByteArray &p : payloads())
        v.push_back(decodePayload(p));
    return v;
}

void BM_TimeCutToFour_x8(benchmark::State &state)
{
    const auto frames = decodedFrames();
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
    const auto frames = decodedFrames();
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
    const auto frames = decodedFrames();
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

// ---------------------------------------------------------------- the display

// An in-memory port: whatever the benchmark queues is read 50 characters at a time.
class BenchLink : public SerialLink {
public:
    void receive(QByteArrayView bytes) { m_pending.append(bytes); }
    bool setPortNumber(int number) override { return (m_number = number) >= 1; }
    int portNumber() const override { return m_number; }
    bool setSettings(const QString &) override { return true; }
    void setReadLength(int length) override { m_readLength = length; }
    bool isOpen() const override { return m_open; }
    bool open() override { return m_open = true; }
    void close() override { m_open = false; }
    bool write(QByteArrayView) override { return true; }
    QByteArray read() override
    {
        const QByteArray chunk = m_pending.left(m_readLength > 0 ? m_readLength : 4096);
        m_pending.remove(0, chunk.size());
        return chunk;
    }
    void discardInput() override { m_pending.clear(); }
    QString lastError() const override { return {}; }

private:
    QByteArray m_pending;
    int m_number = 0;
    int m_readLength = 0;
    bool m_open = false;
};

// The program's wiring (AppShell) on the in-memory port, manual timers, the
// window shown on the offscreen platform; the animation paused so that only
// the measured step paints.
struct Display {
    QTemporaryDir dir;
    BenchLink link;
    std::unique_ptr<AppShell> shell;
    quint64 frameNo = 0;

    Display()
    {
        const QString config = dir.filePath(QStringLiteral("zendalite"));
        QDir().mkpath(config);
        QFile ini(QDir(config).filePath(QStringLiteral("Ecu.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("\"Com-1\"\r\n");
        ini.close();
        shell = std::make_unique<AppShell>(link, config, true);
        shell->load();
        pauseAnimation();
        settle();
        // A few frames so the speed lists are full, as after a minute of running.
        for (int i = 0; i < 60; ++i)
            pollOnce(true);
    }

    void pauseAnimation()
    {
        for (QMovie *m : shell->mainWindow().findChildren<QMovie *>())
            m->setPaused(true);
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // Not inlined, so that a profiler can count it on its own
    // (valgrind --tool=callgrind --toggle-collect='*pollOnce*').
    [[gnu::noinline]] void pollOnce(bool paint)
    {
        // What three frames of 300 ms leave at the port; the tick reads 50 and discards the rest.
        for (int f = 0; f < 3; ++f)
            link.receive(benchframes::frame(frameNo++, 100));
        shell->mainWindow().el().Timer2->tickNow();
        if (paint)
            QCoreApplication::processEvents();
    }
};

// The application object and the display are made on first use (the core
// benchmarks need neither) and taken down in that order's reverse at exit.
struct Gui {
    int argc = 1;
    char name[32] = "zendalite-microbench";
    char *argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    std::unique_ptr<Display> display;
};
Gui *g_gui = nullptr;

Display &display()
{
    if (!g_gui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        g_gui = new Gui;
        g_gui->app = std::make_unique<QApplication>(g_gui->argc, g_gui->argv);
        installFontSubstitutes();
        g_gui->display = std::make_unique<Display>();
        std::atexit([] {
            g_gui->display.reset();
            g_gui->app.reset();
            delete g_gui;
            g_gui = nullptr;
        });
    }
    return *g_gui->display;
}

void BM_Display_PollTick(benchmark::State &state, bool paint)
{
    Display &d = display();
    for (auto _ : state)
        d.pollOnce(paint);
    Display::settle();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_Display_PollTick, frame_no_paint, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Display_PollTick, frame_and_repaint, true)->Unit(benchmark::kMicrosecond);

// A Timer2 tick with the port open and nothing arriving (idle, unit silent):
// the status colour still pulses, so Con1 repaints.
void BM_Display_PollTickSilent(benchmark::State &state)
{
    Display &d = display();
    for (auto _ : state) {
        d.shell->mainWindow().el().Timer2->tickNow();
        QCoreApplication::processEvents();
    }
    d.pollOnce(true);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Display_PollTickSilent)->Unit(benchmark::kMicrosecond);

// Timer1 (status line) and Timer4 (message log) ticks while frames arrive, with repaint.
void BM_Display_StatusTicks(benchmark::State &state)
{
    Display &d = display();
    const auto &e = d.shell->mainWindow().el();
    for (auto _ : state) {
        e.Timer1->tickNow();
        e.Timer4->tickNow();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Display_StatusTicks)->Unit(benchmark::kMicrosecond);

// Painting one label into an image (its paintEvent alone, no parent background).
void BM_Paint_Label(benchmark::State &state, const char *name)
{
    Display &d = display();
    auto *label =
        qobject_cast<SkinLabel *>(d.shell->mainWindow().element(QString::fromLatin1(name)));
    if (!label) {
        state.SkipWithError("no such label");
        return;
    }
    QImage image(label->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_Paint_Label, speed_list_si1_50_lines, "si1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Paint_Label, band_ca1, "ca1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Paint_Label, engine_speed_rpms, "rpms")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Paint_Label, status_Con1, "Con1")->Unit(benchmark::kMicrosecond);

// The whole window painted into an image (an expose: skin, every element).
void BM_Paint_WholeWindow(benchmark::State &state)
{
    Display &d = display();
    MainWindow &w = d.shell->mainWindow();
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        w.render(&image);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Paint_WholeWindow)->Unit(benchmark::kMicrosecond);

// One frame of the window's animation (showV plays a 16-frame GIF while it is
// shown: a 3 s rest, then 15 frames of 100 ms, 3.5 frames a second on
// average): the movie moves on to the next frame (decoded, or taken from the
// movie's cache when it keeps its frames), then the repaint that asks for.
void BM_Display_AnimationFrame(benchmark::State &state, bool decode)
{
    Display &d = display();
    SkinBrowser *browser = d.shell->mainWindow().el().showV;
    const QString file = QStringLiteral(ZENDALITE_ANIMATION);
    if (browser->document() != file)
        browser->navigate(file);
    QMovie *movie = browser->findChild<QMovie *>();
    if (!movie) {
        state.SkipWithError("the animation did not load");
        return;
    }
    movie->setPaused(true);
    Display::settle();
    int changes = 0;
    const auto counter = QObject::connect(movie, &QMovie::frameChanged, [&changes] { ++changes; });
    for (auto _ : state) {
        if (decode)
            movie->jumpToNextFrame(); // the next frame; its repaint follows
        else
            browser->update(); // the repaint alone (what a cached frame would cost)
        QCoreApplication::processEvents();
    }
    QObject::disconnect(counter);
    if (decode && changes < state.iterations())
        state.SkipWithError("the movie did not move on every step");
    state.counters["frames_per_s"] = 16.0 / 4.5;
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_Display_AnimationFrame, next_frame_and_repaint, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Display_AnimationFrame, repaint_only, false)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
