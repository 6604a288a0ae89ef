// A device that goes away under the open port and comes back: the link
// finds it again by the same rule, leaves it to another program that holds
// it, keeps quiet while it is gone, and stops looking when the logic closes
// the port.
#include "link/portnames.h"
#include "link/serialportlink.h"

#include "pty/devicelink.h"
#include "pty/pseudoterminal.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

constexpr int kBackWithinMs = 1000;

struct Unit {
    zpty::PseudoTerminal terminal;
    bool plugIn(const QString &portLink)
    {
        return terminal.open(zpty::PseudoTerminal::Master::NonBlocking) &&
               zpty::publishLink(terminal.device(), portLink);
    }
    QString canonical() const { return QFileInfo(terminal.device()).canonicalFilePath(); }
};

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                   .size());
}

bool openOn(SerialPortLink &link, int number)
{
    link.setReadLength(50);
    return link.setPortNumber(number) && link.setSettings(QStringLiteral("9600,N,8,1")) &&
           link.open();
}

// The link open on port 1, a unit's terminal behind ports/com1.
struct Fixture {
    QTemporaryDir config;
    Unit first;
    SerialPortLink link{PortNames(config.path()), nullptr};

    QString com(int n) const { return config.filePath(QStringLiteral("ports/com%1").arg(n)); }
    Fixture()
    {
        QDir(config.path()).mkpath(QStringLiteral("ports"));
        if (first.plugIn(com(1)))
            openOn(link, 1);
    }
    // The adapter resets: its device goes away under the open port.
    bool lose()
    {
        if (!link.deviceOpen())
            return false;
        first.terminal.close();
        return QTest::qWaitFor([this] { return !link.deviceOpen(); });
    }
};

} // namespace

class ReopenTest : public QObject {
    Q_OBJECT
private slots:
    void deviceBackBehindTheSameNumberIsReopened();
    void deviceHeldByAnotherProgramIsLeftToIt();
    void deviceThatNeverComesBackLeavesThePortOpenAndQuiet();
    void portClosedByTheLogicStopsTheSearch();
};

void ReopenTest::deviceBackBehindTheSameNumberIsReopened()
{
    Fixture f;
    SerialPortLink &link = f.link;
    QSignalSpy lost(&link, &SerialPortLink::deviceLost);
    QSignalSpy returned(&link, &SerialPortLink::deviceReturned);
    QVERIFY(f.lose());
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(link.isOpen());

    // It comes back as another device, behind the same ports/com1 link.
    Unit second;
    QVERIFY(second.plugIn(f.com(1)));
    QTRY_COMPARE_WITH_TIMEOUT(returned.count(), 1, kBackWithinMs);
    QVERIFY(link.deviceOpen());
    QCOMPARE(link.deviceName(), second.canonical());
    QVERIFY(link.lastError().isEmpty());
    const QByteArray frame("\xA4\xC0\x00 the unit again", 18);
    QCOMPARE(::write(second.terminal.master(), frame.constData(), size_t(frame.size())),
             ssize_t(frame.size()));
    QByteArray got;
    QTRY_COMPARE((got += link.read()), frame);
    QVERIFY(link.write(QByteArray("\xA4\x01\x39", 3)));
    QCOMPARE(lost.count(), 1);
}

void ReopenTest::deviceHeldByAnotherProgramIsLeftToIt()
{
    Fixture f;
    SerialPortLink &link = f.link;
    QSignalSpy returned(&link, &SerialPortLink::deviceReturned);
    QVERIFY(f.lose());

    Unit second;
    QVERIFY(second.plugIn(f.com(1)));
    QSerialPort other;
    other.setPortName(second.canonical());
    QVERIFY2(other.open(QIODevice::ReadWrite), qPrintable(other.errorString()));
    QTest::qWait(3 * SerialPortLink::kReopenIntervalMs);
    QVERIFY(!link.deviceOpen()); // not taken from the other program
    QCOMPARE(returned.count(), 0);
    QVERIFY(link.isOpen());

    other.close();
    QTRY_COMPARE_WITH_TIMEOUT(returned.count(), 1, kBackWithinMs);
    QVERIFY(link.deviceOpen());
}

void ReopenTest::deviceThatNeverComesBackLeavesThePortOpenAndQuiet()
{
    Fixture f;
    SerialPortLink &link = f.link;
    QVERIFY(f.lose());
    const int descriptors = openDescriptors();
    QTest::qWait(8 * SerialPortLink::kReopenIntervalMs); // eight tries
    QVERIFY(link.isOpen());
    QVERIFY(!link.deviceOpen());
    QCOMPARE(link.read(), QByteArray());
    QVERIFY(link.lastError().contains(QStringLiteral("was lost")));
    QCOMPARE(openDescriptors(), descriptors);
}

void ReopenTest::portClosedByTheLogicStopsTheSearch()
{
    Fixture f;
    SerialPortLink &link = f.link;
    Unit other;
    QVERIFY(other.plugIn(f.com(2)));
    QVERIFY(f.lose());

    // The technician picks port 2 meanwhile; port 1 coming back changes nothing.
    link.close();
    QVERIFY(openOn(link, 2));
    QCOMPARE(link.deviceName(), other.canonical());
    Unit back;
    QVERIFY(back.plugIn(f.com(1)));
    QTest::qWait(3 * SerialPortLink::kReopenIntervalMs);
    QCOMPARE(link.deviceName(), other.canonical());
    QCOMPARE(link.portNumber(), 2);
}

QTEST_GUILESS_MAIN(ReopenTest)
#include "tst_reopen.moc"
