// Where the tool's files live on this system.
#pragma once

#include <QChar>
#include <QString>

namespace platform {

// The tool's configuration folder: ${XDG_CONFIG_HOME:-$HOME/.config}/zendalite.
QString configDir();

// A path as the tool names it ("c:\Ecu.ini") made a path of this system. On
// Windows it is used as it stands; elsewhere a path on drive c:\ lies in the
// configuration folder, so "c:\Ecu.ini" is <configDir>/Ecu.ini.
QString localPath(const QString &toolPath, const QString &configDir);

// The program's own directory, where the help document and the animation
// are; also found beside an installed program under ../share/zendalite.
QString ownDirectory();
// The program's own directory followed by "\<name>", as a local path.
QString ownFile(const QString &name);

// The desktop's decimal separator.
QChar decimalPoint();

} // namespace platform
