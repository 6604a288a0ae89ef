// An application shell on an in-memory link with its own configuration
// folder and manual timers, for window tests on the offscreen platform.
#pragma once

#include "fakelink.h"
#include "payloads.h"
#include "shell/appshell.h"

#include <QTemporaryDir>

#include <memory>

class SkinTimer;

struct ShellFixture {
    QTemporaryDir dir;
    FakeLink link;
    std::unique_ptr<AppShell> shell;

    ShellFixture();
    QString portFilePath() const;
    void writePortFile(const QByteArray &bytes) const;
    QByteArray portFile() const; // empty when missing
    bool portFileExists() const;

    // A shell loaded on a port file of port 1 (or the given contents).
    void loadWith(const QByteArray &portFile = "\"Com-1\"\r\n");

    const MainWindow &window() const { return shell->mainWindow(); }
    // The unit sends these bytes, then a poll cycle (Timer2) runs.
    void poll(const QByteArray &bytes = payloads::workedFrame());
    // Runs the timer's tick count times (while it is enabled).
    static void tick(SkinTimer *timer, int count = 1);
};

// A shell loaded on a port file of port 1: the port open, no frame yet.
struct LoadedShell : ShellFixture {
    LoadedShell() { loadWith(); }
};
