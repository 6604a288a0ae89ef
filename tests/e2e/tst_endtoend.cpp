// The real tool and the simulated unit over a real pseudo-terminal, through
// the automation channel.
#include "support/automationclient.h"
#include "support/payloads.h"

#include "core/frame.h"
#include "core/recording.h"
#include "support/processlocale.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

namespace {
const QString kNoLink = QStringLiteral("Bağlantı Yok!");
} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void startupOpensThePortAndTheUnitsValuesAppear();
    void secondCopyOnTheSameDeviceIsRefusedWhateverTheLink();
    void pulledCableIsReportedLostAndTheDeviceReopenedWhenItComesBack();
    void garbageAndBrokenFramesShowNothingButWholeFrames();
    void badRequestsAndGesturesOnHiddenElementsAreRefusedAndTheToolGoesOn();
    void missingPortFileShowsTheDialogAndEnterStartsAgain();
    void closedWindowEndsTheProgramWithoutAnsweringMore_data();
    void closedWindowEndsTheProgramWithoutAnsweringMore();
    void turkishDesktopSendsTypedNumbersAsAnEnglishOneDoes();
    void bandLevelTypedOrLoadedFromSavedSettingsReachesTheUnitAndComesBack();
    void recordingHoldsEveryFrameTheUnitSentAndTheCommands();
    void wheelOverAnEmptyRecordingLeavesTheToolAnsweringAndSmall();

private:
    // The unit on its pseudo-terminal and the tool with port 1 on it.
    bool startBoth(SimulatedUnit &unit, ToolSession &tool, const QStringList &unitArgs = {});
    // The tool with port 1 on a device that is not there.
    static bool startWithoutUnit(ToolSession &tool);
    // A file of that name in the test's folder holding the bytes; its path.
    QString fileWith(const QString &name, const QByteArray &bytes);
    // A frames file that holds the worked frame only.
    QString workedFramesFile()
    {
        return fileWith(QStringLiteral("worked.frames"),
                        "# the worked frame\n" + payloads::workedFrame().toHex(' ').toUpper() +
                            '\n');
    }

    QTemporaryDir m_dir;
    QString m_link;
};

bool EndToEndTest::startBoth(SimulatedUnit &unit, ToolSession &tool, const QStringList &unitArgs)
{
    return unit.start(m_link, unitArgs) && tool.prepareConfig(m_link) && tool.start();
}

bool EndToEndTest::startWithoutUnit(ToolSession &tool)
{
    return tool.prepareConfig(QStringLiteral("/nonexistent/device")) && tool.start();
}

QString EndToEndTest::fileWith(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void EndToEndTest::init()
{
    m_link = m_dir.filePath(QStringLiteral("unit-%1").arg(QTest::currentTestFunction()));
}

void EndToEndTest::startupOpensThePortAndTheUnitsValuesAppear()
{
    SimulatedUnit unit;
    ToolSession tool;
    QVERIFY(startBoth(unit, tool, {QStringLiteral("--frames"), workedFramesFile()}));

    const QJsonObject port = tool.element("MSComm1");
    QVERIFY(port.value("open").toBool());
    QCOMPARE(port.value("port").toInt(), 1);
    QCOMPARE(tool.text("PortNo"), QStringLiteral("1"));
    QVERIFY(tool.windowVisible("main") && !tool.windowVisible("ComPort"));
    QCOMPARE(tool.shared("iniPath").toString(), QStringLiteral("c:\\Ecu.ini"));

    // Frames arrive ten a second; a cycle may start inside one, so allow three.
    // What each byte means on the window (and the status and log a frame
    // brings) is the live display and poll cycle tests'; here every byte of
    // the frame arrives whole over the line.
    QCOMPARE(tool.pollUntil(
                 "in1", [](const QString &t) { return t == QLatin1String("3.94"); }, 3),
             QStringLiteral("3.94"));
    QCOMPARE(tool.text("DebugX"), zcore::diagnosticLine(payloads::workedFrame().sliced(3)));
    QVERIFY(tool.finish());
}

void EndToEndTest::secondCopyOnTheSameDeviceIsRefusedWhateverTheLink()
{
    SimulatedUnit unit;
    QVERIFY(unit.start(m_link));
    ToolSession first;
    QVERIFY(first.prepareConfig(m_link));
    QVERIFY(first.start());
    QVERIFY(first.element("MSComm1").value("open").toBool());

    // The second copy reaches the same device through another link.
    const QString other = m_dir.filePath("another-name-for-the-unit");
    QVERIFY(QFile::link(m_link, other));
    ToolSession second;
    QVERIFY(second.prepareConfig(other));
    QVERIFY(second.start());
    QVERIFY(!second.element("MSComm1").value("open").toBool());
    QVERIFY(!second.windowVisible("main") && second.windowVisible("ComPort"));
    QVERIFY(second.finish());
    QVERIFY(QString::fromUtf8(second.process.readAllStandardError()).contains("cannot be opened"));
    QVERIFY(first.element("MSComm1").value("open").toBool());
    QVERIFY(first.finish());
}

namespace {
int openDescriptors(qint64 pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                   .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                   .size());
}

// Processor time (user + system) of a process in seconds, from the kernel.
double processorSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / 100.0;
}
} // namespace

