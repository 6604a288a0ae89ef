// A reader for single-file web archives (MIME multipart/related, as .mht
// files are): headers, boundaries, quoted-printable and base64 bodies, and
// the Content-Location of each part so that the page can find its pictures.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace zcore {

struct MimePart {
    QByteArray contentType; // lower case, without parameters, e.g. "text/html"
    QByteArray charset;     // lower case, empty when not given
    QByteArray location;    // Content-Location as written
    QByteArray contentId;   // Content-ID without the angle brackets
    QByteArray body;        // decoded
};

struct MimeArchive {
    bool ok = false;
    QString error; // why the archive could not be read
    QList<MimePart> parts;
    qsizetype root = -1; // the page: the start part, else the first HTML part

    // The part a link from the page names: by Content-Location (also relative
    // to the page's own location) or by "cid:". Null when none.
    const MimePart *find(const QByteArray &link) const;
};

MimeArchive readMimeArchive(QByteArrayView bytes);

QByteArray decodeQuotedPrintable(QByteArrayView text);

} // namespace zcore
