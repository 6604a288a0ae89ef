// zendalite: service tool for the gas control unit of an LPG conversion kit.

#include "appshell.h"
#include "automation.h"
#include "core/licence.h"
#include "link/portnames.h"
#include "link/serialportlink.h"
#include "platform.h"
#include "qtturkish.h"
#include "terminationwatcher.h"
#include "ui/mainwindow.h"
#include "ui/skinfonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

QString describePorts(const PortNames &names)
{
    QStringList lines;
    for (const PortName &p : names.describe()) {
        lines.append(
            p.description.isEmpty()
                ? QStringLiteral("%1 = %2").arg(p.number).arg(p.device)
                : QStringLiteral("%1 = %2 (%3)").arg(p.number).arg(p.device, p.description));
        if (lines.size() == 16)
            break;
    }
    if (lines.isEmpty())
        return QObject::tr("No serial ports found on this computer.");
    return QObject::tr("Port numbers on this computer:\n%1").arg(lines.join(QLatin1Char('\n')));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("zendalite"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENDALITE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QObject::tr("Service tool for the gas control unit (Ecu) of an LPG conversion kit."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption automationOption(
        QStringLiteral("automation"),
        QObject::tr("Read JSON requests from standard input and answer on standard output."));
    const QCommandLineOption manualTimersOption(
        QStringLiteral("manual-timers"), QObject::tr("Timers tick only when a request asks."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"), QObject::tr("Write the main window as PNG after start-up."),
        QObject::tr("FILE"));
    const QCommandLineOption quitAfterOption(QStringLiteral("quit-after"),
                                             QObject::tr("End the program after SECONDS."),
                                             QObject::tr("SECONDS"));
    const QCommandLineOption recordOption(
        QStringLiteral("record"),
        QObject::tr("Record every frame, command and link event into FILE from start-up."),
        QObject::tr("FILE"));
    parser.addOptions(
        {automationOption, manualTimersOption, screenshotOption, quitAfterOption, recordOption});
    // Options are read before the window system is reached, so that --help
    // and --version answer anywhere, also without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "zendalite: %s\nTry 'zendalite --help' for more information.\n",
                     qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QString help = parser.helpText();
        help.replace(QStringLiteral("<executable_name>"), QStringLiteral("zendalite"));
        std::fputs(qPrintable(help), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::fputs(zcore::versionText("zendalite", ZENDALITE_VERSION).constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's dialogs in Turkish, as the rest of the tool, on every desktop.
    QTranslator qtTexts;
    qtturkish::install(app, qtTexts);

    installFontSubstitutes();
    const bool manualTimers = parser.isSet(manualTimersOption);
    const QString configDir = platform::configDir();

    // Caught from here to the program's very end (the recording's last row
    // written while the shell ends included); answered once the loop runs.
    TerminationWatcher termination(nullptr);
    if (!termination.start())
        std::fprintf(stderr, "zendalite: cannot catch termination signals\n");

    const PortNames names(configDir);
    SerialPortLink link(names, nullptr);
    AppShell shell(link, platform::driveRoot(configDir), manualTimers);
    shell.startup().setOwnPortFileFolder(platform::ownPortFileFolder(configDir));
    shell.portDialog().setPortHint([&names] { return describePorts(names); });
    QObject::connect(&shell, &AppShell::programEnded, &app, [] { QCoreApplication::exit(0); });
    if (parser.isSet(recordOption)) {
        // Unattended logging: recording runs before the port opens, so the
        // file holds the start-up too.
        const auto started = shell.recording().startRecording(parser.value(recordOption));
        if (!started.ok) {
            std::fprintf(stderr, "zendalite: --record: %s\n", qPrintable(started.error));
            return 2;
        }
    }

    // Asked by the system to end (shut down, its terminal closed): the
    // recording is closed with its last row and synced, then the program
    // ends as from its window.
    QObject::connect(&termination, &TerminationWatcher::requested, &shell, [&shell] {
        shell.recording().stopRecording();
        QCoreApplication::exit(0);
    });

    Automation automation(shell, manualTimers, nullptr);
    if (parser.isSet(automationOption)) {
        QObject::connect(&automation, &Automation::quitRequested, &app,
                         [] { QCoreApplication::exit(0); });
        automation.listen();
    }
    if (parser.isSet(screenshotOption)) {
        const QString file = parser.value(screenshotOption);
        QTimer::singleShot(1000, &shell, [&shell, file] {
            if (!shell.mainWindow().grab().save(file, "PNG"))
                std::fprintf(stderr, "zendalite: cannot write %s\n", qPrintable(file));
        });
    }
    if (parser.isSet(quitAfterOption)) {
        bool ok = false;
        const double seconds = parser.value(quitAfterOption).toDouble(&ok);
        if (!ok || seconds < 0) {
            std::fprintf(stderr, "zendalite: --quit-after needs a number of seconds\n");
            return 2;
        }
        QTimer::singleShot(int(seconds * 1000), &app, [] { QCoreApplication::exit(0); });
    }

    shell.load();
    return app.exec();
}
