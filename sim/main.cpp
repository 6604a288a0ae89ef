// zendalite-sim: a gas control unit on a pseudo-terminal, for trying the tool
// without a car. It sends telemetry frames on its own (or those of a
// recording, replayed once the tool opens the line) and takes the tool's
// commands, logging each on stdout. Faults for testing the tool's hold on a
// bad line come from control lines on standard input or from --fault.
#include "commandlistener.h"
#include "console.h"
#include "controlinput.h"
#include "core/licence.h"
#include "faultschedule.h"
#include "faultswitch.h"
#include "fileframesource.h"
#include "modelframesource.h"
#include "modeloptions.h"
#include "openwatcher.h"
#include "ptylink.h"
#include "replayframesource.h"
#include "transmitter.h"

#include "core/recording.h"
#include "core/signalpipe.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace zsim;

namespace {

constexpr double kDefaultRate = 10.0;
constexpr double kLeastRate = 0.1;
constexpr double kMostRate = 100.0;

quint32 timeSeed()
{
    return quint32(QDateTime::currentMSecsSinceEpoch()) ^ (quint32(::getpid()) << 16);
}

// The recording to replay; no value, and the reason on stderr, for a file
// that cannot be read or is not a recording. What a read left out of a file
// it took is told on stderr.
std::optional<zcore::Recording> readRecordingFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printNote(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    if (file.size() > zcore::kLargestRecording) {
        printNote(QStringLiteral("%1: not a recording: larger than %2 MiB")
                      .arg(path)
                      .arg(zcore::kLargestRecording / (1024 * 1024)));
        return std::nullopt;
    }
    QString why;
    auto recording = zcore::readRecording(file.readAll(), &why);
    if (!recording) {
        printNote(QStringLiteral("%1: not a recording: %2").arg(path, why));
        return std::nullopt;
    }
    if (recording->droppedBytes > 0)
        printNote(QStringLiteral("%1: the last row is cut short (the recording was not closed): "
                                 "%2 bytes at the end left out")
                      .arg(path)
                      .arg(recording->droppedBytes));
    if (recording->skippedRows > 0)
        printNote(QStringLiteral("%1: %2 rows of events this version does not know passed over")
                      .arg(path)
                      .arg(recording->skippedRows));
    return recording;
}

// With standard input closed, the next descriptor opened would take its
// number and be read as control lines; /dev/null keeps the place.
void keepStandardInputPlace()
{
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0)
        ::open("/dev/null", O_RDONLY);
}

} // namespace

