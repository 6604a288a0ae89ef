#include "ptylink.h"

#include "console.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zsim {

namespace {

QString systemError(const QString &what)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// Where a symbolic link points, or an empty text when path is no link.
QByteArray linkTarget(const QByteArray &path)
{
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
    if (n < 0)
        return {};
    target.truncate(n);
    return target;
}

} // namespace

PtyLink::PtyLink(QObject *parent) : QObject(parent) {}

PtyLink::~PtyLink() { close(); }

bool PtyLink::open(const QString &linkPath, QString *error)
{
    close();
    // Looked at before a terminal exists, so a device number just given up
    // by a killed simulator is not mistaken for a live one.
    if (!checkLinkPath(linkPath, error))
        return false;
    if (!openTerminal(error))
        return false;
    if (!publishLink(linkPath, error)) {
        close();
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PtyLink::close()
{
    removeLink();
    closeTerminal();
    m_device.clear();
}

void PtyLink::hangUp() { closeTerminal(); }

bool PtyLink::replug(QString *error)
{
    if (m_linkPath.isEmpty()) {
        *error = QStringLiteral("no link to turn to a new device");
        return false;
    }
    const QString before = m_device;
    closeTerminal();
    if (!openTerminal(error))
        return false;
    // Renamed over the old link, so the path never points nowhere.
    if (!publishLink(m_linkPath, error)) {
        closeTerminal();
        m_device = before;
        return false;
    }
    return true;
}

bool PtyLink::openTerminal(QString *error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        *error = systemError(QStringLiteral("cannot create a pseudo-terminal"));
        return false;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const char *name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || !(name = ::ptsname(master))) {
        *error = systemError(QStringLiteral("cannot unlock the pseudo-terminal"));
        ::close(master);
        return false;
    }
    const QString device = QString::fromLocal8Bit(name);

    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        *error = systemError(QStringLiteral("cannot open ") + device);
        ::close(master);
        return false;
    }

    termios settings{};
    bool configured = ::tcgetattr(slave, &settings) == 0;
    if (configured) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B9600);
        ::cfsetospeed(&settings, B9600);
        settings.c_cflag = (settings.c_cflag & ~(CSIZE | PARENB | CSTOPB)) | CS8 | CLOCAL | CREAD;
        settings.c_cc[VMIN] = 1;
        settings.c_cc[VTIME] = 0;
        configured = ::tcsetattr(slave, TCSANOW, &settings) == 0;
    }
    const int flags = ::fcntl(master, F_GETFL);
    if (!configured || flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = systemError(QStringLiteral("cannot set up ") + device);
        ::close(slave);
        ::close(master);
        return false;
    }

    m_master = master;
    m_slave = slave;
    m_device = device;
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLink::readAvailable);
    return true;
}

void PtyLink::closeTerminal()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

qsizetype PtyLink::write(QByteArrayView bytes)
{
    if (m_master < 0)
        return -1;
    if (bytes.isEmpty())
        return 0;
    for (;;) {
        const ssize_t n = ::write(m_master, bytes.data(), size_t(bytes.size()));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

qsizetype PtyLink::unread() const
{
    int count = 0;
    if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void PtyLink::discardUnread()
{
    if (m_slave >= 0)
        ::tcflush(m_slave, TCIFLUSH);
}

void PtyLink::readAvailable()
{
    QByteArray bytes;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            printNote(systemError(QStringLiteral("reading the line failed")));
            m_notifier->setEnabled(false);
        }
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

bool PtyLink::checkLinkPath(const QString &linkPath, QString *error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return true;
    if (!S_ISLNK(status.st_mode)) {
        *error = linkPath + QStringLiteral(" exists and is not a symbolic link; not replacing it");
        return false;
    }
    const QString old = QFile::decodeName(linkTarget(path));
    struct stat target {};
    if (::stat(path.constData(), &target) != 0)
        printNote(QStringLiteral("replacing stale link %1 (to %2)").arg(linkPath, old));
    else
        printNote(
            QStringLiteral("replacing link %1 (to %2, which still exists)").arg(linkPath, old));
    return true;
}

bool PtyLink::publishLink(const QString &linkPath, QString *error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    const QByteArray device = QFile::encodeName(m_device);

    // Made under a side name and renamed into place, so the path never
    // points nowhere for a reader that looks at just that moment.
    const QByteArray side = path + ".new-" + QByteArray::number(::getpid());
    ::unlink(side.constData());
    if (::symlink(device.constData(), side.constData()) != 0) {
        *error = systemError(QStringLiteral("cannot create the link ") + linkPath);
        return false;
    }
    if (::rename(side.constData(), path.constData()) != 0) {
        *error = systemError(QStringLiteral("cannot create the link ") + linkPath);
        ::unlink(side.constData());
        return false;
    }
    return true;
}

void PtyLink::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_linkPath);
    // Another simulator may have taken the path over since; its link stays.
    if (linkTarget(path) == QFile::encodeName(m_device))
        ::unlink(path.constData());
    m_linkPath.clear();
}

} // namespace zsim
