// The symbolic link that names a terminal's device where a reader looks for
// it (a simulator's --link path, a ports/comN entry).
#pragma once

#include <QString>

namespace zpty {

// Where the symbolic link at path points; empty when path is no link.
QString linkTarget(const QString &path);

// Points a symbolic link at linkPath to device, replacing whatever link is
// there. The link is made under a side name and renamed into place, so the
// path never points nowhere for a reader that looks at just that moment.
// On failure says why in *error (when given).
bool publishLink(const QString &device, const QString &linkPath, QString *error = nullptr);

// Removes the link at linkPath when it still points to device; a link that
// another program has turned elsewhere since stays.
void removeLinkTo(const QString &device, const QString &linkPath);

} // namespace zpty
