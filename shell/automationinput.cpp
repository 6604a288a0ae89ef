#include "automationinput.h"

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>
#else
#include <QMetaObject>

#include <atomic>
#include <pthread.h>
#include <thread>
#include <windows.h>
#endif

#ifndef Q_OS_UNIX
// The thread reads with ReadFile so that stop() can cancel a read that is
// blocked on a console or pipe (CancelSynchronousIo), then joins it. What it
// read is handed to the object's own thread as queued calls; they are
// dropped with the object, and the thread is joined before that.
struct AutomationInput::Reader {
    std::atomic<bool> stopping{false};
    std::thread thread;

    void run(AutomationInput *owner)
    {
        const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        char buffer[4096];
        while (!stopping) {
            DWORD n = 0;
            if (in == nullptr || in == INVALID_HANDLE_VALUE ||
                !ReadFile(in, buffer, sizeof buffer, &n, nullptr) || n == 0)
                break;
            const QByteArray bytes(buffer, qsizetype(n));
            QMetaObject::invokeMethod(
                owner, [owner, bytes] { owner->take(bytes); }, Qt::QueuedConnection);
        }
        if (!stopping)
            QMetaObject::invokeMethod(
                owner, [owner] { owner->finish(); }, Qt::QueuedConnection);
    }

    void stop()
    {
        stopping = true;
        if (thread.joinable()) {
            // MinGW's std::thread runs on winpthreads: its native handle is
            // a pthread_t, whose Win32 thread handle winpthreads keeps.
            CancelSynchronousIo(static_cast<HANDLE>(pthread_gethandle(thread.native_handle())));
            thread.join();
        }
    }
};
#endif

AutomationInput::AutomationInput(QObject *parent) : QObject(parent) {}

AutomationInput::~AutomationInput() { stop(); }

void AutomationInput::start()
{
#ifdef Q_OS_UNIX
    if (m_notifier || m_stopped)
        return;
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0)
            return take(QByteArrayView(buffer, n));
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        finish();
    });
#else
    if (m_reader || m_stopped)
        return;
    m_reader = std::make_unique<Reader>();
    m_reader->thread = std::thread([this] { m_reader->run(this); });
#endif
}

void AutomationInput::stop()
{
    m_stopped = true;
#ifdef Q_OS_UNIX
    if (m_notifier)
        m_notifier->setEnabled(false);
#else
    if (m_reader)
        m_reader->stop();
#endif
}

void AutomationInput::take(QByteArrayView bytes)
{
    if (m_stopped)
        return;
    for (const QByteArray &line : m_lines.feed(bytes)) {
        emit lineReceived(line);
        if (m_stopped) // a request may end the program
            return;
    }
}

void AutomationInput::finish()
{
    if (m_stopped)
        return;
    stop();
    for (const QByteArray &line : m_lines.finish())
        emit lineReceived(line);
    emit ended();
}