void EndToEndTest::pulledCableIsReportedLostAndTheDeviceReopenedWhenItComesBack()
{
    SimulatedUnit unit;
    ToolSession tool;
    QVERIFY(startBoth(unit, tool, {QStringLiteral("--seed"), QStringLiteral("9")}));
    tool.pollUntil("DebugX", [](const QString &t) { return t.contains('-'); });
    QCOMPARE(tool.shared("linkStatus").toString(), QStringLiteral("Connect Ecu!"));
    const qint64 pid = tool.process.processId();
    const int descriptorsBefore = openDescriptors(pid);
    QVERIFY(descriptorsBefore > 0);

    for (int dropOut = 1; dropOut <= 3; ++dropOut) {
        // The cable is pulled in the middle of a frame; the tool stays idle
        // while the device is gone, no busy retry.
        QVERIFY(unit.fault(QStringLiteral("unplug")));
        const double before = processorSeconds(pid);
        tool.wait(2000);
        const double used = processorSeconds(pid) - before;
        qInfo("drop-out %d: %.2f s of processor in 2 s while the device was gone", dropOut, used);
        QVERIFY2(used < 0.2, qPrintable(QStringLiteral("%1 s of processor in 2 s").arg(used)));

        if (dropOut == 1) {
            // Silent cycles report the link lost; the last values stay. The
            // first cycle may still take what arrived before the cable went.
            // (The count of silent cycles, and the window the no-ECU timeout
            // marks, are the poll cycle and link supervision tests'.)
            tool.tick("Timer2");
            const QString shown = tool.text("in1");
            tool.tick("Timer2", 31);
            QCOMPARE(tool.shared("linkStatus").toString(), kNoLink);
            QCOMPARE(tool.text("in1"), shown);
        }
        tool.tick("Timer2", 3); // silent cycles while it is gone
        QVERIFY(tool.shared("silentTicks").toInt() > 0);

        // Back behind the same link, on a new terminal: the link finds it by
        // itself, no dialog, and frames resume.
        QVERIFY(unit.fault(QStringLiteral("replug")));
        QElapsedTimer back;
        back.start();
        bool resumed = false;
        while (!resumed && back.elapsed() < 5000) {
            tool.wait(50);
            tool.tick("Timer2");
            resumed = tool.shared("silentTicks").toInt() == 0;
        }
        qInfo("drop-out %d: first frame shown %lld ms after the device came back", dropOut,
              back.elapsed());
        QVERIFY2(resumed, "no frame after the device came back");
        QVERIFY2(back.elapsed() < 1500, qPrintable(QString::number(back.elapsed())));
        QVERIFY(tool.element("MSComm1").value("open").toBool());
        QVERIFY(tool.windowVisible("main") && !tool.windowVisible("ComPort"));
        QCOMPARE(tool.shared("linkStatus").toString(), QStringLiteral("Connect Ecu!"));
    }
    QCOMPARE(openDescriptors(pid), descriptorsBefore);
    QVERIFY(tool.finish());
}

