// Reading and writing the port file on disk. The file is replaced atomically:
// no moment leaves it empty or half-written.
#pragma once

#include "core/portfile.h"

#include <QString>

struct PortFileRead {
    bool opened = false; // false: missing or not readable
    QString error;       // why not, for the technician
    zcore::PortFileContents contents;
};

PortFileRead readPortFile(const QString &path, QChar decimalPoint);

// Writes the whole file; returns an empty text on success, else the reason.
QString writePortFile(const QString &path, const QByteArray &bytes);
