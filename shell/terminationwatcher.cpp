#include "terminationwatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
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

#else

int s_pipe[2] = {-1, -1};
constexpr int kWatched[] = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}

void closePipe()
{
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

#endif

} // namespace

TerminationWatcher::TerminationWatcher(QObject *parent) : QObject(parent) {}

TerminationWatcher::~TerminationWatcher()
{
    if (!m_started)
        return;
#ifdef Q_OS_WIN
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    ::CloseHandle(s_answered);
    s_answered = nullptr;
    s_watcher = nullptr;
#else
    for (const int number : kWatched)
        std::signal(number, SIG_DFL);
    closePipe();
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
    if (::pipe(s_pipe) != 0)
        return false;
    for (const int fd : s_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int number : kWatched) {
        if (::sigaction(number, &action, nullptr) != 0) {
            for (const int set : kWatched)
                std::signal(set, SIG_DFL);
            closePipe();
            return false;
        }
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatcher::readPipe);
#endif
    m_started = true;
    return true;
}

void TerminationWatcher::readPipe()
{
#ifndef Q_OS_WIN
    unsigned char byte = 0;
    bool caught = false;
    while (::read(s_pipe[0], &byte, 1) == 1)
        caught = true;
    if (caught)
        emit requested();
#endif
}
