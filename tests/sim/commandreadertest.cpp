#include "sim/commandreader.h"

#include <QTest>

using zsim::CommandReader;

namespace {

// Bytes arriving together at one moment; no bytes stands for a look at the
// clock only (the reader judges silences up to that moment).
struct Arrival {
    QByteArray bytes;
    double atMs = 0.0;
};
using Arrivals = QList<Arrival>;

Arrival at(double ms, const char *hex) { return Arrival{QByteArray::fromHex(hex), ms}; }

Arrival quietUntil(double ms) { return Arrival{QByteArray(), ms}; }

QStringList readAll(CommandReader &reader, const Arrivals &arrivals)
{
    QStringList lines;
    for (const Arrival &arrival : arrivals) {
        const auto events = arrival.bytes.isEmpty() ? reader.expire(arrival.atMs)
                                                    : reader.feed(arrival.bytes, arrival.atMs);
        for (const auto &event : events)
            lines.append(CommandReader::logLine(event));
    }
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(Arrival)

class CommandReaderTest : public QObject {
    Q_OBJECT
private slots:
    void readsWhatTheToolSends_data();
    void readsWhatTheToolSends();
};

void CommandReaderTest::readsWhatTheToolSends_data()
{
    QTest::addColumn<Arrivals>("arrivals");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("clean command with gaps")
        << Arrivals{at(0.0, "a4"), at(100.4, "01"), at(200.6, "39")}
        << QStringList{"command 1 57 gaps 100.4 100.2"};
    QTest::newRow("whole command in one read")
        << Arrivals{at(5.0, "a4043c")} << QStringList{"command 4 60 gaps 0.0 0.0"};
    QTest::newRow("stray bytes before a header")
        << Arrivals{at(0.0, "1122"), at(100.0, "a4"), at(200.0, "05"), at(300.0, "c3")}
        << QStringList{"stray 11 22", "command 5 195 gaps 100.0 100.0"};
    QTest::newRow("stray bytes reported after a quiet spell")
        << Arrivals{at(0.0, "55"), quietUntil(200.0), quietUntil(300.0)} << QStringList{"stray 55"};
    QTest::newRow("partial command timed out")
        << Arrivals{at(0.0, "a4"), at(100.0, "02"), quietUntil(2000.0), quietUntil(2100.5)}
        << QStringList{"stray a4 02"};
    QTest::newRow("header alone timed out")
        << Arrivals{at(0.0, "a4"), quietUntil(2001.0)} << QStringList{"stray a4"};
    QTest::newRow("partial command dropped when the next byte comes too late")
        << Arrivals{at(0.0, "a4"), at(100.0, "02"), at(2500.0, "a4"), at(2600.0, "03"),
                    at(2700.0, "10")}
        << QStringList{"stray a4 02", "command 3 16 gaps 100.0 100.0"};
    QTest::newRow("a silence of exactly two seconds still completes")
        << Arrivals{at(0.0, "a4"), at(100.0, "02"), at(2100.0, "40")}
        << QStringList{"command 2 64 gaps 100.0 2000.0"};
    QTest::newRow("two commands back to back in one read")
        << Arrivals{at(0.0, "a40064a4016e")}
        << QStringList{"command 0 100 gaps 0.0 0.0", "command 1 110 gaps 0.0 0.0"};
    QTest::newRow("two commands back to back with gaps")
        << Arrivals{at(0.0, "a4"),   at(100.0, "06"), at(200.0, "c8"),
                    at(300.0, "a4"), at(400.0, "0a"), at(500.0, "0f")}
        << QStringList{"command 6 200 gaps 100.0 100.0", "command 10 15 gaps 100.0 100.0"};
    QTest::newRow("header byte taken as a code inside a command")
        << Arrivals{at(0.0, "a4a407")} << QStringList{"command 164 7 gaps 0.0 0.0"};
    QTest::newRow("long garbage split into runs")
        << Arrivals{at(0.0, QByteArray(40, '\x11').toHex().constData()), quietUntil(1000.0)}
        << QStringList{
               QStringLiteral("stray ") + QString::fromLatin1(QByteArray(32, '\x11').toHex(' ')),
               QStringLiteral("stray ") + QString::fromLatin1(QByteArray(8, '\x11').toHex(' '))};
}

void CommandReaderTest::readsWhatTheToolSends()
{
    QFETCH(Arrivals, arrivals);
    QFETCH(QStringList, lines);
    CommandReader reader;
    QCOMPARE(readAll(reader, arrivals), lines);
    QVERIFY(!reader.midCommand());
}

QTEST_GUILESS_MAIN(CommandReaderTest)
#include "commandreadertest.moc"
