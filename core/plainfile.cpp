#include "plainfile.h"

#include <QFileInfo>

namespace zcore {

bool isOtherThanAPlainFile(const QString &path)
{
    const QFileInfo info(path); // stat() only: it opens nothing, so it cannot block
    return info.exists() && !info.isFile();
}

} // namespace zcore
