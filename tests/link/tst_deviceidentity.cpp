// Which device a port was opened on, and where that device is found again:
// by the name the technician chose, by its by-id link, or only under its
// own path; never by the number alone.
#include "link/deviceidentity.h"
#include "link/portnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A device folder and a configuration folder of our own; devices are plain
// files, which is all that naming them needs.
struct Machine {
    QTemporaryDir dev;
    QTemporaryDir config;
    PortNames names{config.path(), dev.path()};

    QString device(const QString &name) const { return dev.filePath(name); }
    bool add(const QString &name) { return QFile(device(name)).open(QIODevice::WriteOnly); }
    bool remove(const QString &name) { return QFile::remove(device(name)); }
    bool addById(const QString &idName, const QString &name)
    {
        QDir(dev.path()).mkpath(QStringLiteral("serial/by-id"));
        const QString link = dev.filePath(QStringLiteral("serial/by-id/") + idName);
        QFile::remove(link);
        return QFile::link(QStringLiteral("../../") + name, link);
    }
    bool choose(int number, const QString &name)
    {
        QDir(config.path()).mkpath(QStringLiteral("ports"));
        return QFile::link(device(name),
                           config.filePath(QStringLiteral("ports/com%1").arg(number)));
    }
    bool unchoose(int number)
    {
        return QFile::remove(config.filePath(QStringLiteral("ports/com%1").arg(number)));
    }
};

const QString kIdName = QStringLiteral("usb-Zendalite_Adapter_A1B2C3-if00-port0");

} // namespace

class DeviceIdentityTest : public QObject {
    Q_OBJECT
private slots:
    void deviceIsKnownByTheFirstNameItHas_data();
    void deviceIsKnownByTheFirstNameItHas();
    void adapterIsFoundByItsByIdNameUnderAnotherDeviceName();
    void chosenNameIsFollowedAndNothingElseWhenItGoes();
    void deviceWithoutIdentityIsFoundOnlyUnderItsPath();
};

void DeviceIdentityTest::deviceIsKnownByTheFirstNameItHas_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<bool>("byId");
    QTest::addColumn<DeviceIdentity::Kind>("kind");
    QTest::newRow("ports/com1 chosen, a by-id link too")
        << true << true << DeviceIdentity::Kind::ChosenName;
    QTest::newRow("a by-id link") << false << true << DeviceIdentity::Kind::ById;
    QTest::newRow("neither") << false << false << DeviceIdentity::Kind::Path;
}

void DeviceIdentityTest::deviceIsKnownByTheFirstNameItHas()
{
    QFETCH(bool, chosen);
    QFETCH(bool, byId);
    QFETCH(DeviceIdentity::Kind, kind);
    Machine m;
    QVERIFY(m.add(QStringLiteral("ttyUSB0")));
    if (byId)
        QVERIFY(m.addById(kIdName, QStringLiteral("ttyUSB0")));
    if (chosen)
        QVERIFY(m.choose(1, QStringLiteral("ttyUSB0")));
    const DeviceIdentity id = DeviceIdentity::of(m.names, 1, m.names.deviceFor(1));
    QCOMPARE(id.kind(), kind);
    QCOMPARE(id.find(m.names), m.device(QStringLiteral("ttyUSB0")));
    if (kind == DeviceIdentity::Kind::ById)
        QCOMPARE(id.describe(), kIdName);
}

void DeviceIdentityTest::adapterIsFoundByItsByIdNameUnderAnotherDeviceName()
{
    Machine m;
    QVERIFY(m.add(QStringLiteral("ttyUSB0")));
    QVERIFY(m.addById(kIdName, QStringLiteral("ttyUSB0")));
    const DeviceIdentity id = DeviceIdentity::of(m.names, 1, m.names.deviceFor(1));
    QVERIFY(m.remove(QStringLiteral("ttyUSB0")));
    QVERIFY(m.add(QStringLiteral("ttyACM0"))); // port 1 now
    QCOMPARE(m.names.deviceFor(1), m.device(QStringLiteral("ttyACM0")));
    QCOMPARE(id.find(m.names), QString());
    QVERIFY(m.add(QStringLiteral("ttyUSB1")));
    QVERIFY(m.addById(kIdName, QStringLiteral("ttyUSB1")));
    QCOMPARE(id.find(m.names), m.device(QStringLiteral("ttyUSB1")));
}

void DeviceIdentityTest::chosenNameIsFollowedAndNothingElseWhenItGoes()
{
    Machine m;
    QVERIFY(m.add(QStringLiteral("ttyS0")));
    QVERIFY(m.add(QStringLiteral("pts7")));
    QVERIFY(m.choose(1, QStringLiteral("pts7")));
    const DeviceIdentity id = DeviceIdentity::of(m.names, 1, m.names.deviceFor(1));
    QCOMPARE(id.find(m.names), m.device(QStringLiteral("pts7")));
    // The unit's terminal went away and its path was given to another
    // program's terminal; the chosen link still leads there.
    QVERIFY(m.remove(QStringLiteral("pts7")));
    QVERIFY(m.add(QStringLiteral("pts7")));
    QCOMPARE(id.find(m.names), QString());
    QVERIFY(m.add(QStringLiteral("pts8")));
    QVERIFY(m.unchoose(1) && m.choose(1, QStringLiteral("pts8"))); // turned to another
    QCOMPARE(id.find(m.names), m.device(QStringLiteral("pts8")));
    // The choice taken away: the number counts ttyS0, which is not taken.
    QVERIFY(m.unchoose(1));
    QCOMPARE(m.names.deviceFor(1), m.device(QStringLiteral("ttyS0")));
    QCOMPARE(id.find(m.names), QString());
}

void DeviceIdentityTest::deviceWithoutIdentityIsFoundOnlyUnderItsPath()
{
    Machine m;
    QVERIFY(m.add(QStringLiteral("ttyS0")));
    const DeviceIdentity id = DeviceIdentity::of(m.names, 1, m.names.deviceFor(1));
    QCOMPARE(id.describe(), m.device(QStringLiteral("ttyS0")));
    QCOMPARE(id.find(m.names), m.device(QStringLiteral("ttyS0")));
    QVERIFY(m.remove(QStringLiteral("ttyS0")));
    QVERIFY(m.add(QStringLiteral("ttyUSB0"))); // port 1 now
    QCOMPARE(id.find(m.names), QString());
    // A node made anew under the path is another device.
    QVERIFY(m.add(QStringLiteral("ttyS0")));
    QCOMPARE(id.find(m.names), QString());
}

QTEST_GUILESS_MAIN(DeviceIdentityTest)
#include "tst_deviceidentity.moc"
