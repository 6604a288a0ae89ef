// Windows port names and the system's port list: the number a COM name
// carries, a port name opened as it stands (never taken for a file), the
// port numbers a Windows machine offers, and which listed port is the
// device the link opened. Plain functions over a list: the same on every
// system.
#include "link/portlist.h"
#include "link/portnames.h"
#include "link/serialportlink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QList<ListedPort>)

namespace {

ListedPort com(const QString &name, const QString &description = {})
{
    ListedPort port;
    port.portName = name;
    port.systemLocation = QStringLiteral("\\\\.\\") + name;
    port.description = description;
    return port;
}

ListedPort usb(const QString &name, quint16 vendor, quint16 product, const QString &serial)
{
    ListedPort port = com(name);
    port.hasUsbNumbers = true;
    port.vendor = vendor;
    port.product = product;
    port.serialNumber = serial;
    return port;
}

constexpr quint16 kFtdi = 0x0403, kFt232 = 0x6001;
constexpr quint16 kWch = 0x1a86, kCh340 = 0x7523;

// The working directory, for the time of one test.
struct InFolder {
    QString before = QDir::currentPath();
    explicit InFolder(const QString &path) { QDir::setCurrent(path); }
    ~InFolder() { QDir::setCurrent(before); }
};

} // namespace

class PortListTest : public QObject {
    Q_OBJECT
private slots:
    void comNameCarriesItsNumber_data();
    void comNameCarriesItsNumber();
    void portNameIsOpenedAsItStandsNeverAsAFile_data();
    void portNameIsOpenedAsItStandsNeverAsAFile();
    void listedComPortsAreOfferedByNumber_data();
    void listedComPortsAreOfferedByNumber();
    void openedDeviceIsFoundInTheList_data();
    void openedDeviceIsFoundInTheList();
    void adapterIsFoundByItsUsbNumbersOnlyWhenOnePortAnswers_data();
    void adapterIsFoundByItsUsbNumbersOnlyWhenOnePortAnswers();
};

void PortListTest::comNameCarriesItsNumber_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM10") << "COM10" << 10;
    QTest::newRow("COM256") << "COM256" << 256;
    QTest::newRow("lower case") << "com7" << 7;
    QTest::newRow("device path") << "\\\\.\\COM12" << 12;
    QTest::newRow("device path, slashes") << "//./COM3" << 3;
    QTest::newRow("COM0") << "COM0" << 0;
    QTest::newRow("leading zero") << "COM03" << 0;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("letters after") << "COM1a" << 0;
    QTest::newRow("sign") << "COM+3" << 0;
    QTest::newRow("space") << "COM 3" << 0;
    QTest::newRow("a path") << "/dev/ttyUSB0" << 0;
    QTest::newRow("a file called COM3 in a folder") << "/tmp/COM3" << 0;
    QTest::newRow("empty") << "" << 0;
}

void PortListTest::comNameCarriesItsNumber()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QCOMPARE(portlist::comNumber(name), number);
}

