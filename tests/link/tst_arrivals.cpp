// Every byte the unit sends, seen as it arrives while an observer is set,
// and the window's poll reading exactly as it does without one.
#include "core/frame.h"
#include "link/portnames.h"
#include "link/serialportlink.h"
#include "support/payloads.h"

#include "pty/devicelink.h"
#include "pty/pseudoterminal.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

namespace {

// What the poll saw in one cycle: the read, and whether it took a frame
// (and so dropped the rest).
struct Cycle {
    QByteArray read;
    bool accepted = false;
    bool operator==(const Cycle &) const = default;
};

// A stream a unit might send: frames, pieces of frames, garbage and the
// header's bytes where they do not start a frame.
QList<QByteArray> randomChunks(quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray stream;
    const QByteArray frame = payloads::workedFrame();
    while (stream.size() < 3000) {
        switch (random.bounded(5)) {
        case 0:
        case 1:
            stream += frame;
            break;
        case 2:
            stream += frame.left(random.bounded(1, int(frame.size())));
            break;
        case 3:
            stream += QByteArray("\xA4\xC0", 2);
            break;
        default:
            for (int i = random.bounded(1, 40); i > 0; --i)
                stream += char(random.bounded(256));
        }
    }
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = std::min<qsizetype>(random.bounded(1, 90), stream.size() - at);
        chunks.append(stream.mid(at, n));
        at += n;
    }
    return chunks;
}

// A link on com1, a pseudo-terminal whose master end plays the unit.
struct Bench {
    QTemporaryDir config;
    zpty::PseudoTerminal unit;
    std::unique_ptr<SerialPortLink> link;

    bool open()
    {
        QDir(config.path()).mkpath(QStringLiteral("ports"));
        if (!unit.open(zpty::PseudoTerminal::Master::Blocking) ||
            !zpty::publishLink(unit.device(), config.filePath(QStringLiteral("ports/com1"))))
            return false;
        link = std::make_unique<SerialPortLink>(PortNames(config.path()), nullptr);
        link->setReadLength(zcore::kReadLength);
        return link->setPortNumber(1) && link->open();
    }
    bool send(QByteArrayView bytes)
    {
        return ::write(unit.master(), bytes.data(), size_t(bytes.size())) == bytes.size();
    }
};

// Sends the chunks through a pseudo-terminal into the link, running the
// poll's rules after each, with or without an observer; the observer asks
// for `wanted` bytes before it is woken.
QList<Cycle> run(const QList<QByteArray> &chunks, QByteArray *observed, qsizetype wanted = 1)
{
    Bench bench;
    if (!bench.open())
        return {};
    SerialPortLink &link = *bench.link;
    if (observed)
        link.setArrivalObserver([observed, wanted](QByteArrayView bytes) {
            observed->append(bytes);
            return wanted;
        });
    QList<Cycle> cycles;
    for (const QByteArray &chunk : chunks) {
        if (!bench.send(chunk))
            return {};
        QTest::qWait(8); // the bytes reach the port
        Cycle c;
        c.read = link.read();
        c.accepted = zcore::framePayload(c.read).has_value();
        if (c.accepted)
            link.discardInput();
        QTest::qWait(2);
        cycles.append(c);
    }
    if (observed)
        link.setArrivalObserver({});
    return cycles;
}

} // namespace

class ArrivalsTest : public QObject {
    Q_OBJECT
private slots:
    void pollReadsTheSameWithAndWithoutAnObserver_data();
    void pollReadsTheSameWithAndWithoutAnObserver();
    void observerIsWokenOnceTheBytesItNeedsHaveCome();
};

void ArrivalsTest::pollReadsTheSameWithAndWithoutAnObserver_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<qsizetype>("wanted");
    for (quint32 seed : {1u, 2u, 3u})
        QTest::newRow(qPrintable(QStringLiteral("stream %1").arg(seed))) << seed << qsizetype(1);
    // The driver holds up to a frame's bytes unannounced; the poll takes them.
    for (quint32 seed : {4u, 5u})
        QTest::newRow(qPrintable(QStringLiteral("stream %1, woken per frame").arg(seed)))
            << seed << qsizetype(37);
}

void ArrivalsTest::pollReadsTheSameWithAndWithoutAnObserver()
{
    QFETCH(quint32, seed);
    QFETCH(qsizetype, wanted);
    const QList<QByteArray> chunks = randomChunks(seed);
    const QList<Cycle> plain = run(chunks, nullptr);
    QByteArray observed;
    const QList<Cycle> watched = run(chunks, &observed, wanted);
    QCOMPARE(plain.size(), chunks.size());
    QCOMPARE(watched.size(), chunks.size());
    int accepted = 0;
    for (int i = 0; i < chunks.size(); ++i) {
        QVERIFY2(plain[i] == watched[i], qPrintable(QStringLiteral("cycle %1 differs").arg(i)));
        accepted += plain[i].accepted ? 1 : 0;
    }
    QVERIFY(accepted > 10); // frames were taken and the rest dropped, many times
    // The observer saw every byte, also those the poll dropped.
    QCOMPARE(observed, chunks.join());
}

void ArrivalsTest::observerIsWokenOnceTheBytesItNeedsHaveCome()
{
#ifndef Q_OS_LINUX
    QSKIP("the driver's wake-up count is used on Linux only");
#endif
    Bench bench;
    QVERIFY(bench.open());
    QList<QByteArray> deliveries;
    bench.link->setArrivalObserver([&deliveries](QByteArrayView bytes) {
        deliveries.append(bytes.toByteArray());
        return qsizetype(20);
    });
    // The first delivery comes as it is (the observer has not answered yet).
    QVERIFY(bench.send("ab"));
    QTRY_COMPARE(deliveries.size(), 1);

    QVERIFY(bench.send("0123456789"));
    QTest::qWait(50);
    QCOMPARE(deliveries.size(), 1); // ten of twenty: no wake-up
    QVERIFY(bench.send("ABCDEFGHIJ"));
    QTRY_COMPARE(deliveries.size(), 2);
    QCOMPARE(deliveries[1], QByteArray("0123456789ABCDEFGHIJ"));

    // Fewer than wanted, then a poll: the read takes them all the same.
    QVERIFY(bench.send("xyz"));
    QTest::qWait(50);
    QCOMPARE(deliveries.size(), 2);
    QCOMPARE(bench.link->read(), QByteArray("ab0123456789ABCDEFGHIJxyz"));
    QCOMPARE(deliveries.last(), QByteArray("xyz"));

    // Unwatched again, bytes held by the driver are read as before.
    bench.link->setArrivalObserver({});
    QVERIFY(bench.send("12"));
    QByteArray read;
    QTRY_VERIFY((read += bench.link->read()) == "12");
}

QTEST_GUILESS_MAIN(ArrivalsTest)
#include "tst_arrivals.moc"
