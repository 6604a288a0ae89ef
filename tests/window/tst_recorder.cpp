// The recorder on the in-memory link: a row for every frame the unit sent,
// also those the poll drops, a row for every command, a row when the device
// goes away and when it comes back; a full disk stops it with whole rows
// kept; the mark on the skin while it runs.
#include "core/recording.h"
#include "shell/recordingactions.h"
#include "shell/toolactions.h"
#include "support/filesizelimit.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "telemetry/recorder.h"
#include "ui/mainwindow.h"
#include "ui/recordingmark.h"
#include "ui/sharedstate.h"
#include "ui/skintimer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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

// The events of the recording's rows that are among `wanted`, in order.
QList<zcore::RecordEvent> eventsOf(const zcore::Recording &r,
                                   const QList<zcore::RecordEvent> &wanted)
{
    QList<zcore::RecordEvent> out;
    for (const zcore::RecordRow &row : r.rows)
        if (wanted.contains(row.event))
            out.append(row.event);
    return out;
}

} // namespace

class RecorderTest : public QObject {
    Q_OBJECT
private slots:
    void everyFrameTheUnitSentIsRecordedAlsoThoseThePollDropsAndEveryCommandSent();
    void deviceGoingAwayAndComingBackIsRecordedAndCutsTheFrameItBroke();
    void recordingIsRefusedWhenItCannotRunAndReplacesTheFileAScriptNames();
    void fullDiskStopsTheRecordingAndKeepsWholeRows();
    void rowsGoToTheDiskWhileRecordingAndWhenItStops();
    void syncThatFailsStopsTheRecordingAndKeepsWholeRows();
    void markOnTheSkinShowsWhileRecordingWithTheFileName();
    void recordingsStartedInTheSameSecondNeverOverwriteOneAnother();
    void newFileThatCannotStartIsNotLeftBehind();
};

void RecorderTest::everyFrameTheUnitSentIsRecordedAlsoThoseThePollDropsAndEveryCommandSent()
{
    LoadedShell f;
    const QString path = f.dir.filePath(QStringLiteral("drive.csv"));
    QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), path).ok);
    QVERIFY(f.link.observed());

    // Three frames in one poll (two dropped by it), split and with garbage.
    const QByteArray frame = payloads::workedFrame();
    f.link.receive(frame + QByteArray("\x11\x22\xA4", 3) + frame.left(10));
    f.poll(frame.mid(10) + frame);
    QVERIFY(f.link.pending().isEmpty()); // the poll took one and dropped the rest
    QVERIFY(f.shell->sender().send(2, 77) == CommandSender::Result::Sent);
    QVERIFY(f.shell->sender().send(5, 140) == CommandSender::Result::Sent);
    f.link.close(); // refused: nothing went out, nothing recorded
    QVERIFY(f.shell->sender().send(1, 1) != CommandSender::Result::Sent);
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);

    const auto recording = readBack(path);
    QVERIFY(recording);
    const auto frames = rowsOf(*recording, zcore::RecordEvent::Frame);
    QCOMPARE(frames.size(), 3);
    for (const auto &row : frames)
        QCOMPARE(row.payload, frame.mid(3));
    QCOMPARE(f.shell->recording().recorder().frameRows(), 3);
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
    // A frame ending in A4 could go on into a header: the byte after it
    // tells, but the cable goes first. It is recorded all the same.
    QByteArray waiting = payloads::workedFrame();
    waiting[36] = char(0xA4);
    f.link.receive(waiting);
    f.link.loseDevice();
    f.link.returnDevice();
    // The cable goes in the middle of a frame; what the unit sends
    // meanwhile is lost, and after the return it starts a new frame.
    const QByteArray frame = payloads::workedFrame();
    f.link.receive(frame.left(20));
    f.link.loseDevice();
    f.poll(frame);
    f.link.returnDevice();
    f.poll(frame);
    QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);

    const auto recording = readBack(path);
    QVERIFY(recording);
    using zcore::RecordEvent;
    const QList<RecordEvent> events = eventsOf(
        *recording, {RecordEvent::DeviceLost, RecordEvent::DeviceReturned, RecordEvent::Frame});
    // The frame begun before the second loss is not finished with the new one's bytes.
    QCOMPARE(events, QList<RecordEvent>({RecordEvent::Frame, RecordEvent::DeviceLost,
                                         RecordEvent::DeviceReturned, RecordEvent::DeviceLost,
                                         RecordEvent::DeviceReturned, RecordEvent::Frame}));
    const auto frames = rowsOf(*recording, RecordEvent::Frame);
    QCOMPARE(frames.first().payload, waiting.mid(3));
    QCOMPARE(frames.last().payload, frame.mid(3));
}

void RecorderTest::recordingIsRefusedWhenItCannotRunAndReplacesTheFileAScriptNames()
{
    LoadedShell f;
    ToolActions &actions = f.shell->actions();
    QVERIFY(!actions.run(QStringLiteral("record-stop"), QString()).ok);
    QVERIFY(!actions.run(QStringLiteral("record-start"), QStringLiteral("/dev/full")).ok);
    QVERIFY(!actions.run(QStringLiteral("record-start"), f.dir.path()).ok); // a folder
    QVERIFY(!f.shell->recording().recorder().isActive());
    const QString path = f.dir.filePath(QStringLiteral("named.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older file") > 0);
    old.close();
    QVERIFY(actions.run(QStringLiteral("record-start"), path).ok);
    QCOMPARE(f.shell->recording().recorder().fileName(), path);
    QVERIFY(!actions.run(QStringLiteral("record-start"), path).ok); // one at a time
    QVERIFY(actions.run(QStringLiteral("record-stop"), QString()).ok);
    const auto recording = readBack(path);
    QVERIFY(recording);
    QCOMPARE(recording->rows.last().event, zcore::RecordEvent::RecordingStopped);
}