void EndToEndTest::garbageAndBrokenFramesShowNothingButWholeFrames()
{
    const QString frames = workedFramesFile();
    const QString worked = zcore::diagnosticLine(payloads::workedFrame().sliced(3));
    SimulatedUnit unit;
    ToolSession tool;
    QVERIFY(startBoth(
        unit, tool,
        {QStringLiteral("--frames"), frames, QStringLiteral("--seed"), QStringLiteral("4")}));
    const QStringList faults = {"garbage 300", "truncate 5", "gap 250", "garbage 49",
                                "late 400",    "truncate 3", "gap 120", "garbage 1000"};
    for (const QString &f : faults) {
        unit.process.write(f.toUtf8() + '\n');
        for (int cycle = 0; cycle < 4; ++cycle) {
            tool.wait(150);
            tool.tick("Timer2");
            const QJsonObject e = tool.state().value("elements").toObject();
            const QString debug = e.value("DebugX").toObject().value("text").toString();
            QVERIFY2(debug == QLatin1String("Debug Screen!") || debug == worked, qPrintable(debug));
            const QString in1 = e.value("in1").toObject().value("text").toString();
            QVERIFY2(in1.isEmpty() || in1 == QLatin1String("3.94"), qPrintable(in1));
        }
    }
    QVERIFY(tool.finish());
}

void EndToEndTest::badRequestsAndGesturesOnHiddenElementsAreRefusedAndTheToolGoesOn()
{
    ToolSession tool;
    QVERIFY(startWithoutUnit(tool));
    tool.process.write("this is not json\n");
    // The first reply answers the malformed line; the state comes next.
    QVERIFY(!tool.ok("state"));
    QVERIFY(tool.nextReply().value("ok").toBool());
    QVERIFY(tool.request({{"op", "nothing"}}).value("error").toString().contains("unknown op"));
    QVERIFY(!tool.ok("click", {{"target", "noSuchElement"}}));
    QVERIFY(!tool.ok("close", {{"window", "nowhere"}}));
    QVERIFY(!tool.ok("tick", {{"timer", "ca1"}}));
    // The port cannot be opened: the main window and its elements are hidden.
    QVERIFY(!tool.windowVisible("main") && tool.windowVisible("ComPort"));
    QVERIFY(!tool.ok("click", {{"target", "kablo"}}));
    QVERIFY(!tool.ok("type", {{"target", "SetBox"}, {"text", "1"}}));
    QVERIFY(!tool.ok("close", {{"window", "Help"}}));
    // The tool goes on: it still writes its window and quits when asked.
    const QString shot = m_dir.filePath("shot.png");
    QVERIFY(tool.ok("screenshot", {{"file", shot}}));
    QCOMPARE(QImage(shot).size(), QSize(800, 600));
    QVERIFY(tool.ok("quit"));
    QVERIFY(tool.process.waitForFinished(5000));
    QCOMPARE(tool.process.exitCode(), 0);
}

void EndToEndTest::missingPortFileShowsTheDialogAndEnterStartsAgain()
{
    SimulatedUnit unit;
    QVERIFY(unit.start(m_link));
    ToolSession tool;
    QVERIFY(tool.prepareConfig(m_link));
    QFile::remove(tool.config.filePath("zendalite/Ecu.ini"));
    QVERIFY(tool.start());
    QVERIFY(tool.windowVisible("main") && tool.windowVisible("ComPort"));
    QVERIFY(!tool.element("MSComm1").value("open").toBool());

    QVERIFY(tool.retype("Text1", "1"));
    QVERIFY(!tool.windowVisible("ComPort"));
    QVERIFY(tool.element("MSComm1").value("open").toBool());
    QFile file(tool.config.filePath("zendalite/Ecu.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\"Com-1\"\r\n"));
    QVERIFY(tool.finish());
}

void EndToEndTest::closedWindowEndsTheProgramWithoutAnsweringMore_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "main";
    QTest::newRow("port-number dialog") << "ComPort";
}

void EndToEndTest::closedWindowEndsTheProgramWithoutAnsweringMore()
{
    QFETCH(QString, window);
    SimulatedUnit unit;
    ToolSession tool;
    // No device: the dialog is shown.
    QVERIFY(window == QLatin1String("main") ? startBoth(unit, tool) : startWithoutUnit(tool));
    QVERIFY(tool.windowVisible(window));

    // The close and two more requests arrive together: the close is
    // answered, then the program ends and answers nothing more.
    tool.process.write("{\"op\":\"close\",\"window\":\"" + window.toLatin1() +
                       "\"}\n{\"op\":\"state\"}\n{\"op\":\"state\"}\n");
    QVERIFY(tool.nextReply().value("ok").toBool());
    QVERIFY(tool.process.waitForFinished(10000));
    QCOMPARE(tool.process.exitCode(), 0);
    QCOMPARE(tool.nextReply(100).value("error").toString(), QStringLiteral("no reply"));
}

