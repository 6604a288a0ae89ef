// What was written to a file, put on the disk itself and not only in the
// system's cache, so that a power loss keeps it: fsync on POSIX, _commit
// (FlushFileBuffers) on Windows. The file's own buffer must be flushed first.
#pragma once

class QFileDevice;

namespace filesync {

// False when the system could not write it out (the reason in errno).
bool syncToDisk(QFileDevice &file);

} // namespace filesync
