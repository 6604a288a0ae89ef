#include "plainfile.h"

#include <QFileInfo>
#include <QObject>

namespace zcore {

QString notAPlainFile(const QString &path)
{
    const QFileInfo info(path); // stat() only: it opens nothing, so it cannot block
    if (!info.exists() || info.isFile())
        return {};
    return QObject::tr("%1 sıradan bir dosya değil").arg(path);
}

} // namespace zcore
