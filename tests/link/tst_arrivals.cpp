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

// Sends the chunks through a pseudo-terminal into the link, running the
// poll's rules after each, with or without an observer.
QList<Cycle> run(const QList<QByteArray> &chunks, QByteArray *observed)
{
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("ports"));
    zpty::PseudoTerminal unit;
    if (!unit.open(zpty::PseudoTerminal::Master::Blocking) ||
        !zpty::publishLink(unit.device(), config.filePath(QStringLiteral("ports/com1"))))
        return {};
    SerialPortLink link(PortNames(config.path()), nullptr);
    link.setReadLength(zcore::kReadLength);
    if (!link.setPortNumber(1) || !link.open())
        return {};
    if (observed)
        link.setArrivalObserver([observed](QByteArrayView bytes) { observed->append(bytes); });
    QList<Cycle> cycles;
    for (const QByteArray &chunk : chunks) {
        if (::write(unit.master(), chunk.constData(), size_t(chunk.size())) != chunk.size())
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
};

void ArrivalsTest::pollReadsTheSameWithAndWithoutAnObserver_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u})
        QTest::newRow(qPrintable(QStringLiteral("stream %1").arg(seed))) << seed;
}

void ArrivalsTest::pollReadsTheSameWithAndWithoutAnObserver()
{
    QFETCH(quint32, seed);
    const QList<QByteArray> chunks = randomChunks(seed);
    const QList<Cycle> plain = run(chunks, nullptr);
    QByteArray observed;
    const QList<Cycle> watched = run(chunks, &observed);
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

QTEST_GUILESS_MAIN(ArrivalsTest)
#include "tst_arrivals.moc"
