// The window the display micro-benchmarks measure: the program's own wiring
// (AppShell) on the tests' in-memory port with manual timers
// (support/shellfixture.h), the window shown on the offscreen platform and
// its animation paused, so that only the measured step paints. A minute's
// worth of frames has filled the speed lists before the first step.
#pragma once

#include "support/shellfixture.h"

#include <QtGlobal>

class MainWindow;

namespace microbench {

class Display {
public:
    Display();

    MainWindow &window();
    // Lets the window handle what is pending: layout, repaints.
    static void settle();

    // One Timer2 tick with what three frames of 300 ms leave at the port
    // (the tick reads 50 characters and discards the rest), and its repaint
    // when `paint`. Not inlined, so that a profiler can count it on its own
    // (valgrind --tool=callgrind --toggle-collect='*pollOnce*').
    [[gnu::noinline]] void pollOnce(bool paint);

private:
    void pauseAnimation();

    ShellFixture m_fixture;
    quint64 m_frameNo = 0;
};

} // namespace microbench
