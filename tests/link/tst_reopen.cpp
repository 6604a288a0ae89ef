// A device that goes away under the open port and comes back: the link
// finds it again by the same rule, never takes another device that got its
// number meanwhile, leaves it to another program that holds it, keeps quiet
// while it is gone, and stops looking when the logic closes the port.
#include "link/portnames.h"
#include "link/serialportlink.h"

#include "pty/devicelink.h"
#include "pty/pseudoterminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <list>

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

// A device folder of our own: family names (ttyS0, ttyUSB1, ...) and
// serial/by-id links, as the system makes them, leading to units'
// terminals.
struct DeviceFolder {
    QTemporaryDir root;

    QString path(const QString &name) const { return root.filePath(name); }
    QString byId(const QString &name) const { return path(QStringLiteral("serial/by-id/") + name); }
    // The unit's terminal appears under name, and under the by-id name when
    // one is given.
    bool plugIn(Unit &unit, const QString &name, const QString &idName = {})
    {
        if (!unit.terminal.open(zpty::PseudoTerminal::Master::NonBlocking) ||
            !zpty::publishLink(unit.terminal.device(), path(name)))
            return false;
        return idName.isEmpty() ||
               (QDir(root.path()).mkpath(QStringLiteral("serial/by-id")) &&
                zpty::publishLink(QStringLiteral("../../") + name, byId(idName)));
    }
    // The unit's device goes away with its names.
    void pullOut(Unit &unit, const QString &name, const QString &idName = {})
    {
        unit.terminal.close();
        QFile::remove(path(name));
        if (!idName.isEmpty())
            QFile::remove(byId(idName));
    }
};

// Whatever waits on the unit's end of the line.
QByteArray received(Unit &unit)
{
    QByteArray bytes(64, '\0');
    const ssize_t n = ::read(unit.terminal.master(), bytes.data(), size_t(bytes.size()));
    return n > 0 ? bytes.left(n) : QByteArray();
}

} // namespace

class ReopenTest : public QObject {
    Q_OBJECT
private slots:
    void deviceBackBehindTheSameNumberIsReopened();
    void deviceIsReopenedOnlyWhereItIsFoundAgain_data();
    void deviceIsReopenedOnlyWhereItIsFoundAgain();
    void terminalGivenTheLostDevicesNumberIsLeftAlone();
    void deviceHeldByAnotherProgramIsLeftToIt();
    void portClosedByTheLogicStopsTheSearch();
};

void ReopenTest::deviceBackBehindTheSameNumberIsReopened()
{
    Fixture f;
    SerialPortLink &link = f.link;
    QSignalSpy lost(&link, &SerialPortLink::deviceLost);
    QSignalSpy returned(&link, &SerialPortLink::deviceReturned);
    QList<SerialLink::DeviceEvent> told;
    link.setDeviceObserver([&told](SerialLink::DeviceEvent event) { told.append(event); });
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
    QCOMPARE(told, (QList<SerialLink::DeviceEvent>{SerialLink::DeviceEvent::Lost,
                                                   SerialLink::DeviceEvent::Returned}));
}

void ReopenTest::deviceIsReopenedOnlyWhereItIsFoundAgain_data()
{
    QTest::addColumn<QString>("device");   // where the port's number leads at first
    QTest::addColumn<QString>("idName");   // its by-id name; empty: none
    QTest::addColumn<QString>("intruder"); // what the number leads to while it is away
    QTest::addColumn<QString>("backAs");   // where it comes back
    QTest::newRow("adapter known by its by-id name") << "ttyUSB0"
                                                     << "usb-Zendalite_Adapter_A1B2C3-if00-port0"
                                                     << "ttyACM0"
                                                     << "ttyUSB1";
    QTest::newRow("built-in port known by its path") << "ttyS0"
                                                     << ""
                                                     << "ttyUSB0"
                                                     << "ttyS0";
}

