// Where the tool's files live on this system.
#pragma once

#include <QChar>
#include <QString>

namespace platform {

// The tool's configuration folder: ${XDG_CONFIG_HOME:-$HOME/.config}/zendalite;
// on Windows the user's own (QStandardPaths::AppConfigLocation, e.g.
// C:/Users/<user>/AppData/Local/zendalite).
QString configDir();

// Where the tool's drive c:\ lies: on Windows the drive itself (C:/);
// elsewhere the configuration folder.
QString driveRoot(const QString &configDir);

// Where the technician's own copy of the port file goes when the drive's
// root takes none: on Windows the configuration folder; elsewhere none
// (empty), the port file being in that folder already.
QString ownPortFileFolder(const QString &configDir);

// A path as the tool names it ("c:\Ecu.ini") made a path of this system: a
// path on drive c:\ lies in driveRoot, so "c:\Ecu.ini" is <driveRoot>/Ecu.ini
// (the same on every system, so that tests can put c:\ anywhere). An empty
// driveRoot leaves the drive as it is; backslashes become slashes.
QString localPath(const QString &toolPath, const QString &driveRoot);

// The program's own directory, where the help document and the animation
// are; also found beside an installed program under ../share/zendalite.
QString ownDirectory();
// The program's own directory followed by "\<name>", as a local path.
QString ownFile(const QString &name);

// The desktop's decimal separator.
QChar decimalPoint();

} // namespace platform
