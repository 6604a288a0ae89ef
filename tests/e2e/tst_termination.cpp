// The real tool asked by the system to end while it records: the recording
// is closed with its last row, as at the end of the program, and the tool
// ends cleanly.
#include "core/recording.h"
#include "support/automationclient.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TerminationTest : public QObject {
    Q_OBJECT
private slots:
    void signalClosesTheRecordingWithItsLastRowAndEndsCleanly_data();
    void signalClosesTheRecordingWithItsLastRowAndEndsCleanly();
};

void TerminationTest::signalClosesTheRecordingWithItsLastRowAndEndsCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM: the laptop shuts down") << int(SIGTERM);
    QTest::newRow("SIGHUP: its terminal is closed") << int(SIGHUP);
    QTest::newRow("SIGINT: Ctrl+C in its terminal") << int(SIGINT);
}

void TerminationTest::signalClosesTheRecordingWithItsLastRowAndEndsCleanly()
{
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("unit"));
    const QString file = dir.filePath(QStringLiteral("drive.csv"));
    SimulatedUnit unit;
    QVERIFY(unit.start(link, {QStringLiteral("--seed"), QStringLiteral("7")}));
    ToolSession tool;
    QVERIFY(tool.prepareConfig(link));
    QVERIFY(tool.start({QStringLiteral("--record"), file}));

    // Recording, with a few frames in.
    const QDeadlineTimer deadline(10000);
    qint64 frames = 0;
    while (frames < 3 && !deadline.hasExpired()) {
        tool.wait(200);
        frames = tool.state().value("recorder").toObject().value("frames").toInteger();
    }
    QVERIFY2(frames >= 3, "no frames recorded");

    QCOMPARE(::kill(pid_t(tool.process.processId()), signalNumber), 0);
    QVERIFY(tool.process.waitForFinished(5000));
    QCOMPARE(tool.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.process.exitCode(), 0);

    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QString why;
    const auto recording = zcore::readRecording(in.readAll(), &why);
    QVERIFY2(recording, qPrintable(why));
    QCOMPARE(recording->droppedBytes, qsizetype(0));
    QVERIFY(recording->rows.size() >= 4);
    QCOMPARE(recording->rows.last().event, zcore::RecordEvent::RecordingStopped);
}

QTEST_GUILESS_MAIN(TerminationTest)
#include "tst_termination.moc"
