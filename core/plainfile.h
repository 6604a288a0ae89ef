// Files the tool reads and writes are plain files. A named pipe with nobody
// at its other end blocks whoever opens it until someone comes, a device
// such as /dev/zero never ends, and a folder holds no recording: a path that
// names one of those is refused before it is opened.
#pragma once

#include <QString>

namespace zcore {

// Why the path may not be opened: it names something that is there and is
// not a plain file (a link to a plain file is one). Empty otherwise; a path
// that names nothing is left to the opening, which says why.
QString notAPlainFile(const QString &path);

} // namespace zcore
