#include "terminationwatcher.h"

#include "core/signalpipe.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#endif

namespace {

#ifdef Q_OS_WIN

TerminationWatcher *s_watcher = nullptr;
HANDLE s_answered = nullptr; // set once the loop has emitted `requested`

BOOL WINAPI onConsoleEvent(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    QMetaObject::invokeMethod(
        s_watcher,
        [] {
            emit s_watcher->requested();
            ::SetEvent(s_answered);
        },
        Qt::QueuedConnection);
    // The system gives a closing console 5 s, and ends the process as soon
    // as this returns.
    ::WaitForSingleObject(s_answered, 4500);
    return TRUE;
}

#endif

} // namespace

TerminationWatcher::TerminationWatcher(QObject *parent) : QObject(parent) {}

TerminationWatcher::~TerminationWatcher()
{
#ifdef Q_OS_WIN
    if (!m_started)
        return;
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    ::CloseHandle(s_answered);
    s_answered = nullptr;
    s_watcher = nullptr;
#endif
}

bool TerminationWatcher::start()
{
    if (m_started)
        return true;
#ifdef Q_OS_WIN
    s_answered = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!s_answered)
        return false;
    s_watcher = this;
    if (!::SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        ::CloseHandle(s_answered);
        s_answered = nullptr;
        s_watcher = nullptr;
        return false;
    }
    // The desktop session ending: Qt says so while the session ends, before
    // the system takes the process away.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TerminationWatcher::requested);
#else
    m_signals = new zcore::SignalPipe(this);
    if (!m_signals->start({SIGTERM, SIGHUP, SIGINT}, zcore::SignalPipe::Again::DefaultAction))
        return false;
    connect(m_signals, &zcore::SignalPipe::caught, this, &TerminationWatcher::requested);
#endif
    m_started = true;
    return true;
}
