#include "ptylink.h"

#include "console.h"
#include "pty/devicelink.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
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
    if (!zpty::publishLink(m_device, linkPath, error)) {
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
    if (!zpty::publishLink(m_device, m_linkPath, error)) {
        closeTerminal();
        m_device = before;
        return false;
    }
    return true;
}

bool PtyLink::openTerminal(QString *error)
{
    if (!m_terminal.open(zpty::PseudoTerminal::Master::NonBlocking, error))
        return false;
    m_device = m_terminal.device();
    m_notifier = new QSocketNotifier(m_terminal.master(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLink::readAvailable);
    return true;
}

void PtyLink::closeTerminal()
{
    delete m_notifier;
    m_notifier = nullptr;
    m_terminal.close();
}

qsizetype PtyLink::write(QByteArrayView bytes)
{
    if (!m_terminal.isOpen())
        return -1;
    if (bytes.isEmpty())
        return 0;
    for (;;) {
        const ssize_t n = ::write(m_terminal.master(), bytes.data(), size_t(bytes.size()));
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
    if (!m_terminal.isOpen() || ::ioctl(m_terminal.slave(), FIONREAD, &count) != 0)
        return 0;
    return count;
}

void PtyLink::discardUnread()
{
    if (m_terminal.isOpen())
        ::tcflush(m_terminal.slave(), TCIFLUSH);
}

void PtyLink::readAvailable()
{
    QByteArray bytes;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_terminal.master(), buffer, sizeof buffer);
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
    const QString old = zpty::linkTarget(linkPath);
    struct stat target {};
    if (::stat(path.constData(), &target) != 0)
        printNote(QStringLiteral("replacing stale link %1 (to %2)").arg(linkPath, old));
    else
        printNote(
            QStringLiteral("replacing link %1 (to %2, which still exists)").arg(linkPath, old));
    return true;
}

void PtyLink::removeLink()
{
    // Another simulator may have taken the path over since; its link stays.
    zpty::removeLinkTo(m_device, m_linkPath);
    m_linkPath.clear();
}

} // namespace zsim
