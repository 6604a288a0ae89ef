#include "mimearchive.h"

#include <QMap>

namespace zcore {
namespace {

using Headers = QMap<QByteArray, QByteArray>; // lower-case name -> value

// Splits the header block from the body at the first empty line; a block
// that is all headers has an empty body.
bool splitHeaders(QByteArrayView bytes, Headers &headers, QByteArrayView &body)
{
    qsizetype pos = 0;
    QByteArray current;
    auto flush = [&] {
        const qsizetype colon = current.indexOf(':');
        if (colon > 0)
            headers.insert(current.left(colon).trimmed().toLower(),
                           current.mid(colon + 1).trimmed());
        current.clear();
    };
    body = {};
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = bytes.sliced(pos, end - pos);
        if (line.endsWith('\r'))
            line.chop(1);
        pos = next;
        if (line.isEmpty()) {
            flush();
            body = bytes.sliced(pos);
            return !headers.isEmpty();
        }
        if ((line[0] == ' ' || line[0] == '\t') && !current.isEmpty()) {
            current.append(' ').append(line.trimmed()); // folded header
            continue;
        }
        flush();
        current = line.toByteArray();
    }
    flush();
    return !headers.isEmpty();
}

// A parameter of a header value: name=value or name="value".
QByteArray parameter(const QByteArray &value, const QByteArray &name)
{
    const QList<QByteArray> pieces = value.split(';');
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QByteArray piece = pieces[i].trimmed();
        const qsizetype eq = piece.indexOf('=');
        if (eq < 0 || piece.left(eq).trimmed().toLower() != name)
            continue;
        QByteArray v = piece.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.mid(1, v.size() - 2);
        return v;
    }
    return {};
}

QByteArray mediaType(const QByteArray &contentType)
{
    return contentType.split(';').value(0).trimmed().toLower();
}

QByteArray decodeBody(QByteArrayView body, const QByteArray &encoding)
{
    if (encoding == "base64")
        return QByteArray::fromBase64(body.toByteArray());
    if (encoding == "quoted-printable")
        return decodeQuotedPrintable(body);
    return body.toByteArray();
}

MimePart partOf(const Headers &headers, QByteArrayView body)
{
    MimePart part;
    const QByteArray type = headers.value("content-type", "text/plain");
    part.contentType = mediaType(type);
    part.charset = parameter(type, "charset").toLower();
    part.location = headers.value("content-location");
    QByteArray id = headers.value("content-id");
    if (id.startsWith('<') && id.endsWith('>'))
        id = id.mid(1, id.size() - 2);
    part.contentId = id;
    part.body = decodeBody(body, headers.value("content-transfer-encoding").toLower());
    return part;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The directory part of a location, ending in "/".
QByteArray base(const QByteArray &location)
{
    const qsizetype slash = location.lastIndexOf('/');
    return slash < 0 ? QByteArray() : location.left(slash + 1);
}

} // namespace

QByteArray decodeQuotedPrintable(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            out.append(c);
            continue;
        }
        // A soft line break: "=" at the end of a line (blanks before the end allowed).
        qsizetype j = i + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t'))
            ++j;
        if (j < text.size() && (text[j] == '\r' || text[j] == '\n')) {
            if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n')
                ++j;
            i = j;
            continue;
        }
        if (j >= text.size()) {
            i = j;
            continue;
        }
        const int hi = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            out.append('='); // not an escape: kept as it stands
            continue;
        }
        out.append(char(hi * 16 + lo));
        i += 2;
    }
    return out;
}

MimeArchive readMimeArchive(QByteArrayView bytes)
{
    MimeArchive archive;
    Headers top;
    QByteArrayView body;
    if (!splitHeaders(bytes, top, body)) {
        archive.error = QStringLiteral("no MIME headers");
        return archive;
    }
    const QByteArray type = top.value("content-type");
    if (!mediaType(type).startsWith("multipart/")) {
        // A single part on its own.
        archive.parts.append(partOf(top, body));
        archive.ok = true;
        archive.root = 0;
        return archive;
    }
    const QByteArray boundary = parameter(type, "boundary");
    if (boundary.isEmpty()) {
        archive.error = QStringLiteral("multipart without a boundary");
        return archive;
    }
    const QByteArray delimiter = "--" + boundary;
    qsizetype pos = body.indexOf(delimiter);
    if (pos < 0) {
        archive.error = QStringLiteral("no part starts");
        return archive;
    }
    bool closed = false;
    while (true) {
        pos += delimiter.size();
        if (body.sliced(pos).startsWith("--")) {
            closed = true;
            break;
        }
        const qsizetype lineEnd = body.indexOf('\n', pos);
        if (lineEnd < 0)
            break;
        const qsizetype start = lineEnd + 1;
        qsizetype next = body.indexOf(delimiter, start);
        if (next < 0)
            break; // truncated inside a part
        // The line break before the delimiter belongs to the delimiter.
        QByteArrayView region = body.sliced(start, next - start);
        if (region.endsWith("\r\n"))
            region.chop(2);
        else if (region.endsWith('\n'))
            region.chop(1);
        Headers headers;
        QByteArrayView partBody;
        if (!splitHeaders(region, headers, partBody)) {
            archive.error = QStringLiteral("a part without headers");
            return archive;
        }
        archive.parts.append(partOf(headers, partBody));
        pos = next;
    }
    if (!closed) {
        archive.error = QStringLiteral("the archive is truncated");
        archive.parts.clear();
        return archive;
    }
    const QByteArray start = parameter(type, "start");
    for (qsizetype i = 0; i < archive.parts.size() && archive.root < 0; ++i) {
        const MimePart &p = archive.parts[i];
        if (!start.isEmpty() ? ("<" + p.contentId + ">" == start || p.contentId == start)
                             : p.contentType == "text/html")
            archive.root = i;
    }
    if (archive.root < 0) {
        archive.error = QStringLiteral("no page in the archive");
        return archive;
    }
    archive.ok = true;
    return archive;
}

const MimePart *MimeArchive::find(const QByteArray &link) const
{
    if (link.startsWith("cid:")) {
        const QByteArray id = link.mid(4);
        for (const MimePart &p : parts)
            if (p.contentId == id)
                return &p;
        // Not a Content-ID: it may still be a location that happens to begin so.
    }
    for (const MimePart &p : parts)
        if (!p.location.isEmpty() && p.location == link)
            return &p;
    if (root >= 0) {
        const QByteArray resolved = base(parts[root].location) + link;
        for (const MimePart &p : parts)
            if (!p.location.isEmpty() && p.location == resolved)
                return &p;
    }
    return nullptr;
}

} // namespace zcore
