// The workbook export of a long session: an hour of samples at 10 frames/s
// (36 000 rows) with a command a minute, written as "Excel'e Aktar…" writes
// it. Prints the time the write takes, the memory the process held before
// and after it (peak resident set), and the file's size.
//
//   zendalite-exportbench [ROWS] [FILE]     defaults: 36000, a temporary file
#include "core/decode.h"
#include "telemetry/graphsamples.h"
#include "telemetry/workbookexport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // KiB on Linux
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rows = args.size() > 1 ? args[1].toInt() : 36'000;
    QTemporaryDir dir;
    const QString path = args.size() > 2 ? args[2] : dir.filePath(QStringLiteral("hour.xlsx"));

    GraphSamples samples(GraphSamples::kKeepAll);
    samples.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        zcore::LiveFrame frame;
        for (size_t c = 0; c < 4; ++c) {
            frame.inWord[c] = 400 + (i * 7 + int(c) * 13) % 900;
            frame.outWord[c] = 3000 + (i * 11 + int(c) * 17) % 4000;
            frame.bands[c] = (i / 600 + int(c) * 40) % 256;
        }
        frame.mask = i % 3000 < 200 ? 0x80 : 0x3C;
        frame.temperatureByte = 150 + i % 60;
        frame.switchOverByte = 195;
        frame.sensor = 255 - (i / 150) % 256;
        samples.add(graphSample(qint64(i) * 100, frame));
        if (i % 600 == 300)
            samples.addCommand(graphCommand(qint64(i) * 100 + 50, i / 600 % 4, i / 600 % 256));
    }
    const double before = peakMiB();
    QElapsedTimer timer;
    timer.start();
    QString why;
    const bool ok = workbook::write(path, samples, QDateTime::currentDateTime(), &why);
    const qint64 ms = timer.elapsed();
    QTextStream out(stdout);
    if (!ok) {
        out << "failed: " << why << "\n";
        return 1;
    }
    out << rows << " rows: " << ms << " ms, peak resident " << QString::number(before, 'f', 1)
        << " MiB before the write, " << QString::number(peakMiB(), 'f', 1) << " MiB after; "
        << QFileInfo(path).size() << " bytes\n";
    return 0;
}