void EndToEndTest::turkishDesktopSendsTypedNumbersAsAnEnglishOneDoes()
{
    const QString locales = testlocale::turkishLocaleFolder();
    if (locales.isEmpty())
        QSKIP("no Turkish locale made (CTest makes one and sets ZENDALITE_TR_LOCPATH)");
    {
        // The locale loads, and its C library writes fractions with a comma:
        // the tool below runs under exactly that.
        qputenv("LOCPATH", locales.toLocal8Bit());
        const QByteArray before = std::setlocale(LC_NUMERIC, nullptr);
        QVERIFY(std::setlocale(LC_NUMERIC, "tr_TR.UTF-8") != nullptr);
        QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
        std::setlocale(LC_NUMERIC, before.constData());
        qunsetenv("LOCPATH");
    }

    SimulatedUnit unit; // sends the worked frame and logs, not applies, commands
    ToolSession tool;
    tool.extraEnvironment.insert(QStringLiteral("LOCPATH"), locales);
    tool.extraEnvironment.insert(QStringLiteral("LC_ALL"), QStringLiteral("tr_TR.UTF-8"));
    tool.extraEnvironment.insert(QStringLiteral("LANG"), QStringLiteral("tr_TR.UTF-8"));
    QVERIFY(startBoth(unit, tool, {QStringLiteral("--frames"), workedFramesFile()}));

    // The tool runs under the desktop's comma (what else a comma desktop
    // shows is the live display test's).
    QCOMPARE(tool.pollUntil(
                 "in1", [](const QString &t) { return t == QLatin1String("3,94"); }, 3),
             QStringLiteral("3,94"));

    // Typed numbers reach the unit as on an English desktop.
    struct Typed {
        const char *label, *box, *text;
        QString command;
    };
    const Typed typed[] = {
        {"ca1", "SetBox", "12.7", QStringLiteral("command 0 13")},
        {"ca4", "SetBox", "1.5E2", QStringLiteral("command 3 150")},
        {"Setterm", "settermm", "90", QStringLiteral("command 5 140")},
    };
    for (const Typed &t : typed) {
        QVERIFY(tool.ok("click", {{"target", t.label}}));
        QVERIFY(tool.retype(t.box, t.text));
        const QString command = unit.nextCommand();
        QVERIFY2(command.startsWith(t.command + QLatin1Char(' ')),
                 qPrintable(QStringLiteral("%1 typed: %2").arg(t.text, command)));
        QVERIFY(!tool.element(t.box).value("visible").toBool());
    }
    QVERIFY(tool.finish());
}