void PortListTest::portNameIsOpenedAsItStandsNeverAsAFile_data()
{
    QTest::addColumn<QString>("name"); // what port 3 names; COM3 is opened
    for (const char *name : {"COM3", "com3", "\\\\.\\COM3", "//./COM3"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The link opens port 3 by the name it has. A file of that name in the
// working folder is no port: it is not opened, nor its path taken.
void PortListTest::portNameIsOpenedAsItStandsNeverAsAFile()
{
    QFETCH(QString, name);
    QTemporaryDir config, work;
    QVERIFY(config.isValid() && work.isValid());
#ifndef Q_OS_WIN
    // Elsewhere than on Windows the port's name comes from ports/com3
    // (Windows lets no file be called COM3, in any folder).
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("ports")));
    QFile entry(config.filePath(QStringLiteral("ports/com3")));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write(name.toUtf8() + '\n');
    entry.close();
    QFile decoy(work.filePath(QStringLiteral("COM3")));
    QVERIFY(decoy.open(QIODevice::WriteOnly));
    decoy.close();
#endif
    const InFolder inWork(work.path());

    SerialPortLink link{PortNames(config.path()), nullptr};
    QVERIFY(link.setPortNumber(3));
    QVERIFY(!link.open()); // no such port here
    QCOMPARE(link.deviceName(), QStringLiteral("COM3"));
    QVERIFY2(!link.lastError().contains(work.path()), qPrintable(link.lastError()));
}

void PortListTest::listedComPortsAreOfferedByNumber_data()
{
    QTest::addColumn<QList<ListedPort>>("ports");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QStringList>("descriptions");
    QTest::newRow("a laptop with an adapter")
        << QList<ListedPort>{com("COM3", "USB-SERIAL CH340"), com("COM1", "Communications Port")}
        << QList<int>{1, 3} << QStringList{"Communications Port", "USB-SERIAL CH340"};
    QTest::newRow("COM10 and above")
        << QList<ListedPort>{com("COM12", "USB Serial Port"), com("COM2"), com("COM10")}
        << QList<int>{2, 10, 12} << QStringList{"", "", "USB Serial Port"};
    QTest::newRow("no ports") << QList<ListedPort>{} << QList<int>{} << QStringList{};
    QTest::newRow("names that are no COM port are left out")
        << QList<ListedPort>{com("ttyUSB0"), com("COM0"), com("COM4")} << QList<int>{4}
        << QStringList{""};
    QTest::newRow("a number listed twice is offered once")
        << QList<ListedPort>{com("COM5", "first"), com("com5", "second")} << QList<int>{5}
        << QStringList{"first"};
}

void PortListTest::listedComPortsAreOfferedByNumber()
{
    QFETCH(QList<ListedPort>, ports);
    QFETCH(QList<int>, numbers);
    QFETCH(QStringList, descriptions);
    const QList<PortName> offered = portlist::numbered(ports);
    QList<int> gotNumbers;
    QStringList gotDescriptions;
    for (const PortName &p : offered) {
        gotNumbers.append(p.number);
        gotDescriptions.append(p.description);
        QCOMPARE(p.device, QStringLiteral("COM%1").arg(p.number));
    }
    QCOMPARE(gotNumbers, numbers);
    QCOMPARE(gotDescriptions, descriptions);
}

void PortListTest::openedDeviceIsFoundInTheList_data()
{
    QTest::addColumn<QList<ListedPort>>("ports");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("index");
    const QList<ListedPort> windows{com("COM1"), com("COM3"), com("COM12")};
    QTest::newRow("COM3") << windows << "COM3" << 1;
    QTest::newRow("COM12 by its device path") << windows << "\\\\.\\COM12" << 2;
    QTest::newRow("lower case") << windows << "com1" << 0;
    QTest::newRow("not listed") << windows << "COM4" << -1;
    QTest::newRow("COM1 is not COM12") << QList<ListedPort>{com("COM12")} << "COM1" << -1;
    ListedPort tty;
    tty.portName = QStringLiteral("ttyUSB0");
    tty.systemLocation = QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("a path") << QList<ListedPort>{com("COM1"), tty} << "/dev/ttyUSB0" << 1;
    QTest::newRow("another path") << QList<ListedPort>{tty} << "/dev/ttyUSB1" << -1;
    QTest::newRow("nothing") << QList<ListedPort>{tty} << "" << -1;
}

void PortListTest::openedDeviceIsFoundInTheList()
{
    QFETCH(QList<ListedPort>, ports);
    QFETCH(QString, device);
    QFETCH(int, index);
    QCOMPARE(portlist::indexOf(ports, device), qsizetype(index));
}

void PortListTest::adapterIsFoundByItsUsbNumbersOnlyWhenOnePortAnswers_data()
{
    QTest::addColumn<QList<ListedPort>>("ports");
    QTest::addColumn<QString>("serial"); // of the FT232 looked for
    QTest::addColumn<QString>("found");  // the port opened; empty: none
    const ListedPort builtIn = com("COM1");
    const QString serial = QStringLiteral("A50285BI");
    QTest::newRow("back under another number")
        << QList<ListedPort>{builtIn, usb("COM7", kFtdi, kFt232, serial)} << serial << "COM7";
    QTest::newRow("not back") << QList<ListedPort>{builtIn} << serial << "";
    QTest::newRow("another FT232 of another serial number is not it")
        << QList<ListedPort>{usb("COM4", kFtdi, kFt232, "B7X11")} << serial << "";
    QTest::newRow("another make with the same serial number is not it")
        << QList<ListedPort>{usb("COM4", kWch, kCh340, serial)} << serial << "";
    QTest::newRow("the one among others")
        << QList<ListedPort>{usb("COM4", kFtdi, kFt232, "B7X11"), usb("COM10", kWch, kCh340, ""),
                             usb("COM11", kFtdi, kFt232, serial)}
        << serial << "COM11";
    QTest::newRow("without serial number, alone")
        << QList<ListedPort>{builtIn, usb("COM5", kFtdi, kFt232, "")} << ""
        << "COM5";
    QTest::newRow("without serial number, two of them: neither")
        << QList<ListedPort>{usb("COM5", kFtdi, kFt232, ""), usb("COM6", kFtdi, kFt232, "")} << ""
        << "";
    QTest::newRow("a port without USB numbers is no adapter")
        << QList<ListedPort>{com("COM5")} << ""
        << "";
}

void PortListTest::adapterIsFoundByItsUsbNumbersOnlyWhenOnePortAnswers()
{
    QFETCH(QList<ListedPort>, ports);
    QFETCH(QString, serial);
    QFETCH(QString, found);
    const qsizetype i = portlist::indexOfUsb(ports, kFtdi, kFt232, serial);
    QCOMPARE(i >= 0 ? portlist::openNameOf(ports[i]) : QString(), found);
}

QTEST_GUILESS_MAIN(PortListTest)
#include "tst_portlist.moc"
