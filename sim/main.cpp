// zendalite-sim: a gas control unit on a pseudo-terminal, for trying the tool
// without a car. It sends telemetry frames on its own and takes the tool's
// commands, logging each on stdout. Faults for testing the tool's hold on a
// bad line come from control lines on standard input or from --fault.
#include "commandlistener.h"
#include "console.h"
#include "controlinput.h"
#include "faultschedule.h"
#include "faultswitch.h"
#include "fileframesource.h"
#include "modelframesource.h"
#include "ptylink.h"
#include "signalwatcher.h"
#include "transmitter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

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
        "  fault <name> [<number>]\n"
        "  error <why>"));
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
        QStringLiteral("rate"), QStringLiteral("Frames per second (default %1).").arg(kDefaultRate),
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
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("At <seconds> after the start, carry out a fault as its control line "
                       "would, e.g. 5:unplug, 8:replug, 3:garbage:200. May be given again."),
        QStringLiteral("seconds:name[:n]"));
    parser.addOptions({linkOption, rateOption, seedOption, framesOption, faultOption});
    parser.process(app);
    if (parser.isSet(versionOption)) {
        std::printf("zendalite-sim %s\n"
                    "Copyright (C) 2026 Zendalite developers\n"
                    "License GPLv3+: GNU GPL version 3 or later "
                    "<https://gnu.org/licenses/gpl.html>.\n"
                    "This is free software: you are free to change and redistribute it.\n"
                    "There is NO WARRANTY, to the extent permitted by law.\n",
                    ZENDALITE_VERSION);
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

    if (parser.isSet(framesOption)) {
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
        source = std::make_unique<ModelFrameSource>(seed);
    }

    auto *watcher = new SignalWatcher(&app);
    if (!watcher->start()) {
        printNote(QStringLiteral("cannot catch termination signals"));
        return 1;
    }
    QObject::connect(watcher, &SignalWatcher::caught, &app, [](int number) {
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
    auto *transmitter = new Transmitter(source.get(), link, rate, seed, &app);
    const auto printReady = [link] {
        printLine(QStringLiteral("ready %1 %2").arg(link->device(), link->linkPath()));
    };
    QObject::connect(transmitter, &Transmitter::replugged, &app, printReady);
    auto *faults = new FaultSwitch(transmitter, std::move(schedule), &app);
    auto *control = new ControlInput(&app);
    QObject::connect(control, &ControlInput::faultAsked, faults, &FaultSwitch::take);

    printReady();
    transmitter->start();
    faults->start();
    control->start();

    const int status = QCoreApplication::exec();
    link->close();
    return status;
}