void RecorderTest::fullDiskStopsTheRecordingAndKeepsWholeRows()
{
#ifndef Q_OS_UNIX
    QSKIP("a full disk is made with the file size limit, which only POSIX has");
#else
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
    const auto recording = readBack(path); // only whole rows: it reads
    QVERIFY(recording);
    QVERIFY(QFile(path).size() <= header + 1000);
#endif
}

void RecorderTest::rowsGoToTheDiskWhileRecordingAndWhenItStops()
{
    // Written through every 10 ms instead of every second: synced every
    // kSyncEvery of those.
    SharedState state;
    Recorder recorder(state);
    QList<QByteArray> synced; // the file as it was at each sync
    recorder.setSyncFile([&synced](QFileDevice &file) {
        QFile copy(file.fileName());
        synced.append(copy.open(QIODevice::ReadOnly) ? copy.readAll() : QByteArray());
        return true;
    });
    recorder.setFlushInterval(10);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("synced.csv"));
    QString why;
    QVERIFY2(recorder.start(path, &why), qPrintable(why));
    QCOMPARE(synced.size(), 1); // the column names, at once
    QCOMPARE(synced.first(), zcore::recordingHeaderLine());

    const QByteArray payload = payloads::workedFrame().sliced(3);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            recorder.frame(payload);
            return synced.size() >= 4;
        }(),
        5000);
    // Nothing new, nothing to sync.
    const qsizetype syncs = synced.size();
    QTest::qWait(10 * Recorder::kSyncEvery * 3);
    QVERIFY(synced.size() <= syncs + 1);

    recorder.stop();
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(synced.last(), in.readAll()); // the last row too
    for (const QByteArray &bytes : std::as_const(synced)) {
        const auto recording = zcore::readRecording(bytes, &why);
        QVERIFY2(recording, qPrintable(why)); // whole rows at each sync
        QCOMPARE(recording->droppedBytes, qsizetype(0));
    }
    const auto last = zcore::readRecording(synced.last(), nullptr);
    QCOMPARE(last->rows.last().event, zcore::RecordEvent::RecordingStopped);
}

void RecorderTest::syncThatFailsStopsTheRecordingAndKeepsWholeRows()
{
    SharedState state;
    Recorder recorder(state);
    QSignalSpy changes(&recorder, &Recorder::activeChanged);
    int syncs = 0;
    recorder.setSyncFile([&syncs](QFileDevice &) { return ++syncs == 1; });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unsynced.csv"));
    QString why;
    QVERIFY2(recorder.start(path, &why), qPrintable(why));
    recorder.frame(payloads::workedFrame().sliced(3));
    recorder.stop();
    QCOMPARE(syncs, 2);
    QVERIFY(!recorder.isActive());
    QCOMPARE(state.statusMessage, Recorder::kWriteFailed);
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.last().first().toBool(), false);
    QVERIFY(readBack(path));
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

void RecorderTest::recordingsStartedInTheSameSecondNeverOverwriteOneAnother()
{
#ifdef Q_OS_WIN
    QSKIP("the documents folder follows HOME only on POSIX; Windows asks the shell");
#endif
    LoadedShell f;
    // The documents folder inside the test's own folder.
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(f.dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(f.dir.filePath(QStringLiteral("config"))));
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", home);
        config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
    });
    const QDir folder = QFileInfo(RecordingActions::defaultFile()).dir();
    QVERIFY(folder.path().startsWith(f.dir.path()));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    // Recordings of this second and the next four are there already.
    QStringList kept;
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 5; ++s) {
        kept.append(folder.filePath(now.addSecs(s).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
                                    ".csv"));
        QFile file(kept.last());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
    }

    // Two more started by the menu entry (no file named), one after the other.
    QStringList made;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(f.shell->actions().run(QStringLiteral("record-start"), QString()).ok);
        made.append(f.shell->recording().recorder().fileName());
        f.link.receive(payloads::workedFrame());
        QVERIFY(f.shell->actions().run(QStringLiteral("record-stop"), QString()).ok);
    }
    for (const QString &path : std::as_const(kept)) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept"));
    }
    QVERIFY(made[0] != made[1]);
    const QRegularExpression name(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d-\\d+\\.csv$"));
    for (const QString &path : std::as_const(made)) {
        QCOMPARE(QFileInfo(path).dir(), folder);
        QVERIFY2(name.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
        const auto recording = readBack(path);
        QVERIFY(recording);
        QCOMPARE(rowsOf(*recording, zcore::RecordEvent::Frame).size(), 1);
    }
}

void RecorderTest::newFileThatCannotStartIsNotLeftBehind()
{
    // A default name is tried with the next number only while the names
    // are taken: a file made for a start that then failed (its column names
    // not written, a full disk) would take the next name too, and the next.
    SharedState state;
    Recorder recorder(state);
    recorder.setSyncFile([](QFileDevice &) { return false; });
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.csv"));
    QString why;
    QVERIFY(!recorder.start(path, &why, Recorder::Existing::Refuse));
    QVERIFY(!why.isEmpty());
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!recorder.isActive());
}

QTEST_MAIN(RecorderTest)
#include "tst_recorder.moc"
