// The real zendalite-sim, driven through standard input and --fault, read
// through its link like the tool reads it.
#include "pty/devicelink.h"
#include "pty/rawline.h"
#include "support/payloads.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// The frame of the frames file, no byte twice.
QByteArray testFrame() { return payloads::countingFrame(); }

// The tool's end: the device behind the link, raw, read without waiting.
struct Port {
    int fd = -1;
    QByteArray bytes;
    bool ended = false; // end of data or EIO: the line hung up
    int endError = 0;

    ~Port() { close(); }

    bool open(const QString &path)
    {
        close();
        fd = zpty::openRawLine(path);
        if (fd < 0)
            return false;
        bytes.clear();
        ended = false;
        return true;
    }

    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void readFor(int ms)
    {
        if (fd < 0 || ended) {
            QTest::qWait(ms);
            return;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
        } else if (n == 0 || errno == EIO) {
            ended = true;
            endError = n == 0 ? 0 : errno;
        }
    }
};

struct Unit {
    QProcess process;
    QByteArray out;
    QStringList lines;

    ~Unit()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    bool start(const QStringList &arguments)
    {
        process.setProgram(QStringLiteral(ZENDALITE_SIM_BIN));
        process.setArguments(arguments);
        process.start();
        return process.waitForStarted(5000);
    }

    void control(const char *line) { process.write(QByteArray(line) + '\n'); }

    // Waits for a stdout line that starts with `start`, reading the port
    // meanwhile (if one is given); the line, or nothing on timeout.
    QString waitForLine(const QString &start, Port *port = nullptr, int timeoutMs = 5000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            out += process.readAllStandardOutput();
            qsizetype nl;
            while ((nl = out.indexOf('\n')) >= 0) {
                lines.append(QString::fromUtf8(out.left(nl)));
                out.remove(0, nl + 1);
            }
            while (!lines.isEmpty()) {
                const QString line = lines.takeFirst();
                if (line.startsWith(start))
                    return line;
            }
            if (deadline.hasExpired() || process.state() != QProcess::Running)
                return {};
            if (port)
                port->readFor(10);
            process.waitForReadyRead(port ? 1 : 20);
        }
    }
};

// Reads until the port holds `frames` whole test frames, or the time is up.
bool readFrames(Port &port, int frames, int timeoutMs = 3000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && port.bytes.count(testFrame()) < frames && !port.ended)
        port.readFor(20);
    return port.bytes.count(testFrame()) >= frames;
}

// The numbers (payload positions 32-33) of the whole numbered frames in the
// bytes, in order, and how many frames of zero bytes came. Every header is
// tried, also one inside the bytes a cut frame left; a frame counts when no
// header lies in its payload and the sum at position 34 holds, so a cut
// frame and the start of the next one never make one.
struct Numbered {
    QList<int> numbers;
    int zeroFrames = 0;
};

Numbered numberedFrames(const QByteArray &bytes)
{
    Numbered found;
    const QByteArray header = QByteArray::fromHex("a4c000");
    for (qsizetype at = bytes.indexOf(header); at >= 0 && at + 37 <= bytes.size();
         at = bytes.indexOf(header, at + 1)) {
        const QByteArray payload = bytes.sliced(at + 3, 34);
        if (payload.contains(header))
            continue;
        if (payload == QByteArray(34, '\0')) {
            ++found.zeroFrames;
            continue;
        }
        int sum = 0;
        for (int i = 0; i < 33; ++i)
            sum += static_cast<unsigned char>(payload[i]);
        if ((sum & 0xFF) == static_cast<unsigned char>(payload[33]))
            found.numbers.append(static_cast<unsigned char>(payload[31]) |
                                 static_cast<unsigned char>(payload[32]) << 8);
    }
    return found;
}

// The numbers a fault line names: "fault truncate 2 frames 7-8" gives 7 and 8.
QList<int> namedFrames(const QString &line)
{
    const QString last = line.section(QLatin1Char(' '), -1);
    const int first = last.section(QLatin1Char('-'), 0, 0).toInt();
    const int end =
        last.contains(QLatin1Char('-')) ? last.section(QLatin1Char('-'), 1).toInt() : first;
    QList<int> numbers;
    for (int n = first; n <= end && n > 0; ++n)
        numbers.append(n);
    return numbers;
}

} // namespace

class SimProcessTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void unplugHangsUpPartWayThroughAFrameAndReplugGivesANewDevice();
    void faultOptionsAreCarriedOutOnTheirSchedule();
    void unknownControlLinesAreAnsweredWithAnError();
    void unitRunsOnWhenStandardInputCloses();
    void counterNumbersEveryFrameBegunSoTheCutOnesAreTheGaps();
    void malformedOrClashingOptionsStopTheProgramBeforeItStarts_data();
    void malformedOrClashingOptionsStopTheProgramBeforeItStarts();
    void timeScaleTenSendsAHundredFramesAWallSecond();

