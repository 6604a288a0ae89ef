// The application object and the display, made on first use (the core
// micro-benchmarks need neither) and taken down in reverse order when the
// host goes: the display first, then the application.
#pragma once

#include "display.h"

#include <QApplication>

#include <memory>

namespace microbench {

class DisplayHost {
public:
    // The display, with the application object made first (on the offscreen
    // platform unless QT_QPA_PLATFORM says otherwise).
    Display &display();

private:
    int m_argc = 1;
    char m_name[32] = "zendalite-microbench";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<Display> m_display;
};

} // namespace microbench
