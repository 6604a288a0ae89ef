// The recorder on the in-memory link: a row for every frame the unit sent,
// also those the poll drops, a row for every command, a row when the device
// goes away and when it comes back; a full disk stops it with whole rows
// kept; the mark on the skin while it runs.
#include "core/recording.h"
#include "shell/recordingactions.h"
#include "shell/toolactions.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "telemetry/recorder.h"
#include "ui/mainwindow.h"
#include "ui/recordingmark.h"
#include "ui/skintimer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

std::optional<zcore::Recording> readBack(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString why;
    auto recording = zcore::readRecording(in.readAll(), &why);
    if (!recording)
        qWarning() << why;
    return recording;
}

QList<zcore::RecordRow> rowsOf(const zcore::Recording &r, zcore::RecordEvent event)
{
    QList<zcore::RecordRow> out;
    for (const zcore::RecordRow &row : r.rows)
        if (row.event == event)
            out.append(row);
    return out;
}

// Files this thread writes may grow to `bytes` at most while it lives (a
// disk that fills up); writing past it fails instead of signalling.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class RecorderTest : public QObject {
    Q_OBJECT
private slots:
    void everyFrameTheUnitSentIsRecordedAlsoThoseThePollDrops();
    void commandsAreRecordedWhateverSentThem();
    void deviceGoingAwayAndComingBackIsRecordedAndCutsTheFrameItBroke();
    void recordingIsRefusedWhenItCannotRunAndStopIsRefusedWhenNoneRuns();
    void fullDiskStopsTheRecordingAndKeepsWholeRows();
    void markOnTheSkinShowsWhileRecordingWithTheFileName();
};

