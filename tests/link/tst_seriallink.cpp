// The real serial port on a pseudo-terminal: opened by device path through
// links, and closed quietly when the device goes away.
#include "link/portnames.h"
#include "link/serialportlink.h"

#include "pty/pseudoterminal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {
// A pseudo-terminal whose device the tool opens as port 1 through a link;
// the test reads and writes its master, waiting for the bytes.
struct PtyPort {
    zpty::PseudoTerminal terminal;
    int master = -1;
    QString device;
    QTemporaryDir config;

    PtyPort()
    {
        if (!terminal.open(zpty::PseudoTerminal::Master::Blocking))
            return;
        master = terminal.master();
        device = terminal.device();
        QDir(config.path()).mkpath(QStringLiteral("ports"));
        QFile::link(device, config.filePath(QStringLiteral("ports/com1")));
    }
};
} // namespace

class SerialLinkTest : public QObject {
    Q_OBJECT
private slots:
    void portOpensUnderItsRealDeviceNameAndPassesBytes();
    void lostDeviceIsClosedOnceWhileThePortStaysOpenForTheLogic();
    void missingDeviceFailsToOpenWithAReason();
};

void SerialLinkTest::portOpensUnderItsRealDeviceNameAndPassesBytes()
{
    PtyPort pty;
    QVERIFY(pty.master >= 0);
    SerialPortLink link(PortNames(pty.config.path()), nullptr);
    QVERIFY(link.setPortNumber(1));
    QVERIFY(link.setSettings(QStringLiteral("9600,N,8,1")));
    link.setReadLength(50);
    QVERIFY2(link.open(), qPrintable(link.lastError()));
    QCOMPARE(link.deviceName(), QFileInfo(pty.device).canonicalFilePath());
    QVERIFY(!link.setPortNumber(2)); // refused while open

    QVERIFY(link.write(QByteArray("\xA4\x01\x39", 3)));
    char got[3] = {};
    QCOMPARE(::read(pty.master, got, 3), ssize_t(3));
    QCOMPARE(QByteArray(got, 3), QByteArray("\xA4\x01\x39", 3));

    const QByteArray sent(120, 'x');
    QCOMPARE(::write(pty.master, sent.constData(), size_t(sent.size())), ssize_t(120));
    QTest::qWait(100); // the bytes reach the port as events are handled
    QCOMPARE(link.read().size(), 50);
    link.discardInput();
    QCoreApplication::processEvents();
    QCOMPARE(link.read().size(), 0);
}

void SerialLinkTest::lostDeviceIsClosedOnceWhileThePortStaysOpenForTheLogic()
{
    PtyPort pty;
    SerialPortLink link(PortNames(pty.config.path()), nullptr);
    QVERIFY(link.setPortNumber(1));
    QVERIFY(link.open());
    auto *port = link.findChild<QSerialPort *>();
    QVERIFY(port && port->isOpen());
    // A pulled adapter: the read error comes again and again.
    for (int i = 0; i < 1000; ++i)
        emit port->errorOccurred(QSerialPort::ReadError);
    QVERIFY(port->isOpen()); // closed outside the signal, not inside it
    QCoreApplication::processEvents();
    QVERIFY(!port->isOpen());
    QVERIFY(link.isOpen()); // the poll cycle sees a silent port, not a closed one
    QCOMPARE(link.read(), QByteArray());
    QVERIFY(!link.write(QByteArray("\xA4", 1)));
    QVERIFY(link.lastError().contains(QStringLiteral("was lost")));
    link.close();
    QVERIFY(!link.isOpen());
    QVERIFY(link.open()); // the device is there again: it opens anew
}

void SerialLinkTest::missingDeviceFailsToOpenWithAReason()
{
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("ports"));
    QFile::link(QStringLiteral("/dev/zendalite-no-such-device"),
                config.filePath(QStringLiteral("ports/com1")));
    SerialPortLink link(PortNames(config.path(), config.filePath(QStringLiteral("nodev"))),
                        nullptr);
    QVERIFY(link.setPortNumber(1));
    QVERIFY(!link.open());
    QVERIFY(link.lastError().contains(QStringLiteral("cannot be opened")));
    QVERIFY(link.setPortNumber(2));
    QVERIFY(!link.open());
    QVERIFY(link.lastError().contains(QStringLiteral("not present")));
    QVERIFY(!link.setPortNumber(0));
}

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_seriallink.moc"
