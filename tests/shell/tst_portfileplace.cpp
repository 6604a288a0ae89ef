// Where the port file is read and written: c:\Ecu.ini at the drive's root,
// and the technician's own copy where the root refuses it. The refusal is
// stood in for by the writer, so that it is the same on every system (and
// for root, whom no folder refuses).
#include "shell/portfileplace.h"
#include "shell/portfilestore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr char kRefused[] = "Access is denied.";

struct Places {
    QTemporaryDir drive; // where c:\ lies
    QTemporaryDir user;  // the tool's configuration folder
    QString root() const { return drive.filePath(QStringLiteral("Ecu.ini")); }
    QString own() const { return user.filePath(QStringLiteral("zendalite/Ecu.ini")); }
};

bool put(const QString &path, const QByteArray &bytes, const QDateTime &when)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    return file.setFileTime(when, QFileDevice::FileModificationTime);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class PortFilePlaceTest : public QObject {
    Q_OBJECT
private slots:
    void portFileIsReadFromTheOneThereOrTheOneWrittenLast_data();
    void portFileIsReadFromTheOneThereOrTheOneWrittenLast();
    void portFileGoesToTheDriveRootAndWhereThatIsRefusedToTheOwnCopy_data();
    void portFileGoesToTheDriveRootAndWhereThatIsRefusedToTheOwnCopy();
};

void PortFilePlaceTest::portFileIsReadFromTheOneThereOrTheOneWrittenLast_data()
{
    QTest::addColumn<int>("rootAge");   // seconds; -1: no c:\Ecu.ini
    QTest::addColumn<int>("ownAge");    // seconds; -1: no own copy
    QTest::addColumn<bool>("ownPlace"); // whether the system has a place for one
    QTest::addColumn<QString>("read");  // "root" or "own"
    QTest::newRow("only c:\\Ecu.ini") << 60 << -1 << true << "root";
    QTest::newRow("only the own copy") << -1 << 60 << true << "own";
    QTest::newRow("neither: c:\\Ecu.ini, which is not there") << -1 << -1 << true << "root";
    QTest::newRow("both, the own copy written last") << 600 << 60 << true << "own";
    QTest::newRow("both, c:\\Ecu.ini written last") << 60 << 600 << true << "root";
    QTest::newRow("both as old") << 60 << 60 << true << "root";
    QTest::newRow("no place for an own copy") << -1 << -1 << false << "root";
}

void PortFilePlaceTest::portFileIsReadFromTheOneThereOrTheOneWrittenLast()
{
    QFETCH(int, rootAge);
    QFETCH(int, ownAge);
    QFETCH(bool, ownPlace);
    QFETCH(QString, read);
    Places p;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (rootAge >= 0)
        QVERIFY(put(p.root(), "\"Com-3\"\r\n", now.addSecs(-rootAge)));
    if (ownAge >= 0)
        QVERIFY(put(p.own(), "\"Com-12\"\r\n", now.addSecs(-ownAge)));
    const PortFilePlace place(p.root(), ownPlace ? p.own() : QString());
    QCOMPARE(place.readPath(), read == QLatin1String("root") ? p.root() : p.own());
}

void PortFilePlaceTest::portFileGoesToTheDriveRootAndWhereThatIsRefusedToTheOwnCopy_data()
{
    QTest::addColumn<bool>("rootThere");   // an older c:\Ecu.ini is there
    QTest::addColumn<bool>("rootRefused"); // writing c:\Ecu.ini is refused
    QTest::addColumn<bool>("ownPlace");
    QTest::addColumn<bool>("ownRefused");
    QTest::addColumn<QString>("written"); // "root", "own" or "" (nothing)
    QTest::newRow("the root takes it") << false << false << true << false << "root";
    QTest::newRow("the root takes it, also over an older file")
        << true << false << true << false << "root";
    QTest::newRow("no file may be made at the root") << false << true << true << false << "own";
    QTest::newRow("c:\\Ecu.ini there but read-only") << true << true << true << false << "own";
    QTest::newRow("refused everywhere") << true << true << true << true << "";
    QTest::newRow("refused at the root, no place for an own copy")
        << false << true << false << false << "";
}

// Written where it can be, and then read from there: the next start finds
// the port the technician chose.
void PortFilePlaceTest::portFileGoesToTheDriveRootAndWhereThatIsRefusedToTheOwnCopy()
{
    QFETCH(bool, rootThere);
    QFETCH(bool, rootRefused);
    QFETCH(bool, ownPlace);
    QFETCH(bool, ownRefused);
    QFETCH(QString, written);
    Places p;
    const QByteArray before = "\"Com-1\"\r\n";
    if (rootThere)
        QVERIFY(put(p.root(), before, QDateTime::currentDateTimeUtc().addSecs(-3600)));
    PortFilePlace place(p.root(), ownPlace ? p.own() : QString());
    place.setWriter([&](const QString &path, const QByteArray &bytes) {
        if ((path == p.root() && rootRefused) || (path == p.own() && ownRefused))
            return QString::fromLatin1(kRefused);
        return writePortFile(path, bytes);
    });

    const QByteArray chosen = "\"Com-12\"\r\n";
    QString writtenTo;
    const QString why = place.write(chosen, &writtenTo);
    if (written.isEmpty()) {
        QVERIFY(!why.isEmpty());
        QVERIFY2(why.contains(p.root()) && why.contains(QLatin1String(kRefused)), qPrintable(why));
        if (ownPlace)
            QVERIFY2(why.contains(p.own()), qPrintable(why));
        QCOMPARE(contents(p.root()), rootThere ? before : QByteArray("(none)"));
        QVERIFY(!QFile::exists(p.own()));
        return;
    }
    QVERIFY2(why.isEmpty(), qPrintable(why));
    const QString target = written == QLatin1String("root") ? p.root() : p.own();
    QCOMPARE(writtenTo, target);
    QCOMPARE(contents(target), chosen);
    QCOMPARE(place.readPath(), target);
    QCOMPARE(contents(place.readPath()), chosen);
}

QTEST_GUILESS_MAIN(PortFilePlaceTest)
#include "tst_portfileplace.moc"