void RecorderTest::everyFrameTheUnitSentIsRecordedAlsoThoseThePollDrops()
{
    LoadedShell f;
    QVERIFY(!f.link.observed()); // nobody watching: the link reads as ever
    const QString path = f.dir.filePath(QStringLiteral("drive.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    QVERIFY(f.link.observed());

    // Three frames in one poll (two dropped by it), split and with garbage.
    const QByteArray frame = payloads::workedFrame();
    f.link.receive(frame + QByteArray("\x11\x22\xA4", 3) + frame.left(10));
    f.poll(frame.mid(10) + frame);
    QVERIFY(f.link.pending().isEmpty()); // the poll took one and dropped the rest
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);
    QVERIFY(!f.link.observed());

    const auto recording = readBack(path);
    QVERIFY(recording);
    const auto frames = rowsOf(*recording, zcore::RecordEvent::Frame);
    QCOMPARE(frames.size(), 3);
    for (const auto &row : frames)
        QCOMPARE(row.payload, frame.mid(3));
    QCOMPARE(f.shell->recording().recorder().frameRows(), 3);
}

void RecorderTest::commandsAreRecordedWhateverSentThem()
{
    LoadedShell f;
    f.poll();
    const QString path = f.dir.filePath(QStringLiteral("commands.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    QVERIFY(f.shell->sender().send(2, 77) == CommandSender::Result::Sent);
    QVERIFY(f.shell->sender().send(5, 140) == CommandSender::Result::Sent);
    f.link.close(); // refused: nothing went out, nothing recorded
    QVERIFY(f.shell->sender().send(1, 1) != CommandSender::Result::Sent);
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);

    const auto recording = readBack(path);
    QVERIFY(recording);
    const auto commands = rowsOf(*recording, zcore::RecordEvent::Command);
    QCOMPARE(commands.size(), 2);
    QCOMPARE(commands[0].code, 2);
    QCOMPARE(commands[0].value, 77);
    QCOMPARE(commands[1].code, 5);
    QCOMPARE(commands[1].value, 140);
    QCOMPARE(f.shell->recording().recorder().commandRows(), 2);
}

void RecorderTest::deviceGoingAwayAndComingBackIsRecordedAndCutsTheFrameItBroke()
{
    LoadedShell f;
    const QString path = f.dir.filePath(QStringLiteral("dropout.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    const QByteArray frame = payloads::workedFrame();
    // The cable goes in the middle of a frame; what the unit sends
    // meanwhile is lost, and after the return it starts a new frame.
    f.link.receive(frame.left(20));
    f.link.loseDevice();
    f.poll(frame);
    f.link.returnDevice();
    f.poll(frame);
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);

    const auto recording = readBack(path);
    QVERIFY(recording);
    using zcore::RecordEvent;
    QList<RecordEvent> events;
    for (const zcore::RecordRow &row : recording->rows)
        if (row.event == RecordEvent::DeviceLost || row.event == RecordEvent::DeviceReturned ||
            row.event == RecordEvent::Frame)
            events.append(row.event);
    // The frame begun before the loss is not finished with the new one's bytes.
    QCOMPARE(events, QList<RecordEvent>({RecordEvent::DeviceLost, RecordEvent::DeviceReturned,
                                         RecordEvent::Frame}));
    QCOMPARE(rowsOf(*recording, RecordEvent::Frame).first().payload, frame.mid(3));
}

void RecorderTest::recordingIsRefusedWhenItCannotRunAndStopIsRefusedWhenNoneRuns()
{
    LoadedShell f;
    ToolActions &actions = f.shell->actions();
    QVERIFY(!actions.run(QStringLiteral("record-stop"), QString()).ok);
    QVERIFY(!actions.run(QStringLiteral("record-start"), QStringLiteral("/dev/full")).ok);
    QVERIFY(!actions.run(QStringLiteral("record-start"), f.dir.path()).ok); // a folder
    QVERIFY(!f.shell->recording().recorder().isActive());
    QVERIFY(!f.link.observed());
    const QString path = f.dir.filePath(QStringLiteral("one.csv"));
    QVERIFY(actions.run(QStringLiteral("record-start"), path).ok);
    QVERIFY(!actions.run(QStringLiteral("record-start"), path).ok); // one at a time
    QVERIFY(actions.run(QStringLiteral("record-stop"), QString()).ok);
}

void RecorderTest::fullDiskStopsTheRecordingAndKeepsWholeRows()
{
    LoadedShell f;
    const QString path = f.dir.filePath(QStringLiteral("full.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    const qint64 header = QFile(path).size();
    QVERIFY(header > 0);
    {
        FileSizeLimit disk(header + 1000); // room for a few rows only
        for (int i = 0; i < 40 && f.shell->recording().recorder().isActive(); ++i) {
            f.link.receive(payloads::workedFrame());
            QTest::qWait(Recorder::kFlushMs / 10);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!f.shell->recording().recorder().isActive(),
                                 2 * Recorder::kFlushMs);
    }
    QCOMPARE(f.shell->state().statusMessage, Recorder::kWriteFailed);
    QVERIFY(!f.link.observed());
    const auto recording = readBack(path); // only whole rows: it reads
    QVERIFY(recording);
    QVERIFY(QFile(path).size() <= header + 1000);
}

void RecorderTest::markOnTheSkinShowsWhileRecordingWithTheFileName()
{
    LoadedShell f;
    auto *mark = f.shell->mainWindow().findChild<RecordingMark *>();
    QVERIFY(mark);
    QVERIFY(mark->isHidden());
    const QString path = f.dir.filePath(QStringLiteral("marked.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    QVERIFY(!mark->isHidden());
    QVERIFY(mark->toolTip().contains(QStringLiteral("marked.csv")));
    // It covers no element of the skin.
    for (const auto &[name, element] : f.shell->mainWindow().namedElements()) {
        const auto *widget = qobject_cast<const QWidget *>(element);
        if (widget && !widget->isHidden())
            QVERIFY2(!widget->geometry().intersects(mark->geometry()), qPrintable(name));
    }
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);
    QVERIFY(mark->isHidden());
}

QTEST_MAIN(RecorderTest)
#include "tst_recorder.moc"