void EndToEndTest::bandLevelTypedOrLoadedFromSavedSettingsReachesTheUnitAndComesBack()
{
    SimulatedUnit unit; // applies every command it takes
    ToolSession tool;
    QVERIFY(startBoth(unit, tool, {QStringLiteral("--seed"), QStringLiteral("21")}));
    const QString before = tool.pollUntil("ca2", [](const QString &t) { return !t.isEmpty(); });
    QVERIFY(!before.isEmpty());

    // A save needs two frames in a row that agree on the settings.
    const QString saved = m_dir.filePath(QStringLiteral("car.json"));
    bool savedOk = false;
    for (int cycle = 0; cycle < 10 && !savedOk; ++cycle) {
        tool.wait(300);
        tool.tick("Timer2");
        savedOk = tool.ok("action", {{"id", "settings-save"}, {"file", saved}});
    }
    QVERIFY(savedOk);
    QVERIFY(QFile::exists(saved));

    // The band changed by hand: the unit logs the command with the gaps
    // between its bytes, and a following frame shows the level it now holds
    // (frames sent while the command was on its way may still be waiting).
    const QString other =
        before == QLatin1String("57") ? QStringLiteral("58") : QStringLiteral("57");
    QVERIFY(tool.ok("click", {{"target", "ca2"}}));
    QCOMPARE(tool.text("SetBox"), before);
    QVERIFY(tool.retype("SetBox", other));
    QVERIFY2(!tool.element("SetBox").value("visible").toBool(),
             qPrintable(tool.shared("statusMessage").toString()));
    const QString command = unit.nextCommand();
    const QStringList parts = command.split(QLatin1Char(' '));
    QCOMPARE(parts.size(), 6);
    QCOMPARE(parts.first(3), (QStringList{"command", "1", other}));
    QVERIFY2(parts[4].toDouble() >= 100 && parts[5].toDouble() >= 100, qPrintable(command));
    QCOMPARE(tool.pollUntil(
                 "ca2", [&other](const QString &t) { return t == other; }, 8),
             other);
    // ...and loaded back: one command, the band's, and the unit shows it.
    QVERIFY(tool.ok("action", {{"id", "settings-load"}, {"file", saved}}));
    const QString sent = unit.nextCommand();
    QVERIFY2(sent.startsWith(QStringLiteral("command 1 ") + before + ' '), qPrintable(sent));
    QString state;
    for (int cycle = 0; cycle < 20 && state != QLatin1String("verified"); ++cycle) {
        tool.wait(300);
        tool.tick("Timer2");
        state = tool.state().value("restore").toObject().value("state").toString();
    }
    QCOMPARE(state, QStringLiteral("verified"));
    // Every setting is checked; the band was the only one sent.
    const QJsonArray items = tool.state().value("restore").toObject().value("items").toArray();
    QCOMPARE(items.size(), 11);
    for (const QJsonValue &item : items) {
        QVERIFY(item.toObject().value("ok").toBool());
        QCOMPARE(item.toObject().value("sent").toBool(),
                 item.toObject().value("code").toInt() == 1);
    }
    QCOMPARE(items[1].toObject().value("code").toInt(), 1);
    QCOMPARE(items[1].toObject().value("got").toInt(), before.toInt());
    QCOMPARE(tool.text("ca2"), before);
    QVERIFY(unit.nextCommand(300).isEmpty()); // nothing else was sent
    QVERIFY(tool.finish());
}

void EndToEndTest::recordingHoldsEveryFrameTheUnitSentAndTheCommands()
{
    SimulatedUnit unit;
    ToolSession tool;
    QVERIFY(startBoth(unit, tool, {QStringLiteral("--seed"), QStringLiteral("31")}));
    tool.pollUntil("DebugX", [](const QString &t) { return t.contains('-'); });

    const QString file = m_dir.filePath(QStringLiteral("drive.csv"));
    QVERIFY(tool.ok("action", {{"id", "record-start"}, {"file", file}}));
    QVERIFY(tool.state().value("recorder").toObject().value("active").toBool());
    QVERIFY(tool.element("main").isEmpty()); // no element of the skin was added
    QVERIFY(tool.ok("action", {{"id", "graph-show"}}));

    // Two seconds of driving, a poll every 300 ms (most frames are dropped
    // by the poll but recorded), and one band level sent.
    for (int i = 0; i < 6; ++i) {
        tool.wait(300);
        tool.tick("Timer2");
    }
    QVERIFY(tool.ok("click", {{"target", "ca1"}}));
    QVERIFY(tool.retype("SetBox", "7"));
    const QString sent = unit.nextCommand();
    QVERIFY(sent.startsWith(QStringLiteral("command 0 ")));
    tool.wait(500);
    const QJsonObject graph = tool.state().value("graph").toObject();
    QVERIFY2(graph.value("samples").toInt() >= 15,
             qPrintable(QString::number(graph.value("samples").toInt())));
    QCOMPARE(graph.value("last").toObject().value("in").toArray().size(), 4);
    QVERIFY(tool.windowVisible("Graph"));

    QVERIFY(tool.ok("action", {{"id", "record-stop"}}));
    const QJsonObject recorder = tool.state().value("recorder").toObject();
    QVERIFY(!recorder.value("active").toBool());
    QCOMPARE(recorder.value("commands").toInt(), 1);

    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QString why;
    const auto recording = zcore::readRecording(in.readAll(), &why);
    QVERIFY2(recording, qPrintable(why));
    int frames = 0;
    int lastCounter = -1;
    qint64 lastElapsed = -1;
    bool command = false;
    for (const zcore::RecordRow &row : recording->rows) {
        QVERIFY(row.elapsedMs >= lastElapsed);
        lastElapsed = row.elapsedMs;
        if (row.event == zcore::RecordEvent::Frame) {
            // The unit counts its frames at payload positions 32-33: none is missing.
            const int counter = (static_cast<unsigned char>(row.payload[31]) |
                                 static_cast<unsigned char>(row.payload[32]) << 8);
            if (lastCounter >= 0)
                QCOMPARE(counter, (lastCounter + 1) & 0xFFFF);
            lastCounter = counter;
            ++frames;
        } else if (row.event == zcore::RecordEvent::Command) {
            QCOMPARE(row.code, 0);
            QCOMPARE(row.value, sent.section(' ', 2, 2).toInt());
            command = true;
        }
    }
    QVERIFY(command);
    QCOMPARE(frames, recorder.value("frames").toInt());
    QVERIFY(frames >= 20);

    // The recording opened in the graph: every frame row a sample.
    QVERIFY(tool.ok("action", {{"id", "graph-open"}, {"file", file}}));
    QCOMPARE(tool.state().value("graph").toObject().value("samples").toInt(), frames);
    // A refused file (its one frame row holds a short payload) is answered
    // with the reason and changes nothing.
    const QString damaged =
        fileWith(QStringLiteral("damaged.csv"),
                 zcore::recordingHeaderLine() +
                     "2026-12-07T14:05:31.250+03:00,0,frame,F401000000E803,,\r\n");
    const QJsonObject refused =
        tool.request({{"op", "action"}, {"id", "graph-open"}, {"file", damaged}});
    QVERIFY(!refused.value("ok").toBool());
    QVERIFY(!refused.value("error").toString().isEmpty());
    QCOMPARE(tool.state().value("graph").toObject().value("samples").toInt(), frames);
    QVERIFY(tool.finish());
}

