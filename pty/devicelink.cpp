#include "devicelink.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace zpty {

QString linkTarget(const QString &path)
{
    QByteArray target(4096, '\0');
    const ssize_t n =
        ::readlink(QFile::encodeName(path).constData(), target.data(), size_t(target.size()));
    if (n < 0)
        return {};
    target.truncate(n);
    return QFile::decodeName(target);
}

bool publishLink(const QString &device, const QString &linkPath, QString *error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    const QByteArray side = path + ".new-" + QByteArray::number(::getpid());
    ::unlink(side.constData());
    const bool made = ::symlink(QFile::encodeName(device).constData(), side.constData()) == 0 &&
                      ::rename(side.constData(), path.constData()) == 0;
    if (!made) {
        if (error)
            *error = QStringLiteral("cannot create the link %1: %2")
                         .arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(side.constData());
    }
    return made;
}

void removeLinkTo(const QString &device, const QString &linkPath)
{
    if (!linkPath.isEmpty() && !device.isEmpty() && linkTarget(linkPath) == device)
        ::unlink(QFile::encodeName(linkPath).constData());
}

} // namespace zpty
