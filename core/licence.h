// What --version prints, as GNU programs print it: the program and its
// version, then the copyright and licence lines.
#pragma once

#include <QByteArray>

namespace zcore {

inline QByteArray versionText(const char *program, const char *version)
{
    return QByteArray(program) + ' ' + version +
           "\nCopyright (C) 2026 Zendalite developers\n"
           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

} // namespace zcore
