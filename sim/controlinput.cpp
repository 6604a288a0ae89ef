#include "controlinput.h"

#include "console.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zsim {

namespace {

// A terminal that belongs to another process group: the program was
// started in the background.
bool inBackground() { return ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) != ::getpgrp(); }

} // namespace

ControlInput::ControlInput(QObject *parent) : QObject(parent), m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(kBackgroundRetryMs);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

bool ControlInput::start()
{
    if (m_notifier)
        return true;
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0)
        return false;
    // Reading a terminal from the background would stop the program; with
    // the signal ignored the read fails instead and is tried again later.
    if (::isatty(STDIN_FILENO))
        std::signal(SIGTTIN, SIG_IGN);
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ControlInput::readInput);
    return true;
}

void ControlInput::readInput()
{
    char buffer[512];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
        take(m_lines.feed(QByteArrayView(buffer, n)));
        return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (n < 0 && errno == EIO && inBackground()) {
        m_notifier->setEnabled(false);
        m_retry->start();
        return;
    }
    // The end of the input, or input that cannot be read: no more control.
    take(m_lines.finish());
    stop();
}

void ControlInput::take(const QByteArrayList &bytes)
{
    for (const QByteArray &lineBytes : bytes) {
        const QString line = QString::fromUtf8(lineBytes);
        if (line.trimmed().isEmpty())
            continue;
        QString error;
        const std::optional<Fault> fault = Fault::parse(line, &error);
        if (fault)
            emit faultAsked(*fault);
        else
            printLine(QStringLiteral("error ") + error);
    }
}

void ControlInput::stop()
{
    m_retry->stop();
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
}

} // namespace zsim
