// The real serial port on a pseudo-terminal: opened by device path through
// links, closed quietly when the device goes away, and kept when a read
// error comes from a device that is still there.
#include "link/portnames.h"
#include "link/serialportlink.h"

#include "pty/devicelink.h"
#include "pty/pseudoterminal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

namespace {
// A pseudo-terminal whose device the link opens as port 1 through
// ports/com1; the test reads and writes its master, waiting for the bytes.
struct PtyPort {
    zpty::PseudoTerminal terminal;
    int master = -1;
    QString device;
    QTemporaryDir config;
    SerialPortLink link{PortNames(config.path()), nullptr};

    PtyPort()
    {
        if (!terminal.open(zpty::PseudoTerminal::Master::Blocking))
            return;
        master = terminal.master();
        device = terminal.device();
        QDir(config.path()).mkpath(QStringLiteral("ports"));
        QFile::link(device, config.filePath(QStringLiteral("ports/com1")));
        link.setReadLength(50);
    }
    bool open() { return master >= 0 && link.setPortNumber(1) && link.open(); }
};
} // namespace

class SerialLinkTest : public QObject {
    Q_OBJECT
private slots:
    void portOpensUnderItsRealDeviceNameAndPassesBytes();
    void lostDeviceIsClosedOnceWhileThePortStaysOpenForTheLogic();
    void missingDeviceFailsToOpenWithAReason();
    void healthyPortIsNotTakenForLostWhenTheLoopReportsBytesAlreadyTaken_data();
    void healthyPortIsNotTakenForLostWhenTheLoopReportsBytesAlreadyTaken();
    void healthyPortIsNotTakenForLostWhenAQueuedCallDiscardsWhatTheLoopSaw();
};

void SerialLinkTest::portOpensUnderItsRealDeviceNameAndPassesBytes()
{
    PtyPort pty;
    SerialPortLink &link = pty.link;
    QVERIFY(link.setSettings(QStringLiteral("9600,N,8,1")));
    QVERIFY2(pty.open(), qPrintable(link.lastError()));
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
    SerialPortLink &link = pty.link;
    QVERIFY(pty.open());
    auto *port = link.findChild<QSerialPort *>();
    QVERIFY(port && port->isOpen());
    // A pulled adapter: the device goes, and the read error comes again and again.
    pty.terminal.close();
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
    zpty::PseudoTerminal again; // the device is there again: it opens anew
    QVERIFY(again.open() &&
            zpty::publishLink(again.device(), pty.config.filePath(QStringLiteral("ports/com1"))));
    QVERIFY(link.open());
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

void SerialLinkTest::healthyPortIsNotTakenForLostWhenTheLoopReportsBytesAlreadyTaken_data()
{
    QTest::addColumn<qsizetype>("wanted"); // what the observer asks for; 0: none set
    QTest::addColumn<bool>("discard");     // the bytes go in a discard, else in a read
    QTest::newRow("watched, fewer than the wake count read directly") << qsizetype(37) << false;
    QTest::newRow("watched, a discard takes them") << qsizetype(37) << true;
    QTest::newRow("not watched, a discard flushes them") << qsizetype(0) << true;
}

void SerialLinkTest::healthyPortIsNotTakenForLostWhenTheLoopReportsBytesAlreadyTaken()
{
    QFETCH(qsizetype, wanted);
    QFETCH(bool, discard);
    PtyPort pty;
    SerialPortLink &link = pty.link;
    QVERIFY(pty.open());
    QSignalSpy lost(&link, &SerialPortLink::deviceLost);
    auto send = [&pty](QByteArrayView bytes) {
        return ::write(pty.master, bytes.data(), size_t(bytes.size())) == bytes.size();
    };
    QByteArray seen;
    if (wanted > 0) {
        link.setArrivalObserver([&seen, wanted](QByteArrayView bytes) {
            seen.append(bytes);
            return wanted;
        });
        QVERIFY(send("ab")); // the observer's first answer sets the wake count
        QTRY_COMPARE(seen, QByteArray("ab"));
    }

    // Bytes come and are taken beside the port's own reading, while the
    // event loop has already seen the line readable.
    QVERIFY(send(discard ? QByteArray(40, 'x') : QByteArray("0123456789")));
    QThread::msleep(50); // through the terminal, the loop not running
    if (discard)
        link.discardInput();
    else
        QCOMPARE(link.read(), QByteArray("ab0123456789"));
    // The loop's word of it reaches the port now, with nothing left to read.
    auto *port = link.findChild<QSerialPort *>();
    QVERIFY(port);
    QSocketNotifier *reader = nullptr;
    for (QSocketNotifier *n : port->findChildren<QSocketNotifier *>())
        if (n->type() == QSocketNotifier::Read)
            reader = n;
    QVERIFY(reader);
    QEvent readable(QEvent::SockAct);
    QCoreApplication::sendEvent(reader, &readable);
    QTest::qWait(2 * SerialPortLink::kReopenIntervalMs);

    QVERIFY(link.deviceOpen());
    QCOMPARE(lost.count(), 0);
    QVERIFY2(link.lastError().isEmpty(), qPrintable(link.lastError()));
    // The port goes on: the next frame reaches an observer as it comes,
    // and the read.
    const QByteArray frame = QByteArray("\xA4\xC0\x00", 3) + QByteArray(34, '\x05');
    seen.clear();
    QVERIFY(send(frame));
    if (wanted > 0)
        QTRY_COMPARE(seen, frame);
    QByteArray got;
    QTRY_COMPARE((got += link.read()), frame);
}

void SerialLinkTest::healthyPortIsNotTakenForLostWhenAQueuedCallDiscardsWhatTheLoopSaw()
{
    // As a request from the automation channel does: the loop finds the
    // line readable and runs the queued call (a poll that accepts a frame
    // and discards the rest) before it tells the port.
    PtyPort pty;
    SerialPortLink &link = pty.link;
    QVERIFY(pty.open());
    QSignalSpy lost(&link, &SerialPortLink::deviceLost);
    QByteArray seen;
    link.setArrivalObserver([&seen](QByteArrayView bytes) {
        seen.append(bytes);
        return qsizetype(37);
    });
    QVERIFY(::write(pty.master, "ab", 2) == 2);
    QTRY_COMPARE(seen, QByteArray("ab"));
    const QByteArray rest(40, 'x');
    QVERIFY(::write(pty.master, rest.constData(), size_t(rest.size())) == rest.size());
    QThread::msleep(50); // through the terminal, the loop not running
    QMetaObject::invokeMethod(
        &link, [&link] { link.discardInput(); }, Qt::QueuedConnection);
    QTest::qWait(2 * SerialPortLink::kReopenIntervalMs);
    QCOMPARE(seen, "ab" + rest);
    QVERIFY(link.deviceOpen());
    QCOMPARE(lost.count(), 0);
}

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_seriallink.moc"
