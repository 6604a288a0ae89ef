// The port's error reports and the device under it: a device that went away
// is closed at once, so that the port's error, which Qt repeats until the
// port is closed, stops; an error that repeats without end while the device
// still answers ends in a close and a reopen, not in a loop.
#include "link/devicewatch.h"

#include "pty/pseudoterminal.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

Q_DECLARE_METATYPE(QSerialPort::SerialPortError)

namespace {

// A port open on a unit's terminal, watched.
struct Watched {
    zpty::PseudoTerminal terminal;
    QString device;
    QSerialPort port;
    int reopens = 0;
    DeviceWatch watch{port,
                      [this] {
                          ++reopens;
                          if (!terminal.isOpen())
                              return QString();
                          port.setPortName(device);
                          return port.open(QIODevice::ReadWrite) ? device : QString();
                      },
                      nullptr};

    bool open()
    {
        if (!terminal.open(zpty::PseudoTerminal::Master::NonBlocking))
            return false;
        device = terminal.device();
        port.setPortName(device);
        if (!port.open(QIODevice::ReadWrite))
            return false;
        watch.watch(device);
        return true;
    }
};

} // namespace

class DeviceWatchTest : public QObject {
    Q_OBJECT
private slots:
    void unpluggedDeviceIsClosedAtOnceAndItsErrorsStop();
    void errorRepeatingWithoutEndEndsInACloseAndAReopen_data();
    void errorRepeatingWithoutEndEndsInACloseAndAReopen();
    void errorsNowAndThenWithBytesBetweenLeaveTheDeviceOpen();
};

void DeviceWatchTest::unpluggedDeviceIsClosedAtOnceAndItsErrorsStop()
{
    Watched w;
    QVERIFY(w.open());
    QSignalSpy errors(&w.port, &QSerialPort::errorOccurred);
    QSignalSpy lost(&w.watch, &DeviceWatch::lost);

    QElapsedTimer clock;
    clock.start();
    w.terminal.close(); // the adapter is pulled out
    QVERIFY(QTest::qWaitFor([&w] { return !w.port.isOpen(); }, 1000));
    const qint64 closedAfterMs = clock.elapsed();
    const qsizetype errorsUntilClosed = errors.count();
    QTest::qWait(500);

    qInfo("closed %lld ms after the unplug, after %lld error reports", closedAfterMs,
          qlonglong(errorsUntilClosed));
    QCOMPARE(lost.count(), 1);
    QVERIFY2(errorsUntilClosed >= 1 && errorsUntilClosed <= 3,
             qPrintable(QString::number(errorsUntilClosed)));
    // Closed: no more reports, however long the device stays away.
    QCOMPARE(errors.count(), errorsUntilClosed);
    QVERIFY(closedAfterMs < 200);
}

void DeviceWatchTest::errorRepeatingWithoutEndEndsInACloseAndAReopen_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("closed");
    QTest::newRow("read error") << QSerialPort::ReadError << true;
    QTest::newRow("resource error") << QSerialPort::ResourceError << true;
    // Windows reports a removed adapter's pending read as "access denied".
    QTest::newRow("permission error") << QSerialPort::PermissionError << true;
    // Some drivers: "a device attached to the system is not functioning".
    QTest::newRow("unknown error") << QSerialPort::UnknownError << true;
    QTest::newRow("a timeout is no sign of a loss") << QSerialPort::TimeoutError << false;
}

// Qt repeats a read error on every turn of the event loop while the port
// stays as it is. A device that still answers the checks is kept open for
// one error, or a few; an error that comes back at once, again and again,
// with nothing read between, makes it closed and opened anew.
void DeviceWatchTest::errorRepeatingWithoutEndEndsInACloseAndAReopen()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, closed);
    Watched w;
    QVERIFY(w.open());
    QSignalSpy lost(&w.watch, &DeviceWatch::lost);
    QSignalSpy returned(&w.watch, &DeviceWatch::returned);

    emit w.port.errorOccurred(error);
    QTest::qWait(20);
    QVERIFY(w.port.isOpen());
    QCOMPARE(lost.count(), 0);

    // The error without end: as many as Qt gives in a few milliseconds.
    for (int i = 0; i < 5000 && w.port.isOpen(); ++i) {
        emit w.port.errorOccurred(error);
        QCoreApplication::processEvents();
    }
    QTest::qWait(20);
    QCOMPARE(lost.count(), closed ? 1 : 0);
    if (closed) {
        QVERIFY(!lost.first().first().toString().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(returned.count(), 1, 4 * DeviceWatch::kReopenIntervalMs);
    }
    QVERIFY(w.port.isOpen());
}

void DeviceWatchTest::errorsNowAndThenWithBytesBetweenLeaveTheDeviceOpen()
{
    Watched w;
    QVERIFY(w.open());
    QSignalSpy lost(&w.watch, &DeviceWatch::lost);
    QSignalSpy arrived(&w.port, &QSerialPort::readyRead);
    for (int i = 0; i < 80; ++i) {
        emit w.port.errorOccurred(QSerialPort::ResourceError);
        QCOMPARE(::write(w.terminal.master(), "x", 1), ssize_t(1));
        QVERIFY(arrived.wait(1000));
    }
    QCOMPARE(lost.count(), 0);
    QVERIFY(w.port.isOpen());
    QCOMPARE(w.port.readAll().size(), 80);
}

QTEST_GUILESS_MAIN(DeviceWatchTest)
#include "tst_devicewatch.moc"
