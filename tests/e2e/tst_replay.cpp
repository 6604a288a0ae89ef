// A recording replayed by the simulated unit, seen by the real tool over a
// pseudo-terminal: a recording is a test case.
#include "core/frame.h"
#include "core/recording.h"
#include "support/automationclient.h"
#include "support/payloads.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray workedPayload() { return payloads::workedFrame().sliced(3); }

zcore::RecordRow row(qint64 elapsedMs, zcore::RecordEvent event)
{
    zcore::RecordRow r;
    r.time = QDateTime::currentDateTime().addMSecs(elapsedMs);
    r.elapsedMs = elapsedMs;
    r.event = event;
    return r;
}

// What the unit says on stderr, until it says `text` or 3 s have passed.
QByteArray notesUntil(SimulatedUnit &unit, const char *text)
{
    QByteArray notes;
    const QDeadlineTimer deadline(3000);
    while (!notes.contains(text) && !deadline.hasExpired()) {
        unit.process.waitForReadyRead(50);
        notes += unit.process.readAllStandardError();
    }
    return notes;
}

} // namespace

class ReplayTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void recordedFramesReachTheWindowOnlyOnceTheToolOpensTheLineAndPlayOnce();
    void commandsDuringAReplayAreLoggedButChangeNothing();
    void recordingWithATornLastRowIsReplayedUpToItsLastWholeRow();
    void fileThatIsNotARecordingIsRefusedBeforeTheLinkIsMade();

private:
    // A recording of `count` worked frames, 100 ms apart, the port opened
    // before them and the recording stopped after them.
    QString recordingOfWorkedFrames(int count);

    QTemporaryDir m_dir;
    QString m_link;
};

QString ReplayTest::recordingOfWorkedFrames(int count)
{
    using E = zcore::RecordEvent;
    QByteArray bytes = zcore::recordingHeaderLine() + zcore::recordingLine(row(0, E::PortOpen));
    for (int i = 0; i < count; ++i) {
        zcore::RecordRow frame = row(20 + 100 * i, E::Frame);
        frame.payload = workedPayload();
        bytes += zcore::recordingLine(frame);
    }
    bytes += zcore::recordingLine(row(100 * count + 20, E::RecordingStopped));
    const QString path = m_dir.filePath(QStringLiteral("%1.csv").arg(QTest::currentTestFunction()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void ReplayTest::init()
{
    QVERIFY(m_dir.isValid());
    m_link = m_dir.filePath(QStringLiteral("unit-%1").arg(QTest::currentTestFunction()));
}

void ReplayTest::recordedFramesReachTheWindowOnlyOnceTheToolOpensTheLineAndPlayOnce()
{
    // Two seconds of frames played twice as fast. The tool starts later than
    // that: had the replay not waited for it, the frames would be gone by then.
    const QString recording = recordingOfWorkedFrames(20);
    QVERIFY(!recording.isEmpty());
    SimulatedUnit unit;
    QVERIFY(unit.start(m_link, {QStringLiteral("--replay"), recording, QStringLiteral("--speed"),
                                QStringLiteral("2")}));
    QCOMPARE(unit.nextLine(QStringLiteral("replay"), 2500), QString());

    ToolSession tool;
    QVERIFY(tool.prepareConfig(m_link));
    QVERIFY(tool.start());
    QCOMPARE(unit.nextLine(QStringLiteral("replay"), 5000), QStringLiteral("replay start"));

    const QString in1 = tool.pollUntil(
        "in1", [](const QString &t) { return t == QLatin1String("3.94"); }, 5);
    QCOMPARE(in1, QStringLiteral("3.94"));
    // Every byte arrived; what each means on the window is the live display test's.
    QCOMPARE(tool.text("DebugX"), zcore::diagnosticLine(workedPayload()));
    QCOMPARE(unit.nextLine(QStringLiteral("replay"), 5000), QStringLiteral("replay end"));
    QCOMPARE(unit.nextLine(QStringLiteral("replay"), 1500), QString()); // no second pass
    QVERIFY(tool.finish());
}

void ReplayTest::commandsDuringAReplayAreLoggedButChangeNothing()
{
    const QString recording = recordingOfWorkedFrames(5);
    SimulatedUnit unit;
    ToolSession tool;
    QVERIFY(unit.start(m_link, {QStringLiteral("--replay"), recording, QStringLiteral("--loop")}));
    QVERIFY(tool.prepareConfig(m_link));
    QVERIFY(tool.start());
    QCOMPARE(tool.pollUntil(
                 "ca2", [](const QString &t) { return t == QLatin1String("20"); }, 5),
             QStringLiteral("20"));

    QVERIFY(tool.ok("click", {{"target", "ca2"}}));
    QVERIFY(tool.retype("SetBox", "57"));
    QVERIFY(unit.nextCommand().startsWith(QLatin1String("command 1 57 gaps ")));

    // The loop goes on with the recorded level: the unit did not take it.
    for (int i = 0; i < 4; ++i)
        QCOMPARE(tool.pollUntil(
                     "ca2", [](const QString &t) { return t != QLatin1String("20"); }, 1),
                 QStringLiteral("20"));
    const QByteArray notes = notesUntil(unit, "command 1 57 not applied");
    QVERIFY2(notes.contains("command 1 57 not applied"), notes.constData());
    QVERIFY(tool.finish());
}

void ReplayTest::recordingWithATornLastRowIsReplayedUpToItsLastWholeRow()
{
    // The power went while the last frame row was written: it is cut in
    // the middle, and the rest of its block is zero bytes.
    const QString recording = recordingOfWorkedFrames(3);
    QFile file(recording);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    const qsizetype cut = bytes.lastIndexOf(",frame,") + 30;
    const qsizetype torn = bytes.lastIndexOf("\r\n", cut) + 2;
    QVERIFY(file.resize(cut));
    QVERIFY(file.seek(cut));
    QVERIFY(file.write(QByteArray(100, '\0')) == 100);
    file.close();

    SimulatedUnit unit;
    QVERIFY(unit.start(m_link, {QStringLiteral("--replay"), recording}));
    const QByteArray notes = notesUntil(unit, "replaying");
    QVERIFY2(notes.contains("replaying 2 frames"), notes.constData());
    QVERIFY2(notes.contains(
                 QStringLiteral("%1 bytes at the end left out").arg(cut - torn + 100).toUtf8()),
             notes.constData());
}

void ReplayTest::fileThatIsNotARecordingIsRefusedBeforeTheLinkIsMade()
{
    // A recording with a row cut in the middle and whole rows after it.
    const QString recording = recordingOfWorkedFrames(2);
    QFile file(recording);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype cut = bytes.lastIndexOf(",frame,") + 30;
    bytes.remove(cut, bytes.indexOf("\r\n", cut) - cut);
    QVERIFY(file.resize(0));
    QVERIFY(file.write(bytes) == bytes.size());
    file.close();

    SimulatedUnit unit;
    QVERIFY(!unit.start(m_link, {QStringLiteral("--replay"), recording}));
    if (unit.process.state() != QProcess::NotRunning)
        QVERIFY(unit.process.waitForFinished(5000));
    QCOMPARE(unit.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(unit.process.exitCode(), 2);
    const QString error = QString::fromUtf8(unit.process.readAllStandardError());
    QVERIFY2(error.contains(QStringLiteral("not a recording")) &&
                 error.contains(QStringLiteral("satır 4")),
             qPrintable(error));
    QVERIFY(!QFileInfo(m_link).isSymLink());
    QVERIFY(!QFileInfo::exists(m_link));
}

QTEST_GUILESS_MAIN(ReplayTest)
#include "tst_replay.moc"
