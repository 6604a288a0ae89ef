// Files the tool reads and writes are plain files. A named pipe with nobody
// at its other end blocks whoever opens it until someone comes, a device
// such as /dev/zero never ends, and a folder holds no recording: a path that
// names one of those is refused before it is opened.
#pragma once

#include <QString>

namespace zcore {

// True when the path names something that is there and is not a plain file
// (a link to a plain file is one). A path that names nothing is not: opening
// it says why.
bool isOtherThanAPlainFile(const QString &path);

} // namespace zcore
