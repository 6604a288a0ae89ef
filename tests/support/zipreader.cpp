#include "zipreader.h"

#include <QFile>

#include <zlib.h>

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;

quint32 le(const QByteArray &bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

std::optional<QByteArray> inflateRaw(const QByteArray &deflated, qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(deflated.constData()));
    stream.avail_in = uInt(deflated.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || qsizetype(stream.total_out) != size)
        return std::nullopt;
    return out;
}

} // namespace

namespace zipreader {

std::optional<QMap<QString, QByteArray>> read(const QByteArray &zip)
{
    // The end record lies in the last 22 bytes plus a comment of up to 64 KiB.
    qsizetype end = -1;
    for (qsizetype at = zip.size() - 22; at >= 0 && at >= zip.size() - 22 - 65535; --at) {
        if (le(zip, at, 4) == kEndOfDirectory) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return std::nullopt;
    const quint32 entries = le(zip, end + 10, 2);
    qsizetype at = le(zip, end + 16, 4);
    QMap<QString, QByteArray> files;
    for (quint32 i = 0; i < entries; ++i) {
        if (at + 46 > zip.size() || le(zip, at, 4) != kDirectoryEntry)
            return std::nullopt;
        const quint32 method = le(zip, at + 10, 2);
        const qsizetype packed = le(zip, at + 20, 4);
        const qsizetype size = le(zip, at + 24, 4);
        const qsizetype nameLength = le(zip, at + 28, 2);
        const qsizetype extra = le(zip, at + 30, 2);
        const qsizetype comment = le(zip, at + 32, 2);
        const qsizetype local = le(zip, at + 42, 4);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        at += 46 + nameLength + extra + comment;

        if (local + 30 > zip.size() || le(zip, local, 4) != kLocalHeader)
            return std::nullopt;
        const qsizetype data = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
        if (data + packed > zip.size())
            return std::nullopt;
        const QByteArray bytes = zip.mid(data, packed);
        if (method == 0 && packed == size) {
            files.insert(name, bytes);
        } else if (method == 8) {
            const auto inflated = inflateRaw(bytes, size);
            if (!inflated)
                return std::nullopt;
            files.insert(name, *inflated);
        } else {
            return std::nullopt;
        }
    }
    return files;
}

std::optional<QMap<QString, QByteArray>> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return read(file.readAll());
}

} // namespace zipreader
