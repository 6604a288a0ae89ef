// The files of a zip archive (an .xlsx workbook) for tests: the central
// directory read, each entry stored or deflated (zlib's raw inflate). Only
// what a workbook writer makes: no zip64, no encryption.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace zipreader {

// Every file of the archive by its name; no value for bytes that are not a
// zip archive this reader takes.
std::optional<QMap<QString, QByteArray>> read(const QByteArray &archive);

// The same for a file on disk.
std::optional<QMap<QString, QByteArray>> readFile(const QString &path);

} // namespace zipreader