private:
    QTemporaryDir m_dir;
    QString m_link;
    QString m_frames;
};

void SimProcessTest::init()
{
    QVERIFY(m_dir.isValid());
    m_link = m_dir.filePath(QStringLiteral("unit-%1").arg(QTest::currentTestFunction()));
    m_frames = m_dir.filePath(QStringLiteral("frames.txt"));
    QFile file(m_frames);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(testFrame().toHex(' ') + '\n');
}

void SimProcessTest::unplugHangsUpPartWayThroughAFrameAndReplugGivesANewDevice()
{
    Unit unit;
    QVERIFY(unit.start({"--link", m_link, "--frames", m_frames, "--seed", "5"}));
    QString ready = unit.waitForLine("ready ");
    QVERIFY(!ready.isEmpty());
    const QString device = ready.section(QLatin1Char(' '), 1, 1);
    QCOMPARE(ready, QStringLiteral("ready %1 %2").arg(device, m_link));

    Port port;
    QVERIFY(port.open(m_link));
    QVERIFY(readFrames(port, 2));

    unit.control("unplug");
    QCOMPARE(unit.waitForLine("fault", &port), QStringLiteral("fault unplug"));
    const QDeadlineTimer deadline(3000);
    while (!port.ended && !deadline.hasExpired())
        port.readFor(20);
    QVERIFY2(port.ended, "the reader should see the line hang up");
    QVERIFY(port.endError == 0 || port.endError == EIO);

    // Bytes after the last header: the start of a frame, never all of it.
    const QByteArray tail = port.bytes.sliced(port.bytes.lastIndexOf('\xa4'));
    QVERIFY2(tail.size() >= 1 && tail.size() <= 36, qPrintable(tail.toHex(' ')));
    QVERIFY(testFrame().startsWith(tail));

    // The link stays, pointing at the device that is gone.
    QCOMPARE(zpty::linkTarget(m_link), device);
    QVERIFY(unit.process.state() == QProcess::Running);

    // Plugged in again: the link turns to a new device; the old descriptor
    // stays dead, the link opened again gives frames.
    unit.control("replug");
    QCOMPARE(unit.waitForLine("fault"), QStringLiteral("fault replug"));
    ready = unit.waitForLine("ready ");
    QVERIFY(!ready.isEmpty());
    const QString again = ready.section(QLatin1Char(' '), 1, 1);
    QCOMPARE(ready, QStringLiteral("ready %1 %2").arg(again, m_link));
    QCOMPARE(zpty::linkTarget(m_link), again);
    port.readFor(20);
    QVERIFY(port.ended);
    Port fresh;
    QVERIFY(fresh.open(m_link));
    QVERIFY(readFrames(fresh, 3));
}

void SimProcessTest::faultOptionsAreCarriedOutOnTheirSchedule()
{
    Unit unit;
    QVERIFY(unit.start({"--link", m_link, "--frames", m_frames, "--fault", "0.6:replug", "--fault",
                        "0.2:unplug", "--fault", "0.2:garbage:10", "--fault", "0.2:unplug"}));
    QVERIFY(!unit.waitForLine("ready ").isEmpty());
    QElapsedTimer clock;
    clock.start();
    // The second unplug finds the cable out already.
    QCOMPARE(unit.waitForLine("error"), QStringLiteral("error unplug: the cable is out already"));
    QCOMPARE(unit.waitForLine("fault"), QStringLiteral("fault garbage 10"));
    QCOMPARE(unit.waitForLine("fault"), QStringLiteral("fault unplug"));
    QCOMPARE(unit.waitForLine("fault"), QStringLiteral("fault replug"));
    QVERIFY(clock.elapsed() >= 300);
    const QString ready = unit.waitForLine("ready ");
    QVERIFY(!ready.isEmpty());
    Port port;
    QVERIFY(port.open(m_link));
    QVERIFY(readFrames(port, 2));
}

void SimProcessTest::unknownControlLinesAreAnsweredWithAnError()
{
    Unit unit;
    QVERIFY(unit.start({"--link", m_link, "--frames", m_frames}));
    QVERIFY(!unit.waitForLine("ready ").isEmpty());
    // Each line is answered (its reason is the fault test's); the unit goes on.
    unit.control("pull the cable");
    unit.control("replug");
    unit.control("quiet 50");
    QCOMPARE(unit.waitForLine("error"), QStringLiteral("error unknown control \"pull\""));
    QCOMPARE(unit.waitForLine("error"), QStringLiteral("error replug: the cable is in"));
    QCOMPARE(unit.waitForLine("fault"), QStringLiteral("fault quiet 50"));
}

void SimProcessTest::unitRunsOnWhenStandardInputCloses()
{
    Unit unit;
    QVERIFY(unit.start({"--link", m_link, "--frames", m_frames}));
    QVERIFY(!unit.waitForLine("ready ").isEmpty());
    unit.process.closeWriteChannel();
    QTest::qWait(300);
    QCOMPARE(unit.process.state(), QProcess::Running);
    Port port;
    QVERIFY(port.open(m_link));
    QVERIFY(readFrames(port, 3));
}

