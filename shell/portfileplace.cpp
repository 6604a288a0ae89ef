#include "portfileplace.h"

#include "portfilestore.h"

#include <QCoreApplication>
#include <QFileInfo>

PortFilePlace::PortFilePlace(QString rootFile, QString userFile)
    : m_root(std::move(rootFile)), m_user(std::move(userFile)), m_writer(writePortFile)
{
}

QString PortFilePlace::readPath() const
{
    if (m_user.isEmpty())
        return m_root;
    const QFileInfo root(m_root);
    const QFileInfo user(m_user);
    if (!user.exists())
        return m_root;
    if (!root.exists())
        return m_user;
    return user.lastModified() > root.lastModified() ? m_user : m_root;
}

QString PortFilePlace::write(const QByteArray &bytes, QString *writtenTo) const
{
    const auto refused = [](const QString &path, const QString &why) {
        return QCoreApplication::translate("PortFilePlace", "%1 cannot be written: %2")
            .arg(path, why);
    };
    if (writtenTo)
        *writtenTo = m_root;
    const QString rootWhy = m_writer(m_root, bytes);
    if (rootWhy.isEmpty())
        return {};
    if (m_user.isEmpty())
        return refused(m_root, rootWhy);
    if (writtenTo)
        *writtenTo = m_user;
    const QString userWhy = m_writer(m_user, bytes);
    if (userWhy.isEmpty())
        return {};
    return refused(m_root, rootWhy) + QStringLiteral("; ") + refused(m_user, userWhy);
}
