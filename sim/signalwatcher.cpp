#include "signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zsim {

namespace {

int s_pipe[2] = {-1, -1};
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent) {}

SignalWatcher::~SignalWatcher()
{
    if (!m_notifier)
        return;
    for (const int number : kWatched)
        std::signal(number, SIG_DFL);
    ::close(s_pipe[0]);
    ::close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
}

bool SignalWatcher::start()
{
    if (m_notifier)
        return true;
    if (::pipe(s_pipe) != 0)
        return false;
    for (const int fd : s_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kWatched) {
        if (::sigaction(number, &action, nullptr) != 0) {
            for (const int set : kWatched)
                std::signal(set, SIG_DFL);
            ::close(s_pipe[0]);
            ::close(s_pipe[1]);
            s_pipe[0] = s_pipe[1] = -1;
            return false;
        }
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPipe);
    return true;
}

void SignalWatcher::readPipe()
{
    unsigned char byte = 0;
    while (::read(s_pipe[0], &byte, 1) == 1)
        emit caught(byte);
}

} // namespace zsim
