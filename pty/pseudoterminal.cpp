#include "pseudoterminal.h"

#include "rawline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zpty {

namespace {

QString systemError(const QString &what)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PseudoTerminal::~PseudoTerminal() { close(); }

bool PseudoTerminal::open(Master mode, QString *error)
{
    close();
    auto fail = [error](const QString &why, int master, int slave) {
        if (error)
            *error = why;
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
        return false;
    };

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return fail(systemError(QStringLiteral("cannot create a pseudo-terminal")), -1, -1);
    const char *name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || !(name = ::ptsname(master)))
        return fail(systemError(QStringLiteral("cannot unlock the pseudo-terminal")), master, -1);
    const QString device = QString::fromLocal8Bit(name);

    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail(systemError(QStringLiteral("cannot open ") + device), master, -1);

    bool ready = makeRawLine(slave);
    if (ready && mode == Master::NonBlocking) {
        const int flags = ::fcntl(master, F_GETFL);
        ready = flags >= 0 && ::fcntl(master, F_SETFL, flags | O_NONBLOCK) == 0;
    }
    if (!ready)
        return fail(systemError(QStringLiteral("cannot set up ") + device), master, slave);

    m_master = master;
    m_slave = slave;
    m_device = device;
    return true;
}

void PseudoTerminal::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_device.clear();
}

} // namespace zpty
