#include "openwatcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <unistd.h>

#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace zsim {

OpenWatcher::OpenWatcher(QObject *parent) : QObject(parent) {}

OpenWatcher::~OpenWatcher() { stop(); }

#ifdef __linux__

bool OpenWatcher::start(const QString &device, QString *error)
{
    stop();
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0 || ::inotify_add_watch(m_fd, QFile::encodeName(device).constData(), IN_OPEN) < 0) {
        *error = QStringLiteral("cannot watch %1 for the tool opening it: %2")
                     .arg(device, QString::fromLocal8Bit(std::strerror(errno)));
        stop();
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &OpenWatcher::readEvents);
    return true;
}

void OpenWatcher::readEvents()
{
    alignas(struct inotify_event) char buffer[4096];
    bool open = false;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + at);
            open = open || (event->mask & IN_OPEN) != 0;
            at += ssize_t(sizeof(struct inotify_event)) + event->len;
        }
    }
    if (!open)
        return;
    stop();
    emit opened();
}

#else

bool OpenWatcher::start(const QString &device, QString *error)
{
    *error = QStringLiteral("cannot watch %1 for the tool opening it on this system").arg(device);
    return false;
}

void OpenWatcher::readEvents() {}

#endif

void OpenWatcher::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace zsim