namespace {
// The resident memory of a process in kB, from the kernel.
qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
} // namespace

void EndToEndTest::wheelOverAnEmptyRecordingLeavesTheToolAnsweringAndSmall()
{
    ToolSession tool;
    QVERIFY(startWithoutUnit(tool));
    // What --record writes with the unit off: the header, the port opened,
    // the recording stopped.
    zcore::RecordRow row;
    row.time = QDateTime::currentDateTime();
    row.event = zcore::RecordEvent::PortOpen;
    QByteArray bytes = zcore::recordingHeaderLine() + zcore::recordingLine(row);
    row.elapsedMs = 2500;
    row.event = zcore::RecordEvent::RecordingStopped;
    const QString empty = fileWith(QStringLiteral("empty.csv"), bytes + zcore::recordingLine(row));
    QVERIFY(!empty.isEmpty());
    const QJsonObject wheel{{"op", "wheel"}, {"window", "Graph"}, {"delta", 120}};
    QCOMPARE(tool.request(wheel).value("error").toString(), QStringLiteral("unknown window"));

    QVERIFY(tool.ok("action", {{"id", "graph-open"}, {"file", empty}}));
    QCOMPARE(tool.state().value("graph").toObject().value("samples").toInt(), 0);
    const qint64 pid = tool.process.processId();
    const qint64 before = residentKb(pid);
    for (const int delta : {120, -120, 240, -360})
        QVERIFY(tool.ok("wheel", {{"window", "Graph"}, {"delta", delta}}));
    QVERIFY(tool.ok("wait", {{"ms", 500}}));
    QVERIFY(tool.windowVisible("Graph"));
    const qint64 after = residentKb(pid);
    qInfo("resident %lld kB before the wheel, %lld kB after", before, after);
    QVERIFY2(after - before < 50 * 1024, qPrintable(QStringLiteral("%1 kB").arg(after - before)));

    const QJsonObject other = tool.request({{"op", "wheel"}, {"window", "main"}, {"delta", 120}});
    QVERIFY(!other.value("ok").toBool());
    QVERIFY(tool.ok("close", {{"window", "Graph"}}));
    QCOMPARE(tool.request(wheel).value("error").toString(), QStringLiteral("window is hidden"));
    QVERIFY(tool.finish());
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
