// Standard input cut into lines, for the simulated unit's control lines and
// the automation channel's requests.
#include "core/inputlines.h"

#include <QTest>

using zcore::InputLines;

class InputLinesTest : public QObject {
    Q_OBJECT
private slots:
    void inputIsCutIntoLines_data();
    void inputIsCutIntoLines();
    void overlongLineIsCutAndTakenAsItIs_data();
    void overlongLineIsCutAndTakenAsItIs();
};

void InputLinesTest::inputIsCutIntoLines_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("one line") << QByteArrayList{"unplug\n"} << QByteArrayList{"unplug"};
    QTest::newRow("several lines in one read") << QByteArrayList{"unplug\nreplug\ngarbage 3\n"}
                                               << QByteArrayList{"unplug", "replug", "garbage 3"};
    QTest::newRow("line over several reads") << QByteArrayList{"gar", "bage 2", "00\nla", "te 5\n"}
                                             << QByteArrayList{"garbage 200", "late 5"};
    QTest::newRow("CR LF endings")
        << QByteArrayList{"unplug\r\nreplug\r\n"} << QByteArrayList{"unplug", "replug"};
    QTest::newRow("CR LF split between reads") << QByteArrayList{"{\"op\":\"state\"}\r", "\n{}\r\n"}
                                               << QByteArrayList{"{\"op\":\"state\"}", "{}"};
    QTest::newRow("empty lines are lines")
        << QByteArrayList{"\n\nquiet 5\n"} << QByteArrayList{"", "", "quiet 5"};
    QTest::newRow("unended last line counts at the end")
        << QByteArrayList{"unplug\nreplug"} << QByteArrayList{"unplug", "replug"};
}

void InputLinesTest::inputIsCutIntoLines()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, lines);
    InputLines reader(1024);
    QByteArrayList got;
    for (const QByteArray &chunk : chunks)
        got += reader.feed(chunk);
    got += reader.finish();
    QCOMPARE(got, lines);
    QCOMPARE(reader.finish(), QByteArrayList{});
}

void InputLinesTest::overlongLineIsCutAndTakenAsItIs_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::newRow("in one read") << 100000;
    QTest::newRow("a byte at a time") << 1;
    QTest::newRow("in reads of 7") << 7;
}

void InputLinesTest::overlongLineIsCutAndTakenAsItIs()
{
    QFETCH(int, chunkSize);
    constexpr qsizetype longest = 64;
    const QByteArray input = QByteArray(longest, 'x') + QByteArray(10, 'y') + "\nunplug\n" +
                             QByteArray(longest, 'z') + "\n";
    InputLines reader(longest);
    QByteArrayList got;
    for (qsizetype at = 0; at < input.size(); at += chunkSize)
        got += reader.feed(
            QByteArrayView(input).sliced(at, std::min<qsizetype>(chunkSize, input.size() - at)));
    got += reader.finish();
    // A line of exactly the longest length is cut before its ending, which
    // then ends an empty line.
    const QByteArrayList want{QByteArray(longest, 'x'), QByteArray(10, 'y'), "unplug",
                              QByteArray(longest, 'z'), ""};
    QCOMPARE(got, want);
}

QTEST_APPLESS_MAIN(InputLinesTest)
#include "tst_inputlines.moc"