void SimProcessTest::counterNumbersEveryFrameBegunSoTheCutOnesAreTheGaps()
{
    Unit unit;
    QVERIFY(unit.start(
        {"--link", m_link, "--frames", m_frames, "--counter", "--rate", "20", "--seed", "3"}));
    QVERIFY(!unit.waitForLine("ready ").isEmpty());
    Port port;
    QVERIFY(port.open(m_link));
    for (int i = 0; i < 20; ++i)
        port.readFor(20);

    unit.control("truncate 3");
    const QString truncated = unit.waitForLine("fault", &port);
    QVERIFY2(truncated.startsWith(QLatin1String("fault truncate 3 frames ")),
             qPrintable(truncated));
    unit.control("zeros 1");
    const QString zeroed = unit.waitForLine("fault", &port);
    QVERIFY2(zeroed.startsWith(QLatin1String("fault zeros 1 frame ")), qPrintable(zeroed));
    const QDeadlineTimer deadline(400);
    while (!deadline.hasExpired())
        port.readFor(20);

    const QList<int> cut = namedFrames(truncated);
    const QList<int> zeros = namedFrames(zeroed);
    QCOMPARE(cut.size(), 3);
    QCOMPARE(zeros.size(), 1);
    const Numbered found = numberedFrames(port.bytes);
    QVERIFY2(found.numbers.size() >= 10, qPrintable(QString::number(found.numbers.size())));
    QCOMPARE(found.zeroFrames, 1);
    // From the first frame read to the last, every number is there but those
    // the faults named.
    QList<int> missing;
    for (int n = found.numbers.first(); n <= found.numbers.last(); ++n)
        if (!found.numbers.contains(n))
            missing.append(n);
    QCOMPARE(missing, cut + zeros);
    for (qsizetype i = 1; i < found.numbers.size(); ++i)
        QVERIFY(found.numbers[i] > found.numbers[i - 1]);
}

void SimProcessTest::malformedOrClashingOptionsStopTheProgramBeforeItStarts_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named"); // the option the reason names
    // How each option's text is read is the options test's; here each
    // refusal stops the program before it makes its link.
    QTest::newRow("three ideal levels")
        << QStringList{"--ideal-levels", "100,110,120"} << "--ideal-levels";
    QTest::newRow("ideal levels with a frames file")
        << QStringList{"--ideal-levels", "100,110,120,130", "--frames", "FRAMES"}
        << "--ideal-levels";
    QTest::newRow("unknown drive") << QStringList{"--drive", "motorway"} << "--drive";
    QTest::newRow("inverse levels with a replay")
        << QStringList{"--inverse-levels", "--replay", "FRAMES"} << "--inverse-levels";
    QTest::newRow("time scale with a decimal comma")
        << QStringList{"--time-scale", "2,5"} << "--time-scale";
    QTest::newRow("time scale with a replay")
        << QStringList{"--time-scale", "10", "--replay", "FRAMES"} << "--time-scale";
    QTest::newRow("counter with a replay")
        << QStringList{"--counter", "--replay", "FRAMES"} << "--counter";
}

void SimProcessTest::malformedOrClashingOptionsStopTheProgramBeforeItStarts()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    arguments.replaceInStrings(QStringLiteral("FRAMES"), m_frames);
    Unit unit;
    QVERIFY(unit.start(QStringList{"--link", m_link} + arguments));
    QVERIFY(unit.process.waitForFinished(5000));
    QCOMPARE(unit.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(unit.process.exitCode(), 2);
    const QByteArray error = unit.process.readAllStandardError();
    QVERIFY2(error.contains(named.toUtf8()), error.constData());
    QVERIFY(!QFile::exists(m_link));
}

void SimProcessTest::timeScaleTenSendsAHundredFramesAWallSecond()
{
    Unit unit;
    QVERIFY(unit.start({"--link", m_link, "--frames", m_frames, "--time-scale", "10"}));
    QVERIFY(!unit.waitForLine("ready ").isEmpty());
    Port port;
    QVERIFY(port.open(m_link));
    QVERIFY(readFrames(port, 1));
    const qsizetype before = port.bytes.count(testFrame());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000)
        port.readFor(5);
    const double perSecond =
        double(port.bytes.count(testFrame()) - before) * 1000.0 / double(clock.elapsed());
    // 10 frames a second of engine time, ten times as fast; a busy machine's
    // late ticks are made up for, so only the edges of the window count.
    QVERIFY2(perSecond >= 90.0 && perSecond <= 110.0, qPrintable(QString::number(perSecond)));
}

QTEST_GUILESS_MAIN(SimProcessTest)
#include "simprocesstest.moc"
