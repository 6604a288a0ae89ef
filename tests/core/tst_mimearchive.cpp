#include "core/mimearchive.h"

#include <QTest>

using namespace zcore;

namespace {
QByteArray archiveText(const QByteArray &closing = "------=_B--\r\n")
{
    return "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/related;\r\n"
           "\tboundary=\"----=_B\"; type=\"text/html\"\r\n"
           "\r\n"
           "preamble\r\n"
           "------=_B\r\n"
           "Content-Type: text/html; charset=\"utf-8\"\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n"
           "Content-Location: file:///help/index.html\r\n"
           "\r\n"
           "<p>Ba=C4=9Flant=C4=B1 Yok! uzun bir sat=\r\n"
           "=C4=B1r</p><img src=3D\"shot.png\">\r\n"
           "------=_B\r\n"
           "Content-Type: image/png\r\n"
           "Content-Transfer-Encoding: base64\r\n"
           "Content-Location: file:///help/shot.png\r\n"
           "Content-ID: <shot@zendalite>\r\n"
           "\r\n"
           "iVBORw0K\r\n"
           "GgoAAAA=\r\n" +
           closing;
}
} // namespace

class MimeArchiveTest : public QObject {
    Q_OBJECT
private slots:
    void quotedPrintableDecodes_data();
    void quotedPrintableDecodes();
    void archiveGivesThePageAndItsPictures();
    void locationThatBeginsWithCidIsStillFound();
    void truncatedArchiveOrGarbageFailsClearly_data();
    void truncatedArchiveOrGarbageFailsClearly();
};

void MimeArchiveTest::quotedPrintableDecodes_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QByteArray>("decoded");
    QTest::newRow("plain") << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("escape") << QByteArray("a=3Db") << QByteArray("a=b");
    QTest::newRow("lower-case escape") << QByteArray("=c4=b1") << QByteArray("\xc4\xb1");
    QTest::newRow("soft break crlf") << QByteArray("ab=\r\ncd") << QByteArray("abcd");
    QTest::newRow("soft break lf") << QByteArray("ab=\ncd") << QByteArray("abcd");
    QTest::newRow("soft break after blanks") << QByteArray("ab= \t\r\ncd") << QByteArray("abcd");
    QTest::newRow("hard break kept") << QByteArray("ab\r\ncd") << QByteArray("ab\r\ncd");
    QTest::newRow("bad escape kept") << QByteArray("a=ZZ") << QByteArray("a=ZZ");
    QTest::newRow("equals at the end") << QByteArray("ab=") << QByteArray("ab");
    QTest::newRow("cut escape") << QByteArray("ab=4") << QByteArray("ab=4");
}

void MimeArchiveTest::quotedPrintableDecodes()
{
    QFETCH(QByteArray, encoded);
    QFETCH(QByteArray, decoded);
    QCOMPARE(decodeQuotedPrintable(encoded), decoded);
}

void MimeArchiveTest::archiveGivesThePageAndItsPictures()
{
    const MimeArchive a = readMimeArchive(archiveText());
    QVERIFY2(a.ok, qPrintable(a.error));
    QCOMPARE(a.parts.size(), 2);
    QCOMPARE(a.root, 0);
    QCOMPARE(a.parts[0].contentType, QByteArray("text/html"));
    QCOMPARE(a.parts[0].charset, QByteArray("utf-8"));
    QCOMPARE(QString::fromUtf8(a.parts[0].body),
             QStringLiteral("<p>Bağlantı Yok! uzun bir satır</p><img src=\"shot.png\">"));
    QCOMPARE(a.parts[1].contentType, QByteArray("image/png"));
    QCOMPARE(a.parts[1].body, QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11));
    // The picture is found by its location, relative location and id.
    const MimePart *byLocation = a.find("file:///help/shot.png");
    QCOMPARE(byLocation, &a.parts[1]);
    QCOMPARE(a.find("shot.png"), byLocation);
    QCOMPARE(a.find("cid:shot@zendalite"), byLocation);
    QVERIFY(!a.find("missing.png"));
}

void MimeArchiveTest::locationThatBeginsWithCidIsStillFound()
{
    // Found by fuzzing: a Content-Location that begins with "cid:".
    QByteArray text = archiveText();
    text.replace("Content-Location: file:///help/shot.png", "Content-Location: cid:odd");
    const MimeArchive a = readMimeArchive(text);
    QVERIFY(a.ok);
    QVERIFY(a.find("cid:odd"));
    QCOMPARE(a.find("cid:odd")->contentType, QByteArray("image/png"));
}

void MimeArchiveTest::truncatedArchiveOrGarbageFailsClearly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = archiveText();
    for (qsizetype keep : {0, 10, 60, 120, 200, 300})
        QTest::addRow("cut to %d bytes", int(keep)) << whole.left(keep);
    for (qsizetype cut : {40, 10, 4})
        QTest::addRow("%d bytes short", int(cut)) << whole.chopped(cut);
    QTest::newRow("binary") << QByteArray("\x00\xff\x10\x89PNG", 7);
    QTest::newRow("multipart without boundary")
        << QByteArray("Content-Type: multipart/related\r\n\r\nbody");
    QTest::newRow("no html part") << archiveText().replace("text/html", "text/plain");
}

void MimeArchiveTest::truncatedArchiveOrGarbageFailsClearly()
{
    QFETCH(QByteArray, bytes);
    const MimeArchive a = readMimeArchive(bytes);
    QVERIFY(!a.ok);
    QVERIFY(!a.error.isEmpty());
}

QTEST_APPLESS_MAIN(MimeArchiveTest)
#include "tst_mimearchive.moc"
