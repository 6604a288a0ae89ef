#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace platform {

QString configDir()
{
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#else
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir(base).filePath(QStringLiteral("zendalite"));
#endif
}

QString driveRoot(const QString &configDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir);
    return QStringLiteral("C:/");
#else
    return configDir;
#endif
}

QString ownPortFileFolder(const QString &configDir)
{
#ifdef Q_OS_WIN
    return configDir;
#else
    Q_UNUSED(configDir);
    return {};
#endif
}

QString localPath(const QString &toolPath, const QString &driveRoot)
{
    if (!driveRoot.isEmpty() && toolPath.size() >= 3 &&
        toolPath.at(0).toLower() == QLatin1Char('c') && toolPath.at(1) == QLatin1Char(':') &&
        (toolPath.at(2) == QLatin1Char('\\') || toolPath.at(2) == QLatin1Char('/'))) {
        QString rest = toolPath.mid(3);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QDir(driveRoot).filePath(rest);
    }
    QString path = toolPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString ownDirectory()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString shared = QDir(appDir).filePath(QStringLiteral("../share/zendalite"));
    if (QFileInfo(shared).isDir())
        return QDir::cleanPath(shared);
    return appDir;
}

QString ownFile(const QString &name)
{
    return localPath(ownDirectory() + QLatin1Char('\\') + name, QString());
}

QChar decimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

} // namespace platform