void ReopenTest::deviceIsReopenedOnlyWhereItIsFoundAgain()
{
    QFETCH(QString, device);
    QFETCH(QString, idName);
    QFETCH(QString, intruder);
    QFETCH(QString, backAs);
    DeviceFolder dev;
    QTemporaryDir config;
    const PortNames names(config.path(), dev.root.path());
    SerialPortLink link(names, nullptr);
    Unit adapter;
    QVERIFY(dev.plugIn(adapter, device, idName));
    QVERIFY2(openOn(link, 1), qPrintable(link.lastError()));
    QCOMPARE(link.deviceName(), adapter.canonical());
    QSignalSpy returned(&link, &SerialPortLink::deviceReturned);

    dev.pullOut(adapter, device, idName);
    QTRY_VERIFY(!link.deviceOpen());
    // Another device is counted as port 1 meanwhile: it is left alone, and
    // the port stays open and quiet however long the device is away.
    Unit other;
    QVERIFY(dev.plugIn(other, intruder));
    QCOMPARE(names.deviceFor(1), dev.path(intruder));
    const int descriptors = openDescriptors();
    QTest::qWait(8 * SerialPortLink::kReopenIntervalMs); // eight tries
    QVERIFY(link.isOpen());
    QVERIFY(!link.deviceOpen());
    QCOMPARE(returned.count(), 0);
    QCOMPARE(link.read(), QByteArray());
    QVERIFY(!link.write(QByteArray("\xA4\x01\x39", 3)));
    QCOMPARE(received(other), QByteArray());
    QCOMPARE(openDescriptors(), descriptors);
    QVERIFY2(link.lastError().contains(intruder) &&
                 link.lastError().contains(QStringLiteral("was lost")),
             qPrintable(link.lastError()));

    // The device itself comes back, under its old name or another.
    Unit back;
    QVERIFY(dev.plugIn(back, backAs, idName));
    QTRY_COMPARE_WITH_TIMEOUT(returned.count(), 1, kBackWithinMs);
    QCOMPARE(link.deviceName(), back.canonical());
    QVERIFY(link.lastError().isEmpty());
    const QByteArray command("\xA4\x01\x39", 3);
    QVERIFY(link.write(command));
    QByteArray got;
    QTRY_COMPARE((got += received(back)), command);
    QCOMPARE(received(other), QByteArray()); // not a byte to the other device
}

void ReopenTest::terminalGivenTheLostDevicesNumberIsLeftAlone()
{
    // The unit's terminal goes away while ports/com1 still leads to its
    // device path; the system gives that path to another program's
    // terminal. The link neither opens it nor writes to it; the unit's
    // terminal made anew behind ports/com1 is taken. The same again after
    // that: the device the link knows is the one it opened last.
    Fixture f;
    SerialPortLink &link = f.link;
    QSignalSpy returned(&link, &SerialPortLink::deviceReturned);
    std::list<Unit> units; // the unit's terminals made anew
    Unit *unit = &f.first;
    for (int round = 1; round <= 2; ++round) {
        const QString was = unit->canonical();
        unit->terminal.close();
        QTRY_VERIFY(!link.deviceOpen());
        std::list<Unit> others;
        for (int i = 0; i < 8 && (others.empty() || others.back().canonical() != was); ++i) {
            others.emplace_back();
            QVERIFY(others.back().terminal.open(zpty::PseudoTerminal::Master::NonBlocking));
        }
        if (others.back().canonical() != was)
            QSKIP("the system gave the lost terminal's path to no new terminal here");
        QTest::qWait(4 * SerialPortLink::kReopenIntervalMs);
        QCOMPARE(returned.count(), round - 1);
        QVERIFY(!link.deviceOpen());
        QVERIFY(!link.write("\xA4"));
        QCOMPARE(received(others.back()), QByteArray());

        units.emplace_back();
        QVERIFY(units.back().plugIn(f.com(1)));
        QTRY_COMPARE_WITH_TIMEOUT(returned.count(), round, kBackWithinMs);
        QCOMPARE(link.deviceName(), units.back().canonical());
        unit = &units.back();
    }
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
    const int descriptors = openDescriptors();
    QTest::qWait(3 * SerialPortLink::kReopenIntervalMs);
    QVERIFY(!link.deviceOpen()); // not taken from the other program
    QCOMPARE(returned.count(), 0);
    QVERIFY(link.isOpen());
    QCOMPARE(link.read(), QByteArray());
    QCOMPARE(openDescriptors(), descriptors); // the failed tries leave nothing open

    other.close();
    QTRY_COMPARE_WITH_TIMEOUT(returned.count(), 1, kBackWithinMs);
    QVERIFY(link.deviceOpen());
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
