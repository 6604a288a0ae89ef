// Port numbers to devices: the Wine order of the device families, and the
// configuration folder's own choices, which win.
#include "link/portnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class PortNamesTest : public QObject {
    Q_OBJECT
private slots:
    void portsAreNumberedInWineOrder_data();
    void portsAreNumberedInWineOrder();
    void portOverrideWinsOverTheNumbering();
    void describeListsOverridesAndFamilies();
};

void PortNamesTest::portsAreNumberedInWineOrder_data()
{
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device"); // relative to the device folder; empty: none
    const QStringList machine = {"ttyS0", "ttyS1", "ttyS3", "ttyUSB0", "ttyUSB1", "ttyACM0"};
    QTest::newRow("COM1") << machine << 1 << "ttyS0";
    QTest::newRow("COM2") << machine << 2 << "ttyS1";
    QTest::newRow("ttyS3 is past the first gap") << machine << 3 << "ttyUSB0";
    QTest::newRow("COM4") << machine << 4 << "ttyUSB1";
    QTest::newRow("COM5") << machine << 5 << "ttyACM0";
    QTest::newRow("COM6 maps to nothing") << machine << 6 << "";
    QTest::newRow("COM0 maps to nothing") << machine << 0 << "";
    QTest::newRow("USB only") << QStringList{"ttyUSB0"} << 1 << "ttyUSB0";
}

void PortNamesTest::portsAreNumberedInWineOrder()
{
    QFETCH(QStringList, devices);
    QFETCH(int, number);
    QFETCH(QString, device);
    QTemporaryDir dev, config;
    for (const QString &d : devices) {
        QFile f(dev.filePath(d));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const PortNames names(config.path(), dev.path());
    QCOMPARE(names.deviceFor(number), device.isEmpty() ? QString() : dev.filePath(device));
}

void PortNamesTest::portOverrideWinsOverTheNumbering()
{
    QTemporaryDir dev, config;
    QFile(dev.filePath("ttyS0")).open(QIODevice::WriteOnly);
    QDir(config.path()).mkpath("ports");
    // A text file naming the device...
    QFile text(config.filePath("ports/com1"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("/dev/pts/7\n");
    text.close();
    // ...or a symbolic link to it.
    QVERIFY(QFile::link(dev.filePath("ttyS0"), config.filePath("ports/com9")));
    const PortNames names(config.path(), dev.path());
    QCOMPARE(names.deviceFor(1), QStringLiteral("/dev/pts/7"));
    QCOMPARE(names.deviceFor(9), dev.filePath("ttyS0"));
    QCOMPARE(names.deviceFor(2), QString());
}

void PortNamesTest::describeListsOverridesAndFamilies()
{
    QTemporaryDir dev, config;
    QFile(dev.filePath("ttyS0")).open(QIODevice::WriteOnly);
    QFile(dev.filePath("ttyUSB0")).open(QIODevice::WriteOnly);
    QDir(config.path()).mkpath("ports");
    QVERIFY(QFile::link("/dev/null", config.filePath("ports/com5")));
    const QList<PortName> list = PortNames(config.path(), dev.path()).describe();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0].number, 1);
    QCOMPARE(list[1].device, dev.filePath("ttyUSB0"));
    QCOMPARE(list[2].number, 5);
    QCOMPARE(list[2].device, QStringLiteral("/dev/null"));
}

QTEST_GUILESS_MAIN(PortNamesTest)
#include "tst_portnames.moc"
