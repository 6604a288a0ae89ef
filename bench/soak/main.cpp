// zendalite-soak: the whole tool held against a faulty simulated unit for a
// number of minutes (20 by default), with the recorder and the graph window
// on, proving that it stays alive and answering, takes up the frames after
// every drop-out, records every frame the faults did not cut, sends every
// band level typed and nothing else, and keeps its memory, descriptors and
// threads flat. soakrun.h says how; docs/performance.md ("Soak") has the
// figures.
//
//   zendalite-soak [--minutes M] [--seed N] [--every MIN-MAX] [--only LIST]
//                  [--sample-every S] [--platform offscreen|xcb] [--out DIR]
//                  [--keep] [--tool PATH]
//
// Exit status 0 when every check is met, 1 when one is not (the logs are
// kept and named), 2 for a mistake on the command line.
#include "soakoptions.h"
#include "soakreport.h"
#include "soakrun.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const soak::SoakOptions options = soak::parseSoakOptions(app.arguments());
    soak::SoakRun run(options);
    const soak::SoakResult result = run.run();
    const bool met = soak::printReport(result, options.platform);
    if (met && !options.keep && options.outDir.isEmpty())
        QDir(result.outDir).removeRecursively();
    return met ? 0 : 1;
}
