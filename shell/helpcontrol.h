// The help window: opened by the help plate (kablo), showing the help
// document; it exists only while it is open. Closing it brings the main
// window back from the task bar and restarts the silent-poll count; it does
// not end the program.
#pragma once

#include "helpwindow.h"

#include <QObject>
#include <QPointer>

#include <memory>

struct SharedState;
class MainWindow;

class HelpControl : public QObject {
    Q_OBJECT
public:
    HelpControl(SharedState &state, MainWindow &main, QObject *parent = nullptr);
    ~HelpControl() override;

    // Opens (or raises) the window and shows the help document.
    void open();

    // The window while it is open; null otherwise.
    HelpWindow *window() const { return m_window.get(); }

private:
    void closed();

    SharedState &m_state;
    MainWindow &m_main;
    std::unique_ptr<HelpWindow> m_window;
    QPointer<HelpWindow> m_closing; // closed, its deletion not yet run
};
