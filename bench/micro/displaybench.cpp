// Display micro-benchmarks, on a real window (display.h): one Timer2 tick
// with a frame waiting, with and without the repaint that follows, a silent
// tick, the status ticks, the painting of single labels and of the whole
// window, and one frame of the window's animation. These say where a poll
// cycle's time goes once the core work is done.

#include "displaybench.h"

#include "display.h"
#include "displayhost.h"

#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinlabel.h"
#include "ui/skintimer.h"

#include <QCoreApplication>
#include <QImage>
#include <QMovie>

namespace microbench {

namespace {

void BM_Display_PollTick(benchmark::State &state, Display &d, bool paint)
{
    for (auto _ : state)
        d.pollOnce(paint);
    Display::settle();
    state.SetItemsProcessed(state.iterations());
}

// A Timer2 tick with the port open and nothing arriving (idle, unit silent):
// the status colour still pulses, so Con1 repaints.
void BM_Display_PollTickSilent(benchmark::State &state, Display &d)
{
    for (auto _ : state) {
        d.window().el().Timer2->tickNow();
        QCoreApplication::processEvents();
    }
    d.pollOnce(true);
    state.SetItemsProcessed(state.iterations());
}

// Timer1 (status line) and Timer4 (message log) ticks while frames arrive, with repaint.
void BM_Display_StatusTicks(benchmark::State &state, Display &d)
{
    const auto &e = d.window().el();
    for (auto _ : state) {
        e.Timer1->tickNow();
        e.Timer4->tickNow();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}

// Painting one label into an image (its paintEvent alone, no parent background).
void BM_Paint_Label(benchmark::State &state, Display &d, const char *name)
{
    auto *label = qobject_cast<SkinLabel *>(d.window().element(QString::fromLatin1(name)));
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

// The whole window painted into an image (an expose: skin, every element).
void BM_Paint_WholeWindow(benchmark::State &state, Display &d)
{
    MainWindow &w = d.window();
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        w.render(&image);
    state.SetItemsProcessed(state.iterations());
}

// One frame of the window's animation (showV plays a 16-frame GIF while it is
// shown: a 3 s rest, then 15 frames of 100 ms, 3.5 frames a second on
// average): the movie moves on to the next frame (decoded, or taken from the
// movie's cache when it keeps its frames), then the repaint that asks for.
void BM_Display_AnimationFrame(benchmark::State &state, Display &d, bool decode)
{
    SkinBrowser *browser = d.window().el().showV;
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

} // namespace

void registerDisplayBenchmarks(DisplayHost &host)
{
    using Step = void (*)(benchmark::State &, Display &);
    auto add = [&host](const char *name, Step step) {
        benchmark::RegisterBenchmark(name, [&host, step](benchmark::State &state) {
            step(state, host.display());
        })->Unit(benchmark::kMicrosecond);
    };
    add("BM_Display_PollTick/frame_no_paint",
        [](benchmark::State &s, Display &d) { BM_Display_PollTick(s, d, false); });
    add("BM_Display_PollTick/frame_and_repaint",
        [](benchmark::State &s, Display &d) { BM_Display_PollTick(s, d, true); });
    add("BM_Display_PollTickSilent", BM_Display_PollTickSilent);
    add("BM_Display_StatusTicks", BM_Display_StatusTicks);
    add("BM_Paint_Label/speed_list_si1_50_lines",
        [](benchmark::State &s, Display &d) { BM_Paint_Label(s, d, "si1"); });
    add("BM_Paint_Label/band_ca1",
        [](benchmark::State &s, Display &d) { BM_Paint_Label(s, d, "ca1"); });
    add("BM_Paint_Label/engine_speed_rpms",
        [](benchmark::State &s, Display &d) { BM_Paint_Label(s, d, "rpms"); });
    add("BM_Paint_Label/status_Con1",
        [](benchmark::State &s, Display &d) { BM_Paint_Label(s, d, "Con1"); });
    add("BM_Paint_WholeWindow", BM_Paint_WholeWindow);
    add("BM_Display_AnimationFrame/next_frame_and_repaint",
        [](benchmark::State &s, Display &d) { BM_Display_AnimationFrame(s, d, true); });
    add("BM_Display_AnimationFrame/repaint_only",
        [](benchmark::State &s, Display &d) { BM_Display_AnimationFrame(s, d, false); });
}

} // namespace microbench
