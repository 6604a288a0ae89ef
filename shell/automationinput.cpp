#include "automationinput.h"

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>
#else
#include <QMetaObject>

#include <atomic>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#ifndef Q_OS_UNIX
namespace {

// Standard input read by ReadFile in the reader thread. CancelSynchronousIo
// needs a real handle of that thread (std::thread's native handle is no
// such handle with every runtime): the thread takes its own on its first
// read. What the thread reads is handed to the object's own thread as
// queued calls, dropped with the object.
struct StandardInput {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::atomic<HANDLE> reader{nullptr};

    ~StandardInput()
    {
        if (HANDLE h = reader.load())
            CloseHandle(h);
    }

    qint64 read(char *buffer, qint64 size)
    {
        if (!reader.load()) {
            HANDLE own = nullptr;
            if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &own,
                                0, FALSE, DUPLICATE_SAME_ACCESS))
                reader.store(own);
        }
        DWORD n = 0;
        if (input == nullptr || input == INVALID_HANDLE_VALUE ||
            !ReadFile(input, buffer, DWORD(size), &n, nullptr))
            return -1; // closed, broken, or cancelled
        return qint64(n);
    }

    void cancel()
    {
        if (HANDLE h = reader.load())
            CancelSynchronousIo(h);
    }
};

} // namespace
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
    auto input = std::make_shared<StandardInput>();
    m_reader = std::make_unique<zcore::ReaderThread>(
        [input](char *buffer, qint64 size) { return input->read(buffer, size); },
        [input] { input->cancel(); },
        [this](const QByteArray &bytes) {
            QMetaObject::invokeMethod(
                this, [this, bytes] { take(bytes); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { finish(); }, Qt::QueuedConnection);
        });
    m_reader->start();
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
