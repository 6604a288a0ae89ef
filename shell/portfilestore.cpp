#include "portfilestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A port file is one short line; anything far longer is not one.
constexpr qint64 kLargestPortFile = 64 * 1024;
} // namespace

PortFileRead readPortFile(const QString &path, QChar decimalPoint)
{
    PortFileRead result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.read(kLargestPortFile + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    result.opened = true;
    if (bytes.size() > kLargestPortFile) {
        result.contents.outcome = zcore::PortFileContents::Outcome::Unreadable;
        return result;
    }
    result.contents = zcore::parsePortFile(bytes, decimalPoint);
    return result;
}

QString writePortFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // Replaced atomically through a temporary file beside it where one can
    // be made; where it cannot (c:\ for a standard user on Windows, who may
    // change the existing file but create none there), written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
