// The toolkit's floor: a plain Qt Widgets window of 800 x 600 that does no
// work. programbench measures it exactly as it measures zendalite (start-up
// to window shown, idle processor, resident memory), so every figure of the
// tool can be read as a ratio to what Qt itself costs on this machine.
//
// It answers the two automation requests programbench needs, one JSON line
// per request line on standard input, read the same way zendalite reads them
// (a socket notifier on standard input):
//   {"op":"state"} -> {"ok":true,"windows":{"main":{"visible":true|false}}}
//   {"op":"quit"}  -> {"ok":true}, then the program ends
// End of input ends the program too.
//
//   zendalite-floorwindow [--timer-hz N]
// With --timer-hz, an empty precise timer wakes the event loop N times a
// second: what one wakeup of an idle Qt program costs on this machine.

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.setFixedSize(800, 600);

    QByteArray partial;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char buf[4096];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            notifier.setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        partial.append(buf, n);
        qsizetype nl;
        while ((nl = partial.indexOf('\n')) >= 0) {
            const QByteArray line = partial.left(nl);
            partial.remove(0, nl + 1);
            if (line.contains("\"quit\"")) {
                std::fputs("{\"ok\":true}\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
                return;
            }
            std::fprintf(stdout, "{\"ok\":true,\"windows\":{\"main\":{\"visible\":%s}}}\n",
                         window.isVisible() ? "true" : "false");
            std::fflush(stdout);
        }
    });

    QTimer empty;
    const int hz = app.arguments().indexOf(QStringLiteral("--timer-hz"));
    if (hz > 0 && hz + 1 < app.arguments().size()) {
        const double rate = app.arguments().at(hz + 1).toDouble();
        if (rate > 0) {
            empty.setTimerType(Qt::PreciseTimer);
            empty.setInterval(int(1000.0 / rate));
            QObject::connect(&empty, &QTimer::timeout, &app, [] {});
            empty.start();
        }
    }

    window.show();
    return app.exec();
}