int main(int argc, char *argv[])
{
    keepStandardInputPlace();
    // Outlives the application object, and with it everything that uses it.
    std::unique_ptr<FrameSource> source;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zendalite-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENDALITE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated gas control unit on a pseudo-terminal. Sends telemetry frames on its own\n"
        "and logs the tool's commands on stdout:\n"
        "  ready <device> <link>\n"
        "  command <code> <value> gaps <ms> <ms>\n"
        "  stray <hex bytes>\n"
        "  replay start | replay end   (with --replay)\n"
        "\n"
        "With --counter, frame k of the run (from 1) carries k's low 16 bits at payload\n"
        "positions 32-33 (little end first) and the sum of positions 1-33 at 34, numbered\n"
        "when it is begun on the line, before a fault cuts it or fills it with zeros; the\n"
        "fault lines then name the frames they touched (fault truncate 2 frames 120-121).\n"
        "\n"
        "Faults, one control line each on standard input or with --fault:\n"
        "  unplug       pull the cable in the middle of the next frame (terminal closed)\n"
        "  replug       a new terminal behind the link; frames go on\n"
        "  garbage N    N random bytes (1 to 65536) before the next frame\n"
        "  truncate N   cut each of the next N frames short\n"
        "  late MS      hold the next frame back MS milliseconds\n"
        "  gap MS       a silence of MS milliseconds inside the next frame\n"
        "  zeros N      the next N frames with a payload of 34 zero bytes\n"
        "  quiet MS     send nothing for MS milliseconds\n"
        "Each is reported once carried out, replug followed by a new ready line:\n"
        "  fault <name> [<number>] [frame <k> | frames <k>-<m>]   (frames with --counter)\n"
        "  error <why>\n"
        "\n"
        "The petrol ECU beside the engine adapts on gas like a long-term fuel trim. Each rpm\n"
        "band (0-1500, 1500-2500, 2500-4000, 4000-8000 rpm) has a right level\n"
        "(--ideal-levels, default the factory levels 100,110,120,130). With the petrol bit\n"
        "clear and g = (rows on gas) / 4, in the band the engine runs in:\n"
        "  seen   = 1 - g + g * level / right    (right / level with --inverse-levels)\n"
        "  target = clamp(1 / seen - 1, -25 %, +25 %)\n"
        "  trim  += (target - trim) * (1 - exp(-dt / 3 s))   dt in engine seconds\n"
        "A lean band (level below right) lengthens the in times, a rich one shortens them;\n"
        "the other bands' trims stay. On petrol every trim heads back to 0 the same way.\n"
        "A trim is at 95 % of its target after 9 s of engine time, 99 % after 14 s.\n"
        "In words sent = base in time * (1 + trim of the band); out = period - in, so the\n"
        "speed from in + out is unchanged. The trim is per band, not interpolated.\n"
        "\n"
        "With --time-scale X the engine's clock runs X times as fast: one frame per\n"
        "1/rate s of engine time, rate * X frames a wall second; the line's pacing runs X\n"
        "times as fast too (faster than a real 9600 baud line; for simulation only).\n"
        "--fault times and the fault durations stay on the wall clock."));
    parser.addHelpOption();
    // The version is answered here rather than by the parser, so that it
    // carries the licence lines as GNU programs print them.
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Displays version information."));
    parser.addOption(versionOption);
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Publish the unit's port as a symbolic link at <path> (required)."),
        QStringLiteral("path"));
    const QCommandLineOption rateOption(
        QStringLiteral("rate"),
        QStringLiteral("Frames per second of engine time (default %1).").arg(kDefaultRate),
        QStringLiteral("n"), QString::number(kDefaultRate));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("Seed for the engine and for the faults' random bytes and cut points, "
                       "for repeatable runs (default: from the clock)."),
        QStringLiteral("n"));
    const QCommandLineOption framesOption(
        QStringLiteral("frames"),
        QStringLiteral("Send the frames listed in <file> (hex bytes, one frame a line, '#' "
                       "comments) in a loop instead of the engine's. Commands are logged, "
                       "not applied."),
        QStringLiteral("file"));
    const QCommandLineOption replayOption(
        QStringLiteral("replay"),
        QStringLiteral("Send the frames of the recording <file> (a zendalite CSV recording) "
                       "with their recorded spacing, starting when the tool opens the line; "
                       "then stay silent. Commands are logged, not applied. Not with --frames "
                       "or --rate."),
        QStringLiteral("file"));
    const QCommandLineOption speedOption(
        QStringLiteral("speed"),
        QStringLiteral("Replay <x> times as fast as recorded, %1 to %2 (default 1).")
            .arg(ReplayFrameSource::kLeastSpeed)
            .arg(ReplayFrameSource::kMostSpeed),
        QStringLiteral("x"), QStringLiteral("1"));
    const QCommandLineOption loopOption(
        QStringLiteral("loop"),
        QStringLiteral("Replay the recording again and again instead of once."));
    const QCommandLineOption counterOption(
        QStringLiteral("counter"),
        QStringLiteral("Number every frame put on the line at payload positions 32-33, so "
                       "that a recording shows each frame missing; the fault lines name the "
                       "frames they touched. Not with --replay."));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("At <seconds> after the start, carry out a fault as its control line "
                       "would, e.g. 5:unplug, 8:replug, 3:garbage:200. May be given again."),
        QStringLiteral("seconds:name[:n]"));
    const QCommandLineOption idealLevelsOption(
        QStringLiteral("ideal-levels"),
        QStringLiteral("The right mixture level of each rpm band, hidden from the tool: four "
                       "levels 1 to 255, e.g. 130,110,120,100 (default: the factory levels "
                       "100,110,120,130). On gas the petrol ECU's in times drift until they "
                       "make up for level / right."),
        QStringLiteral("a,b,c,d"));
    const QCommandLineOption inverseLevelsOption(
        QStringLiteral("inverse-levels"),
        QStringLiteral("The unit's levels work the other way: a raised level makes the mixture "
                       "leaner (off by right / level)."));
    const QCommandLineOption driveOption(
        QStringLiteral("drive"),
        QStringLiteral("How the engine is driven: town (default; rev-ups from idle to "
                       "2500-4000 rpm) or wide (all four bands: holds of 4.5 to 7 s at about "
                       "900, 2000, 3200 and 5000 rpm, rev-ups to 5000-6000 rpm)."),
        QStringLiteral("town|wide"), QStringLiteral("town"));
    const QCommandLineOption timeScaleOption(
        QStringLiteral("time-scale"),
        QStringLiteral("Run the engine's clock and the line <x> times as fast, %1 to %2 "
                       "(default 1): --rate frames per engine second, rate * x a wall second. "
                       "Not with --replay.")
            .arg(kLeastTimeScale)
            .arg(kMostTimeScale),
        QStringLiteral("x"), QStringLiteral("1"));
    parser.addOptions({linkOption, rateOption, seedOption, framesOption, replayOption, speedOption,
                       loopOption, counterOption, faultOption, idealLevelsOption,
                       inverseLevelsOption, driveOption, timeScaleOption});
    parser.process(app);
    if (parser.isSet(versionOption)) {
        std::fputs(zcore::versionText("zendalite-sim", ZENDALITE_VERSION).constData(), stdout);
        return 0;
    }

    if (!parser.positionalArguments().isEmpty()) {
        printNote(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
        return 2;
    }
    const QString linkPath = parser.value(linkOption);
    if (linkPath.isEmpty()) {
        printNote(QStringLiteral("--link <path> is required (try --help)"));
        return 2;
    }
    bool ok = false;
    const double rate = parser.value(rateOption).toDouble(&ok);
    if (!ok || rate < kLeastRate || rate > kMostRate) {
        printNote(QStringLiteral("--rate takes a number of frames per second from %1 to %2")
                      .arg(kLeastRate)
                      .arg(kMostRate));
        return 2;
    }

    const bool replay = parser.isSet(replayOption);
    if (replay && (parser.isSet(framesOption) || parser.isSet(rateOption))) {
        printNote(QStringLiteral("--replay sends the recording's frames at their own times; it "
                                 "takes neither --frames nor --rate"));
        return 2;
    }
    if (replay && parser.isSet(counterOption)) {
        printNote(QStringLiteral("--replay sends the recording's frames as they were recorded; "
                                 "it does not number them (--counter)"));
        return 2;
    }
    if (!replay && (parser.isSet(speedOption) || parser.isSet(loopOption))) {
        printNote(QStringLiteral("--speed and --loop go with --replay"));
        return 2;
    }
    const double speed = parser.value(speedOption).toDouble(&ok);
    if (replay &&
        (!ok || speed < ReplayFrameSource::kLeastSpeed || speed > ReplayFrameSource::kMostSpeed)) {
        printNote(QStringLiteral("--speed takes a number from %1 to %2")
                      .arg(ReplayFrameSource::kLeastSpeed)
                      .arg(ReplayFrameSource::kMostSpeed));
        return 2;
    }

    // The engine's options go with the engine; the time scale with anything
    // but a replay, whose pace is --speed.
    const bool engine = !replay && !parser.isSet(framesOption);
    if (!engine && (parser.isSet(idealLevelsOption) || parser.isSet(inverseLevelsOption) ||
                    parser.isSet(driveOption))) {
        printNote(QStringLiteral("--ideal-levels, --inverse-levels and --drive go with the "
                                 "engine, not with --frames or --replay"));
        return 2;
    }
    if (replay && parser.isSet(timeScaleOption)) {
        printNote(QStringLiteral("--replay keeps the recording's own pace (--speed); it takes "
                                 "no --time-scale"));
        return 2;
    }
    QString optionError;
    EngineModel::Setup setup;
    if (parser.isSet(idealLevelsOption)) {
        const auto levels = parseIdealLevels(parser.value(idealLevelsOption), &optionError);
        if (!levels) {
            printNote(optionError);
            return 2;
        }
        setup.idealLevels = *levels;
    }
    setup.inverseLevels = parser.isSet(inverseLevelsOption);
    const auto drive = parseDrive(parser.value(driveOption), &optionError);
    if (!drive) {
        printNote(optionError);
        return 2;
    }
    setup.drive = *drive;
    const auto timeScale = parseTimeScale(parser.value(timeScaleOption), &optionError);
    if (!timeScale) {
        printNote(optionError);
        return 2;
    }

    FaultSchedule schedule;
    for (const QString &option : parser.values(faultOption)) {
        QString error;
        const auto entry = FaultSchedule::parseOption(option, &error);
        if (!entry) {
            printNote(error);
            return 2;
        }
        schedule.add(*entry);
    }

    quint32 seed = timeSeed();
    if (parser.isSet(seedOption)) {
        seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            printNote(QStringLiteral("--seed takes a whole number from 0 to 4294967295"));
            return 2;
        }
    }

    if (replay) {
        const QString path = parser.value(replayOption);
        const auto recording = readRecordingFile(path);
        if (!recording)
            return 2;
        auto replaySource =
            std::make_unique<ReplayFrameSource>(*recording, speed, parser.isSet(loopOption));
        if (replaySource->frameCount() == 0) {
            printNote(QStringLiteral("%1: the recording holds no frame to replay").arg(path));
            return 2;
        }
        printNote(QStringLiteral("replaying %1 frames from %2 at speed %3%4")
                      .arg(replaySource->frameCount())
                      .arg(path)
                      .arg(speed)
                      .arg(parser.isSet(loopOption) ? QStringLiteral(", in a loop") : QString()));
        printNote(QStringLiteral("fault seed %1").arg(seed));
        source = std::move(replaySource);
    } else if (parser.isSet(framesOption)) {
        QFile file(parser.value(framesOption));
        if (!file.open(QIODevice::ReadOnly)) {
            printNote(
                QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
            return 1;
        }
        QString error;
        auto frames = FileFrameSource::parse(QString::fromLatin1(file.readAll()), &error);
        if (!frames) {
            printNote(QStringLiteral("%1: %2").arg(file.fileName(), error));
            return 1;
        }
        printNote(
            QStringLiteral("sending %1 frames from %2").arg(frames->size()).arg(file.fileName()));
        printNote(QStringLiteral("fault seed %1").arg(seed));
        source = std::make_unique<FileFrameSource>(std::move(*frames));
    } else {
        printNote(QStringLiteral("engine seed %1").arg(seed));
        const auto &levels = setup.idealLevels;
        if (parser.isSet(idealLevelsOption) || parser.isSet(inverseLevelsOption) ||
            parser.isSet(driveOption))
            printNote(QStringLiteral("right levels %1,%2,%3,%4%5, %6 drive")
                          .arg(levels[0])
                          .arg(levels[1])
                          .arg(levels[2])
                          .arg(levels[3])
                          .arg(setup.inverseLevels ? QStringLiteral(" (inverse)") : QString())
                          .arg(setup.drive == EngineModel::Drive::Wide ? QStringLiteral("wide")
                                                                       : QStringLiteral("town")));
        source = std::make_unique<ModelFrameSource>(seed, setup);
    }

    // SIGINT, SIGTERM and SIGHUP end the program cleanly: the link is removed.
    auto *watcher = new zcore::SignalPipe(&app);
    if (!watcher->start({SIGINT, SIGTERM, SIGHUP})) {
        printNote(QStringLiteral("cannot catch termination signals"));
        return 1;
    }
    QObject::connect(watcher, &zcore::SignalPipe::caught, &app, [](int number) {
        printNote(QStringLiteral("signal %1, closing").arg(number));
        QCoreApplication::quit();
    });

    auto *link = new PtyLink(&app);
    QString error;
    if (!link->open(linkPath, &error)) {
        printNote(error);
        return 1;
    }

    auto *listener = new CommandListener(source.get(), &app);
    QObject::connect(link, &PtyLink::received, listener, &CommandListener::take);
    if (*timeScale != 1.0)
        printNote(QStringLiteral("time scale %1: %2 frames a wall second, the line %1 times as "
                                 "fast as 9600 baud")
                      .arg(*timeScale)
                      .arg(rate * *timeScale));
    auto *transmitter = new Transmitter(source.get(), link, rate, *timeScale, seed, &app);
    if (parser.isSet(counterOption))
        transmitter->numberFrames();
    const auto printReady = [link] {
        printLine(QStringLiteral("ready %1 %2").arg(link->device(), link->linkPath()));
    };
    QObject::connect(transmitter, &Transmitter::replugged, &app, printReady);
    auto *faults = new FaultSwitch(transmitter, std::move(schedule), &app);
    auto *control = new ControlInput(&app);
    QObject::connect(control, &ControlInput::faultAsked, faults, &FaultSwitch::take);

    // A replay waits for the tool to open the line, watched from before the
    // link is announced, so that the tool sees the recording from its start.
    bool waitForTool = false;
    if (replay) {
        QObject::connect(transmitter, &Transmitter::framesEnded, &app,
                         [] { printLine(QStringLiteral("replay end")); });
        auto *opening = new OpenWatcher(&app);
        QString watchError;
        if (opening->start(link->device(), &watchError)) {
            QObject::connect(opening, &OpenWatcher::opened, transmitter, [transmitter] {
                printLine(QStringLiteral("replay start"));
                transmitter->start();
            });
            printNote(QStringLiteral("waiting for the tool to open %1").arg(link->linkPath()));
            waitForTool = true;
        } else {
            printNote(watchError + QStringLiteral("; the replay starts now"));
        }
    }

    printReady();
    if (!waitForTool) {
        if (replay)
            printLine(QStringLiteral("replay start"));
        transmitter->start();
    }
    faults->start();
    control->start();

    const int status = QCoreApplication::exec();
    link->close();
    return status;
}
