#include "signalpipe.h"

#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zcore {

#ifndef Q_OS_WIN
namespace {

int s_pipe[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace
#endif

SignalPipe::SignalPipe(QObject *parent) : QObject(parent) {}

SignalPipe::~SignalPipe() { release(); }

bool SignalPipe::start(const QList<int> &signalNumbers, Again again)
{
#ifdef Q_OS_WIN
    Q_UNUSED(signalNumbers);
    Q_UNUSED(again);
    return false;
#else
    if (m_notifier || s_pipe[0] >= 0)
        return false; // one at a time
    if (::pipe(s_pipe) != 0)
        return false;
    for (const int fd : s_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalPipe::readPipe);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | (again == Again::DefaultAction ? SA_RESETHAND : 0);
    for (const int number : signalNumbers) {
        m_signals.append(number);
        if (::sigaction(number, &action, nullptr) != 0) {
            release();
            return false;
        }
    }
    return true;
#endif
}

void SignalPipe::release()
{
#ifndef Q_OS_WIN
    if (!m_notifier)
        return; // the pipe, if any, is another's
    for (const int number : std::as_const(m_signals))
        std::signal(number, SIG_DFL);
    m_signals.clear();
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}

void SignalPipe::readPipe()
{
#ifndef Q_OS_WIN
    unsigned char byte = 0;
    while (::read(s_pipe[0], &byte, 1) == 1)
        emit caught(byte);
#endif
}

} // namespace zcore
